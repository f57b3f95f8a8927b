#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program.
# Only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5x11extras5-dev
  libqt5opengl5-dev qttools5-dev-tools
  libqrencode-dev libgif-dev libpng-dev libjpeg-dev libzxing-dev libzbar-dev libopencv-dev
  libx11-dev libxcb1-dev
  zbar-tools zint imagemagick giflib-tools poppler-utils
  xvfb xauth x11-utils xdotool trayer fonts-noto-cjk desktop-file-utils
  libbenchmark-dev valgrind acl
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
