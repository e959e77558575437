#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs each area's bench/<area>/run.sh,
# which prints its figures as ratios against a peer measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELT_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)"
for script in bench/*/run.sh; do
  [[ -n "${1:-}" && "$script" != "bench/$1/run.sh" ]] && continue
  echo "== ${script%/run.sh}"
  BUILD_DIR="$PWD/build-bench" bash "$script"
done
