#!/usr/bin/env bash
# The main window's figures, each against a peer measured in the same run:
# PlayItem to the first "Play.Start" against a bare QtWebEngine page,
# start-up to a ready player page against a minimal QtWebEngine window, and
# the memory of a long FLV (WINDOW_BENCH_MINUTES, default 10) at its start
# and end. Without a display everything runs offscreen.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
BENCH="$BUILD_DIR/bench/window/player_bench"
QUELT="$BUILD_DIR/app/quelt"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

"$BENCH" first-picture 2>/dev/null
"$BENCH" index-at-end 2>/dev/null

# Start-up: process start to "ready", median of 5, each in a fresh folder.
startup_ms() {  # command...
  local times=() start end
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$@" 2>/dev/null | grep -q -m1 ready
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$QUELT" "$folder/quelt"
ln -s "$BUILD_DIR/app/skin" "$folder/skin"
ln -s "$BUILD_DIR/app/libConvert.so" "$folder/libConvert.so"
ln -s "$BUILD_DIR/app/coder" "$folder/coder"
ours="$(QUELT_EXIT_WHEN_READY=1 startup_ms "$folder/quelt")"
bare="$(startup_ms "$BENCH" bare-window)"
echo "start-up to a ready player page, median of 5: quelt $ours ms; minimal QtWebEngine window $bare ms; ratio $(awk -v a="$ours" -v b="$bare" 'BEGIN {printf "%.2f", a / b}')"

"$BENCH" rss "${WINDOW_BENCH_MINUTES:-10}" 2>/dev/null
