#!/bin/sh
# Runs the loading screen on the sdl backend under Xvfb, takes an X
# screenshot of the whole screen and checks that the frame sits where the
# primary surface has it, scaled 2x into the 1280 x 1024 screen (letterboxed
# 32 rows top and bottom). Skips (77) without Xvfb or imagemagick.
set -u
driver=$1
work=$2
command -v Xvfb >/dev/null && command -v import >/dev/null && command -v convert >/dev/null \
    || exit 77
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1280x1024x24
trap 'kill $xvfb 2>/dev/null' EXIT

VRASK_BACKEND=sdl VRASK_DEBUG_LOG=debug.log "$driver" 4 >driver.log 2>&1 &
game=$!
for _ in $(seq 100); do grep -q "shown" driver.log 2>/dev/null && break; sleep 0.1; done
sleep 1
import -window root shot.png || exit 1
wait $game || { cat driver.log; exit 1; }

pixel() { convert shot.png -format "%[pixel:p{$1,$2}]" info:; }
fail=0
expect() {
    got=$(pixel "$1" "$2")
    if [ "$got" != "$3" ]; then
        echo "($1,$2): $got, expected $3"
        fail=1
    fi
}
# Screen point = 2 x game point + (0, 32). The frame: (270,190)-(369,239).
expect 560 440 "srgb(255,0,0)"     # left half, red
expect 720 500 "srgb(0,255,0)"     # right half, green
expect 540 412 "srgb(255,255,255)" # top-left corner of the border
expect 739 511 "srgb(255,255,255)" # bottom-right corner of the border
expect 538 440 "srgb(0,0,0)"       # just left of the frame
expect 640 514 "srgb(0,0,0)"       # just below it
expect 640 10 "srgb(0,0,0)"        # letterbox band
[ -f Tolwick000.bmp ] || { echo "no screenshot of the primary surface"; fail=1; }

# Windowed: the mode's own size, centred by the server; Alt+Enter switches
# to full screen (without a window manager the server keeps the window's
# size, so only the switch itself is checked).
VRASK_BACKEND=sdl VRASK_WINDOWED=1 VRASK_DEBUG_LOG=windowed.log "$driver" 4 >driver2.log 2>&1 &
game=$!
for _ in $(seq 100); do grep -q "shown" driver2.log 2>/dev/null && break; sleep 0.1; done
sleep 1
import -window root shot2.png || exit 1
if command -v xdotool >/dev/null; then
    window=$(xdotool search --name "Korvid Vrask Engine" | head -1)
    xdotool key --window "$window" alt+Return
fi
wait $game || { cat driver2.log; exit 1; }
cp shot2.png shot.png
expect 600 472 "srgb(255,0,0)"     # window at (320,272): frame point (280,200)
expect 689 511 "srgb(255,255,255)" # the frame's bottom-right corner
expect 690 511 "srgb(0,0,0)"
if command -v xdotool >/dev/null && ! grep -q "Display: full screen" windowed.log; then
    echo "Alt+Enter did not switch to full screen"
    fail=1
fi
exit $fail
