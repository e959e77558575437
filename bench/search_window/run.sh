#!/usr/bin/env bash
# The search in the main window, each figure against a peer measured in the
# same run: the search box's Enter to the first result cards (tab open,
# page load, first site parsed, cards drawn) against a bare QtWebEngine
# view given the same page and result XML, and the memory of the window
# with ten browsing tabs against a bare QtWebEngine window with the same
# ten pages (in a process of its own). Without a display it runs offscreen.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$BUILD_DIR/bench/search_window/search_window_bench" first-results 2>/dev/null
"$BUILD_DIR/bench/search_window/search_window_bench" tabs-memory 2>/dev/null
