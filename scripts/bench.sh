#!/bin/sh
# Builds the project and runs the benchmarks in one process, repeated and
# interleaved so that the pairs share the machine's moods; the table of
# ratios (medians of CPU time) comes last. Extra arguments go to the
# benchmark program, e.g. --benchmark_filter=LevelFrame.
set -e
cd "$(dirname "$0")/.."
scripts/build.sh build >/dev/null
exec build/bench/vrask_bench --benchmark_repetitions="${VRASK_BENCH_REPETITIONS:-5}" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true "$@"
