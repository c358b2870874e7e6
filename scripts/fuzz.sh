#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs one target, or all of
# them one after another, for the given seconds each (default 60).
#   scripts/fuzz.sh                     every target, 60 s each
#   scripts/fuzz.sh stream_fuzz 600     one target, ten minutes
# Each target starts from its committed seeds (fuzz/corpus/<target>) and keeps
# what it finds in build-fuzz/corpus/<target>; a crash is written to
# build-fuzz/artifacts/<target>/, and belongs under tests/regressions/<target>/
# once fixed. FUZZ_NICE=0 runs at normal priority; FUZZ_ARGS adds options.
set -e
cd "$(dirname "$0")/.."
target="${1:-all}"
seconds="${2:-60}"
# Absolute paths: the targets work in a game folder of their own.
root="$(pwd)"
out="$root/build-fuzz"
all="level_file_fuzz game_file_fuzz prefs_fuzz sheet_fuzz mask_fuzz bmp_fuzz
  sound_effect_fuzz stream_fuzz high_scores_fuzz input_script_fuzz movie_fuzz tiled_import_fuzz"
[ "$target" = all ] && targets="$all" || targets="$target"

# Only the targets are built: the rest of the tree need not build with clang.
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
CC=clang CXX=clang++ cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVRASK_FUZZ=ON -DBUILD_TESTING=OFF $launcher >/dev/null
cmake --build "$out" -j2 --target $targets

nice=""
[ "${FUZZ_NICE:-1}" = 0 ] || nice="nice -n 19"
# Movies decode through FFmpeg: a longer time per input, and a cap on its size.
status=0
for t in $targets; do
  mkdir -p "$out/corpus/$t" "$out/artifacts/$t"
  dict=""
  [ -f "fuzz/dict/$t.dict" ] && dict="-dict=$root/fuzz/dict/$t.dict"
  limits="-rss_limit_mb=2048 -timeout=10"
  [ "$t" = movie_fuzz ] && limits="-rss_limit_mb=2048 -timeout=20 -max_len=65536"
  echo "== $t: $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1 $nice "$out/fuzz/$t" -max_total_time="$seconds" \
      -print_final_stats=1 $limits $dict -artifact_prefix="$out/artifacts/$t/" \
      $FUZZ_ARGS "$out/corpus/$t" "$root/fuzz/corpus/$t" 2>"$out/$t.log"; then
    echo "$t: finding, see $out/$t.log and $out/artifacts/$t/"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::average_exec_per_sec" "$out/$t.log" || true
done
exit $status
