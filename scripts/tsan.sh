#!/bin/sh
# Builds the threaded parts with ThreadSanitizer into build-tsan/ and runs
# their tests: the mixer, sound effects, streamed music, the CD device and
# library with their timers.
set -e
cd "$(dirname "$0")/.."
tests="sound_mixer_test sound_soundfx_test sound_wavplayback_test cdaudio_device_test
  cdaudio_discal_test"
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRASK_SANITIZE=thread $launcher
# shellcheck disable=SC2086
cmake --build build-tsan -j2 --target $tests
cd build-tsan/tests
status=0
for t in $tests; do
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ./$t || status=1
done
exit $status
