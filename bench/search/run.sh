#!/usr/bin/env bash
# The search's figures: the six demo lists refreshed as at network-ready
# against curl fetching the same files in the same run; the user-interface
# thread's longest stall while a 1 MiB list is taken; a multi-site search
# over the demo sites, per site, against a bare QtWebEngine page loading
# the same result pages.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
"$BUILD_DIR/bench/search/list_bench" refresh
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$BUILD_DIR/bench/search/search_bench" 2>/dev/null
