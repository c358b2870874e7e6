#!/bin/sh
# Configures and builds into build/ (or the folder given), extra CMake
# arguments after it.
set -e
cd "$(dirname "$0")/.."
dir="${1:-build}"
[ $# -gt 0 ] && shift
# ccache, where present, makes rebuilds in several work trees cheap.
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher "$@"
cmake --build "$dir" -j2
