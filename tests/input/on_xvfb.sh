#!/bin/sh
# Runs a command on the sdl backend against a private Xvfb display.
# Exits 77 (skipped) when Xvfb is not installed.
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not installed: skipped"; exit 77; }
. "$(dirname "$0")/../support/xvfb.sh"
dir=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
start_xvfb 800x600x24 "$dir" || exit 1
VRASK_BACKEND=sdl VRASK_WINDOWED=1 "$@"
