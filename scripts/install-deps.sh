#!/usr/bin/env bash
# Installs what building, running and testing Quelt needs on Debian 12.
# Quiet and idempotent: on a ready machine it only asks dpkg and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev qt6-declarative-dev
  libcurl4-openssl-dev libpugixml-dev
  libgtest-dev libgmock-dev libcpp-httplib-dev libssl-dev
  ffmpeg fonts-noto-cjk curl xvfb xauth
  # Qt's own dialogs in Chinese, like the rest of the window.
  qt6-translations-l10n
  # The window-manager tests: openbox on Xvfb, the pointer moved by xdotool.
  openbox xdotool
)
# Benchmarks compare against these peers; only `--bench` installs them.
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(nginx-light)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed'; then
    missing+=("$p")
  fi
done
# npm installs the player page's scripts; a machine may already have node
# and npm from elsewhere, so the commands are what counts.
command -v npm >/dev/null || missing+=(nodejs npm)

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The player page's packages, exactly as the lock file pins them; again
# only when the lock file changed since the last install.
page="$(cd "$(dirname "$0")/.." && pwd)/web/player"
stamp="$page/node_modules/.quelt-lock"
if ! cmp -s "$page/package-lock.json" "$stamp" 2>/dev/null; then
  echo "Installing the player page's packages (npm ci)"
  (cd "$page" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  cp "$page/package-lock.json" "$stamp"
fi
