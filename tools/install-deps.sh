#!/usr/bin/env bash
# Installs the Debian packages the project needs. Does nothing when they are all present.
# Needs root: run as root or with sudo.
set -euo pipefail

packages=(
  cmake g++ make pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libglfw3-dev libglew-dev libglm-dev libgl1-mesa-dev libgl1-mesa-dri
  xvfb xauth x11-apps xdotool imagemagick
  libdevil-dev libpng-dev libarchive-dev liblzma-dev p7zip-full
  libnoise-dev libvpx-dev vpx-tools
  libfltk1.3-dev fluid
  libmpg123-dev libsdl2-dev libkissfft-dev lame sox libmp3lame-dev
  python3 python3-pil python3-numpy fonts-dejavu-core fonts-league-spartan fonts-dseg
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    exec sudo "$0" "$@"
  fi
  echo "install-deps: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y --no-install-recommends "${missing[@]}"
