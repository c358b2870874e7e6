#!/bin/sh
# Runs clang-tidy with the project's configuration over the game's sources.
set -e
cd "$(dirname "$0")/.."
dir="${1:-build}"
files=$(git ls-files 'common/*.cpp' 'engine/*.cpp' 'platform/*.cpp' 'soundfx/*.cpp' \
        'cdaudio/*.cpp' 'setup/*.cpp' 'brains/*.cpp' 'tools/*.cpp')
clang-tidy -p "$dir" --quiet $files
