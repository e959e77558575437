#!/usr/bin/env bash
# Installs what building, running and testing Quelt needs on Debian 12.
# Quiet and idempotent: on a ready machine it only asks dpkg and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev qt6-declarative-dev
  libcurl4-openssl-dev libpugixml-dev
  libgtest-dev libgmock-dev libcpp-httplib-dev
  ffmpeg fonts-noto-cjk curl
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
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
