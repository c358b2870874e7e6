#!/bin/sh
# The loading screen on the headless backend, end to end: the driver shows it
# and saves a screenshot of the primary surface; the screenshot must hold the
# frame at (270,190)-(369,239) in 5-5-5 and black around it.
set -u
driver=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
VRASK_BACKEND=headless VRASK_CLOCK=virtual "$driver" 0 >driver.log 2>&1 || { cat driver.log; exit 1; }
[ -f Tolwick000.bmp ] || { echo "no screenshot"; exit 1; }
[ "$(wc -c <Tolwick000.bmp)" -eq 614454 ] || { echo "wrong screenshot size"; exit 1; }

# The 16-bit value at game point (x, y): rows are stored bottom row first.
pixel() {
    od -An -tx2 -j $((54 + (479 - $2) * 1280 + $1 * 2)) -N2 Tolwick000.bmp | tr -d ' '
}
fail=0
expect() {
    got=$(pixel "$1" "$2")
    [ "$got" = "$3" ] || { echo "($1,$2): $got, expected $3"; fail=1; }
}
expect 280 200 7c00 # red half
expect 360 230 03e0 # green half
expect 270 190 7fff # border corner
expect 369 239 7fff
expect 269 200 0000
expect 300 240 0000
expect 0 0 0000
exit $fail
