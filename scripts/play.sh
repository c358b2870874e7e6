#!/bin/sh
# Sets up, builds and plays: the game runs from the build's game folder.
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build/game
exec ./Vrask
