#!/bin/sh
# Runs the crafted level twice on the headless backend with the virtual
# clock and one input script (screenshots on S, the toggle key): the two runs
# must write identical screenshots.
set -u
driver=$1
work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
cat >"$work/input.txt" <<'SCRIPT'
40 down T
41 up T
100 down S
101 up S
SCRIPT
for run in 1 2; do
    mkdir -p "$work/run$run" && cd "$work/run$run" || exit 1
    VRASK_BACKEND=headless VRASK_CLOCK=virtual VRASK_AUDIO=null \
        VRASK_INPUT="$work/input.txt" "$driver" 200 0 >driver.log 2>&1 \
        || { cat driver.log; exit 1; }
done
fail=0
for shot in Tolwick000.bmp Tolwick001.bmp; do
    [ -f "$work/run1/$shot" ] || { echo "run 1 wrote no $shot"; fail=1; continue; }
    cmp "$work/run1/$shot" "$work/run2/$shot" || fail=1
done
# The mid-run and the last frame differ: the view has scrolled.
cmp -s "$work/run1/Tolwick000.bmp" "$work/run1/Tolwick001.bmp" && { echo "no scrolling"; fail=1; }
exit $fail
