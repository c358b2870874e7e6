#!/bin/sh
# Checks of the source tree that the compiler does not make:
# only platform/ (and bench/, which measures against them) talks to SDL and
# FFmpeg, and no platform header shows them.
set -e
cd "$(dirname "$0")/.."
status=0
pattern='#[[:space:]]*include[[:space:]]*[<"](SDL[^>"]*|libav[a-z]*/[^>"]*|libsw[a-z]*/[^>"]*)[>"]'
bad=$(grep -rEln "$pattern" --include='*.cpp' --include='*.h' --include='*.c' \
      common engine brains soundfx cdaudio setup tools tests demo fuzz 2>/dev/null || true)
if [ -n "$bad" ]; then
  echo "SDL or FFmpeg included outside platform/ and bench/:"; echo "$bad"; status=1
fi
bad=$(grep -lE "$pattern" platform/*.h 2>/dev/null || true)
if [ -n "$bad" ]; then
  echo "SDL or FFmpeg in a public platform header:"; echo "$bad"; status=1
fi
exit $status
