#!/bin/sh
# Plays the player brain's crafted level from start to end twice on the
# headless backend with the virtual clock and one input script: the helper
# skipped, tools, a goodie and an extra life collected, the foe in the pit
# stomped, a death on the hazard and the respawn at the checkpoint, the
# bounce pad, the invincibility, the home teleporter and the exit. Both runs
# must end alike, with the expected score, lives and tools, and write
# identical screenshots (taken with S at two moments, which differ).
set -u
driver=$1
work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
cat >"$work/input.txt" <<'SCRIPT'
130 down SPACE
131 up SPACE
200 down T
201 up T
255 down RIGHT
312 down SPACE
313 up RIGHT
319 up SPACE
319 down LMENU
400 down S
401 up S
510 up LMENU
520 down SPACE
520 down RIGHT
540 up SPACE
565 up RIGHT
910 down RIGHT
999 up RIGHT
1000 down S
1001 up S
1180 down RIGHT
SCRIPT
for run in 1 2; do
    mkdir -p "$work/run$run" && cd "$work/run$run" || exit 1
    VRASK_BACKEND=headless VRASK_CLOCK=virtual VRASK_AUDIO=null VRASK_INPUT="$work/input.txt" \
        VRASK_TEST_TRACE=trace.txt "$driver" 2000 0 >driver.log 2>&1 || { cat driver.log; exit 1; }
done
fail=0
expected="score 150 lives 2 tools 20 alive 1 frames 1251"
for run in 1 2; do
    got=$(grep '^score' "$work/run$run/driver.log")
    [ "$got" = "$expected" ] || { echo "run $run ended with: $got (expected $expected)"; fail=1; }
done
# On the way: the death, the respawn, the invincibility.
grep -q ' vis 0 ' "$work/run1/trace.txt" || { echo "the player never died"; fail=1; }
grep -q ' inv 1$' "$work/run1/trace.txt" || { echo "never invincible"; fail=1; }
cmp -s "$work/run1/trace.txt" "$work/run2/trace.txt" || { echo "the runs went differently"; fail=1; }
for shot in Tolwick000.bmp Tolwick001.bmp; do
    [ -f "$work/run1/$shot" ] || { echo "run 1 wrote no $shot"; fail=1; continue; }
    cmp "$work/run1/$shot" "$work/run2/$shot" || fail=1
done
cmp -s "$work/run1/Tolwick000.bmp" "$work/run1/Tolwick001.bmp" && { echo "the screenshots are alike"; fail=1; }
exit $fail
