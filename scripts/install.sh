#!/usr/bin/env bash
# Installs Quelt under a prefix (default ~/.local): the program in
# <prefix>/lib/quelt, the command <prefix>/bin/quelt, its icon and its menu
# entry under <prefix>/share. The installed program keeps the user's files
# in ~/.local/share/quelt and ~/.cache/quelt; `quelt uninstall` removes
# the installation again. Usage: scripts/install.sh [prefix]
# QUELT_BUILD_DIR=<dir> installs from that build as it is, without building.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="${1:-$HOME/.local}"
build="${QUELT_BUILD_DIR:-build}"
if [[ -z "${QUELT_BUILD_DIR:-}" ]]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j"$(nproc)" --target quelt
fi
cmake --install "$build" --prefix "$prefix" >/dev/null
echo "Installed $prefix/bin/quelt (menu entry $prefix/share/applications/quelt.desktop)"
# Debian's ~/.profile puts ~/.local/bin on the PATH only at a login after
# the folder exists: until then "quelt" alone is not found.
if [[ ":$PATH:" != *":$prefix/bin:"* ]]; then
  echo "$prefix/bin is not on your PATH: start Quelt from the menu or as $prefix/bin/quelt"
  echo "(and remove it with $prefix/bin/quelt uninstall)"
fi
