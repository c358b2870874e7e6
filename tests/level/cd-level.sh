#!/bin/sh
# A level set to CD music, on the sdl backend under Xvfb with SDL's disk audio
# driver: the track plays, P pauses it by the mixer volume, R resumes it, and
# the one-second track loops. Checked on the audio the driver wrote, in
# windows wide enough for a slow, shared machine. Skips (77) without Xvfb.
set -u
driver=$1
work=$2
command -v Xvfb >/dev/null || exit 77
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 1024x768x24
trap 'kill $xvfb 2>/dev/null' EXIT
# At 90 frames a second: pause at 0.5 s, resume at 2.5 s, end at 4.4 s.
cat >input.txt <<'SCRIPT'
45 down P
47 up P
225 down R
227 up R
SCRIPT
VRASK_BACKEND=sdl VRASK_TEST_LEVEL_CD=1 VRASK_INPUT=input.txt VRASK_DEBUG_LOG=debug.log \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=audio.raw "$driver" 400 0 >driver.log 2>&1 \
    || { cat driver.log; exit 1; }
grep -q "sanitized build" driver.log && { echo "sanitized build: timing not checked"; exit 0; }

# Whether the stretch from $1 to $2 seconds holds any sound (16-bit stereo
# at 44100 Hz: 176400 bytes a second).
sound() {
    dd if=audio.raw bs=4 skip=$(($1 * 44100 / 10)) count=$((($2 - $1) * 44100 / 10)) \
        2>/dev/null | od -An -tx1 -v | grep -q '[1-9a-f]'
}
fail=0
sound 12 22 && { echo "the track is not paused from 1.2 s to 2.2 s"; fail=1; }
sound 36 40 || { echo "no sound from 3.6 s to 4.0 s: the track did not resume or loop"; fail=1; }
grep -q "CDAudioRefresh failed" debug.log && { echo "CD refresh failed"; fail=1; }
exit $fail
