#!/usr/bin/env bash
# Lists every include that runs up the layers: a folder of src/ including a
# header of a folder above it. Prints one line per offending file and
# include, and exits 1 when there is any. The order, lowest first, is the
# one docs/architecture.md draws; folders on one line may not include each
# other. The build runs it (target layer_check), so an include that runs up
# fails the build.
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
# Inside the shell: the store lowest, then play control, the reports and
# the connectivity watch, then the lists, dialogs, save dialog and update
# check (which do not include each other), the HTML views and browsing
# tabs above the lists, the search tabs and the program's other views
# above them, and the main window on top.
declare -A shell_allowed=(
  [settings]="settings"
  [stats]="stats settings"
  [net]="net"
  [player]="player settings"
  [lists]="lists player settings"
  [dialogs]="dialogs player settings"
  [save]="save player settings"
  [update]="update stats settings"
  [browse]="browse lists player settings"
  [search_tabs]="search_tabs browse lists player settings"
  [window]="window search_tabs browse lists dialogs save update player stats net settings"
)
for part in "${!shell_allowed[@]}"; do
  [[ -d "src/shell/$part" ]] || continue
  while IFS= read -r line; do
    file="${line%%:*}"
    target="$(sed -E 's/.*#include "shell\/([a-z_]+)\/.*/\1/' <<<"$line")"
    if [[ " ${shell_allowed[$part]} " != *" $target "* ]]; then
      echo "$file includes shell/$target/ (above shell/$part)"
      status=1
    fi
  done < <(grep -rnE '^#include "shell/[a-z_]+/' "src/shell/$part" || true)
done
for part in src/shell/*/; do
  part="$(basename "$part")"
  [[ -n "${shell_allowed[$part]:-}" ]] || { echo "src/shell/$part has no place in the layers (scripts/check-layers.sh)"; status=1; }
done
[[ $status == 0 ]] && echo "every include runs down the layers"
exit $status
