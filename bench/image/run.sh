#!/usr/bin/env bash
# Prints the time to recolour a 1920x1080 image with a tone and vividness 150,
# against the filters applied pixel by pixel in the same run and the 10 ms target.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the (Release) build directory}"
exec "$BUILD_DIR/bench/bin/image_bench"
