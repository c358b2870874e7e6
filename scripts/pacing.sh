#!/bin/sh
# Measures the frame pacing of a level on the headless backend with the real
# clock: the crafted level of tests/level, its brains busy for the given
# microseconds a frame (default 2800, a quarter of a frame at 90 a second).
# Prints the median and 99th percentile of the intervals between flips and the
# processor time the process used over 10 s, read from /proc.
#   scripts/pacing.sh [work microseconds] [build folder]
# Needs a build (scripts/build.sh). A busy machine makes the figures worse.
set -eu
cd "$(dirname "$0")/.."
work_us="${1:-2800}"
build="$(cd "${2:-build}" && pwd)"
show="$build/tests/level_show"
[ -x "$show" ] || { echo "no $show: build first (scripts/build.sh)"; exit 1; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cd "$dir"
echo "# no keys" >input.txt

frames=1260 # 14 s: the measured 10 s lie inside, after the start-up
VRASK_BACKEND=headless VRASK_AUDIO=null VRASK_DEBUG_LOG=debug.log VRASK_TRACE_FLIPS=1 \
    VRASK_INPUT=input.txt VRASK_TEST_LEVEL_WORK_US="$work_us" \
    "$show" "$frames" 0 >show.log 2>&1 &
pid=$!
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
sleep 2
before=$(ticks)
start=$(date +%s%N)
sleep 10
after=$(ticks)
end=$(date +%s%N)
wait $pid || { cat show.log; exit 1; }

hz=$(getconf CLK_TCK)
grep '^Flip ' debug.log | awk '{print $2}' | awk 'NR > 1 {print $1 - last} {last = $1}' |
    sort -n >intervals
awk -v before="$before" -v after="$after" -v hz="$hz" -v ns=$((end - start)) -v work="$work_us" '
    { v[NR] = $1 }
    END {
        median = v[int((NR + 1) / 2)] / 1000
        p99 = v[int(NR * 0.99 + 0.5)] / 1000
        cpu = 100 * (after - before) / hz / (ns / 1e9)
        share = 100 * work / 11111
        printf "frames %d, interval median %.3f ms, 99th percentile %.3f ms\n", NR + 1, median, p99
        printf "processor: %.1f %% of a core over %.1f s, for work of %.1f %% of each frame\n",
            cpu, ns / 1e9, share
        ok = median >= 10.911 && median <= 11.311 && p99 < 12.5 && cpu <= share + 10
        printf "goal (median 11.11 +- 0.2 ms, 99th under 12.5 ms, work + 10 %%): %s\n",
            ok ? "met" : "NOT MET"
    }' intervals
