#!/bin/sh
# Configures and builds into build/ (or the folder given), extra CMake
# arguments after it.
set -e
cd "$(dirname "$0")/.."
dir="${1:-build}"
[ $# -gt 0 ] && shift
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j2
