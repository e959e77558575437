#!/usr/bin/env bash
# The HTTP task engine against curl: a 512 MiB download from a loopback
# server, best of five rounds each, with each run's peak resident memory.
# Uses BUILD_DIR (default build-bench) for http_task_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR="${BUILD_DIR:-$PWD/build-bench}"
BENCH="$BUILD_DIR/bench/delivery/http_task_bench"
[[ -x "$BENCH" ]] || { echo "http_task_bench not built in $BUILD_DIR" >&2; exit 1; }
command -v curl >/dev/null || { echo "curl not installed" >&2; exit 1; }
"$BENCH" "${HTTP_BENCH_MIB:-512}" "${HTTP_BENCH_ROUNDS:-5}"
