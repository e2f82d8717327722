#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Does nothing when they are all present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-dev
  libsdl2-dev libx11-dev libfontconfig-dev libfreetype-dev fonts-dejavu-core
  zenity # the open dialog and the message boxes
  clang  # CI builds once with it
  # the end-to-end and install tests
  xvfb openbox xdotool x11-apps x11-utils imagemagick desktop-file-utils
)
# The Windows cross-build, its tests under Wine and its zip.
if [ "${VIEWER_WINDOWS_DEPS:-0}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 fonts-wine zip)
fi
if [ "${VIEWER_FUZZ_DEPS:-0}" = 1 ]; then
  packages+=(libclang-rt-14-dev libjpeg-turbo-progs)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
