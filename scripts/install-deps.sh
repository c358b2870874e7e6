#!/bin/sh
# Installs the Debian 12 packages the build, the game and the tests need.
set -e
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES="build-essential cmake ninja-build pkg-config git
  libsdl2-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy
  xvfb xauth xdotool x11-apps imagemagick sox xdg-utils ffmpeg espeak-ng
  libtinyxml2-dev nlohmann-json3-dev zlib1g-dev libpng-dev tiled
  desktop-file-utils appstream groff-base"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
