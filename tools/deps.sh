#!/usr/bin/env bash
# Installs the Debian packages Orvane builds and tests with, when any is missing.
# Quick and silent when everything is present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  clang libclang-rt-dev libclang-rt-14-dev
  xvfb xauth xdotool imagemagick desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
