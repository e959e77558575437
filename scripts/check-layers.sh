#!/usr/bin/env bash
# Lists every include that runs up the layers: a folder of src/ including a
# header of a folder above it. Prints one line per offending file and
# include, and exits 1 when there is any. The order, lowest first, is the
# one docs/architecture.md draws; folders on one line may not include each
# other.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A allowed=(
  [platform]="platform"
  [common]="common platform"
  [records]="records common platform"
  [image]="image"
  [convert]="convert"
  [ui]="ui image common platform"
  [delivery]="delivery records common platform"
  [detection]="detection delivery records common platform"
  [search]="search delivery records common platform"
  [shell]="shell search detection delivery records convert ui image common platform"
  [app]="app shell search detection delivery records convert ui image common platform"
)
status=0
for folder in "${!allowed[@]}"; do
  while IFS= read -r line; do
    file="${line%%:*}"
    target="$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")"
    [[ -d "src/$target" ]] || continue
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file includes $target/ (above $folder)"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "src/$folder" || true)
done
[[ $status == 0 ]] && echo "every include runs down the layers"
exit $status
