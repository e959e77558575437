#!/usr/bin/env bash
# Relay latency from a block received by a download task to the same bytes
# at a play client: median and 99th percentile over 1000 paced blocks.
# Uses BUILD_DIR (default build-bench) for relay_latency_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR="${BUILD_DIR:-$PWD/build-bench}"
BENCH="$BUILD_DIR/bench/delivery/relay_latency_bench"
[[ -x "$BENCH" ]] || { echo "relay_latency_bench not built in $BUILD_DIR" >&2; exit 1; }
"$BENCH" "${RELAY_BENCH_PIECES:-1000}" 32 3
