#!/usr/bin/env bash
# The HLS figures, each against a peer measured in the same run: a VOD of
# 60 one-second segments from AddVideo to "Play.Start" against a bare
# QtWebEngine page playing it with the same hls.js, the time to cache every
# segment against `ffmpeg -c copy` from the same loopback site, and the
# memory while a stream of HLS_BENCH_MINUTES (default 30) plays to its end
# at playbackRate HLS_BENCH_RATE (default 16, the browser's highest).
# Without a display everything runs offscreen.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
BENCH="$BUILD_DIR/bench/hls/hls_bench"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

# The program prints what it plays; only the figures are kept.
"$BENCH" start-and-cache 2>/dev/null | grep -v '^quelt: playing'
"$BENCH" rss "${HLS_BENCH_MINUTES:-30}" "${HLS_BENCH_RATE:-16}" 2>/dev/null | grep -v '^quelt: playing'
