#!/bin/sh
# Plays the player brain's crafted level in a real window on the sdl backend
# under Xvfb, with keys sent by xdotool: the helper skipped, then a walk
# right and a jump, a screenshot (S) after each. The screenshots differ, and
# the trace shows the player walked and rose. Skips (77) without Xvfb or
# xdotool.
set -u
driver=$1
work=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1280x1024x24
game=""
trap 'kill $xvfb 2>/dev/null; [ -n "$game" ] && kill -9 $game 2>/dev/null' EXIT

# The watch ends the level after 1500 frames (17 seconds at 90 a second).
VRASK_BACKEND=sdl VRASK_WINDOWED=1 VRASK_TEST_TRACE=trace.txt VRASK_DEBUG_LOG=debug.log \
    SDL_AUDIODRIVER=dummy "$driver" 1500 0 >driver.log 2>&1 &
game=$!
window=$(xdotool search --sync --name "Korvid Vrask Engine" | head -n 1)
[ -n "$window" ] || { echo "no game window"; exit 1; }
xdotool windowfocus --sync "$window"
# Keys by X keycode: 65 Space, 114 Right, 39 S.
press() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
# Jump taps until the helper has surely spoken, been stopped and flown out,
# on a machine slow enough to run at half speed.
for _ in $(seq 18); do sleep 0.3; press 65 0.1; done
sleep 1
press 114 1.0           # walk right
press 39 0.1            # screenshot
press 65 0.25           # jump
press 39 0.1            # screenshot in the air
wait $game; status=$?
game=""
[ $status -eq 0 ] || { cat driver.log; exit 1; }
fail=0
for shot in Tolwick000.bmp Tolwick001.bmp; do
    [ -f "$shot" ] || { echo "no $shot"; fail=1; }
done
[ $fail -eq 0 ] && cmp -s Tolwick000.bmp Tolwick001.bmp && { echo "the screenshots are alike"; fail=1; }
# From the trace: the player walked right from 64 and rose above the floor.
awk '$3 > 64 { walked = 1 } $5 < 400 { rose = 1 } END { exit !(walked && rose) }' trace.txt ||
    { echo "the player did not walk and jump"; fail=1; }
exit $fail
