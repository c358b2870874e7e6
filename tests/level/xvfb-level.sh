#!/bin/sh
# Runs the crafted level on the sdl backend under Xvfb for three seconds:
# checks the frame intervals traced at each flip (median within 0.5 ms of
# 1/90 s), that the music reached SDL's disk audio driver, and that the X
# screenshot of the last frame matches the game's own screenshot scaled 2x
# into the 1280 x 1024 screen (letterboxed 32 rows top and bottom).
# Skips (77) without Xvfb or imagemagick.
set -u
driver=$1
work=$2
command -v Xvfb >/dev/null && command -v import >/dev/null && command -v compare >/dev/null \
    || exit 77
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1280x1024x24
trap 'kill $xvfb 2>/dev/null' EXIT

# Without a window manager the window need not get the focus the keyboard
# asks for; an empty input script stands in for the keyboard.
echo "# no keys" >input.txt
run() {
    rm -f debug.log audio.raw Tolwick*.bmp
    VRASK_BACKEND=sdl VRASK_DEBUG_LOG=debug.log VRASK_TRACE_FLIPS=1 VRASK_INPUT=input.txt \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=audio.raw \
        "$driver" 270 3 >driver.log 2>&1 &
    game=$!
    for _ in $(seq 200); do grep -q "level done" driver.log 2>/dev/null && break; sleep 0.1; done
    sleep 1
    import -window root shot.png || exit 1
    wait $game || { cat driver.log; exit 1; }
    # Frame intervals: the gaps between successive flips, in microseconds.
    median=$(grep '^Flip ' debug.log | awk '{print $2}' |
        awk 'NR > 1 {print $1 - last} {last = $1}' | sort -n |
        awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
    echo "flips: $(grep -c '^Flip ' debug.log), median interval ${median} us"
}
in_time() {
    grep -q "sanitized build" driver.log ||
        { [ -n "$median" ] && [ "$median" -ge "$low" ] && [ "$median" -le "$high" ]; }
}

fail=0
# Within 0.5 ms of 11111 us on a quiet machine. A shared one (CI runs two
# tests at once on two cores) slows frames down, so outside VRASK_STRICT_TIMING
# the check only catches a loop that is not paced at 90 a second at all.
if [ "${VRASK_STRICT_TIMING:-0}" = 1 ]; then low=10611; high=11611; else low=9000; high=16000; fi
# A run that other work slowed down is tried again.
for _ in 1 2 3; do
    run
    in_time && break
done
if grep -q "sanitized build" driver.log; then
    echo "sanitized build: the frame rate is not checked"
elif ! in_time; then
    echo "median frame interval ${median} us is not within ${low}..${high} us"
    fail=1
fi
# The music: two seconds of a tone, so the disk driver's file holds more
# than silence.
if ! [ -s audio.raw ] || ! od -An -tx1 -v -N 400000 audio.raw | grep -q '[1-9a-f]'; then
    echo "no music reached the audio driver"
    fail=1
fi
# The last frame on the X screen against the primary surface's screenshot.
[ -f Tolwick000.bmp ] || { echo "no screenshot of the primary surface"; exit 1; }
convert Tolwick000.bmp -filter point -resize 200% expected.png
convert shot.png -crop 1280x960+0+32 +repage got.png
differ=$(compare -metric AE -fuzz 2% got.png expected.png diff.png 2>&1 >/dev/null)
echo "pixels differing from the game's screenshot: $differ"
[ "$differ" = "0" ] || fail=1
exit $fail
