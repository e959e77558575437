#!/usr/bin/env bash
# The service lists' figures: the six demo lists refreshed as at
# network-ready against curl fetching the same files in the same run, and
# the user-interface thread's longest stall while a 1 MiB list is taken.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
"$BUILD_DIR/bench/search/list_bench" refresh
