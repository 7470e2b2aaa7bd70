#!/usr/bin/env bash
# Installs the Debian packages that Pelmora needs to build, run and test, or
# those named as arguments. Installs only what is missing; safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config dpkg-dev
  libcoin-dev libsimage-dev libsoqt520-dev libx11-dev libxcomposite-dev libjpeg62-turbo-dev
  libegl-dev libpng-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick libgl1-mesa-dri weston xwayland qtwayland5
  valgrind python3 python3-pil
  scdoc lintian desktop-file-utils appstream
)

if [ $# -gt 0 ]; then
  packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
