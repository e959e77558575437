#!/usr/bin/env bash
# Builds Quelt and starts it. With no argument it also starts the embedded
# demo service on 127.0.0.1:20080 and plays its demo video; otherwise the
# argument (a video file or a stream URL) goes to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"

run=(build/app/quelt)
if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  if command -v xvfb-run >/dev/null; then
    echo "No display found: the window runs on a virtual display (xvfb-run); the play URLs printed below work in any player."
    run=(xvfb-run -a -s "-screen 0 1280x800x24" build/app/quelt)
  else
    echo "No display found: the window runs offscreen; the play URLs printed below work in any player."
    export QT_QPA_PLATFORM=offscreen
  fi
fi

args=("$@")
if [[ ${#args[@]} -eq 0 ]]; then
  build/app/quelt-demo-service &
  demo=$!
  trap 'kill $demo 2>/dev/null' EXIT
  for _ in $(seq 100); do
    curl -sf -o /dev/null http://127.0.0.1:20080/ && break
    sleep 0.1
  done
  # The demo's video page: Quelt finds the stream behind it and plays it.
  args=(http://localhost:20080/watch/flv.html)
fi
"${run[@]}" "${args[@]}"
