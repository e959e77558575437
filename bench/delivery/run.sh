#!/usr/bin/env bash
# Runs every delivery benchmark script of this folder in turn.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
status=0
for script in "$here"/*.sh; do
  [[ "$(basename "$script")" == run.sh ]] && continue
  echo "-- $(basename "$script" .sh)"
  bash "$script" || status=1
done
exit $status
