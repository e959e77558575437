#!/usr/bin/env bash
# Builds Quelt and runs every test. Usage: scripts/test.sh [--sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
flags=()
if [[ "${1:-}" == "--sanitize" ]]; then
  build=build-asan
  flags+=(-DQUELT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  # QtWebEngine deletes some of its objects through the wrong type and keeps
  # others to the end; those reports are Chromium's, not ours.
  export ASAN_OPTIONS="new_delete_type_mismatch=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
  export LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest -j"$(nproc)" --output-on-failure --timeout 600
