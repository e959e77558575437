#!/usr/bin/env bash
# Builds Quelt and starts it, with the embedded demo service on
# 127.0.0.1:20080 (unless one already runs). With no argument it plays the
# demo's video page; otherwise the argument (a video file, a stream URL or
# a page address) goes to the program. Quelt speaks the language of the
# locale (Chinese for a "zh" locale, English otherwise); QUELT_LANG=zh|en,
# passed through, forces one.
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
# The demo service runs unless something already answers on its port, so
# that the demo's page addresses work given as an argument too.
if ! curl -sf -o /dev/null http://127.0.0.1:20080/; then
  build/app/quelt-demo-service &
  demo=$!
  trap 'kill $demo 2>/dev/null' EXIT
  for _ in $(seq 100); do
    curl -sf -o /dev/null http://127.0.0.1:20080/ && break
    sleep 0.1
  done
fi
# Without an argument, the demo's video page: Quelt finds the stream
# behind it and plays it.
if [[ ${#args[@]} -eq 0 ]]; then
  args=(http://localhost:20080/watch/flv.html)
fi
"${run[@]}" "${args[@]}"
