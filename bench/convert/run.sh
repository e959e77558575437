#!/usr/bin/env bash
# Converts a generated 60-second 640x360 clip through the Convert library
# (library -> coder -> ffmpeg) and with ffmpeg directly, same options, and
# prints the time ratio per format (median of 3 runs each).
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build folder}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i testsrc=duration=60:size=640x360:rate=25 -f lavfi -i sine=duration=60 \
  -c:v flv1 -c:a libmp3lame -f flv "$work/clip.flv"
echo "clip: 60 s, 640x360, FLV (Sorenson + MP3); ratio = library time / direct ffmpeg time"
"$BUILD_DIR/bench/convert/convert_bench" "$work/clip.flv" "$work" "${CONVERT_BENCH_REPETITIONS:-3}"
