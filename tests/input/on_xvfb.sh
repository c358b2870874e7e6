#!/bin/sh
# Runs a command on the sdl backend against a private Xvfb display.
# Exits 77 (skipped) when Xvfb is not installed.
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not installed: skipped"; exit 77; }
fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$fd_file"' EXIT
for i in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
[ -s "$fd_file" ] || { echo "Xvfb did not start"; exit 1; }
# The X and D-Bus libraries SDL loads keep memory to the end and some are
# unloaded before the leak check can name them; the headless runs of the
# same tests keep the leak check.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
DISPLAY=":$(cat "$fd_file")" VRASK_BACKEND=sdl VRASK_WINDOWED=1 "$@"
