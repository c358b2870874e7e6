#!/bin/sh
# Sets up, builds and runs every test; then the checks of the source tree.
# VRASK_SANITIZE_TESTS=1 also builds with ASan+UBSan and runs the tests there,
# and runs the threaded tests under ThreadSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-tree.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2
if [ "${VRASK_SANITIZE_TESTS:-0}" = 1 ]; then
  scripts/build.sh build-asan -DVRASK_SANITIZE=ON
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
  scripts/tsan.sh
fi
