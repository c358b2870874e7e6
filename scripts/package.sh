#!/bin/sh
# Builds the Debian package of the game: configures build-package/ (or the
# folder given) for /usr with the launcher in /usr/games, builds without the
# tests, and lets CPack write vrask_<version>_amd64.deb into that folder.
set -e
cd "$(dirname "$0")/.."
dir="${1:-build-package}"
scripts/build.sh "$dir" -DCMAKE_INSTALL_PREFIX=/usr -DVRASK_INSTALL_BINDIR=games \
    -DBUILD_TESTING=OFF
(cd "$dir" && cpack -G DEB)
ls "$dir"/vrask_*.deb
