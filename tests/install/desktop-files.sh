#!/bin/sh
# The desktop entry, the AppStream metainfo and the manual page against
# their validators, and the icons the build drew at their sizes.
#   desktop-files.sh <source folder> <build folder>
set -u
src=$1 build=$2
for tool in desktop-file-validate appstreamcli groff identify; do
    command -v $tool >/dev/null || { echo "no $tool"; exit 77; }
done
fail=0
desktop-file-validate "$src/packaging/example.korvid.Vrask.desktop" || fail=1
appstreamcli validate --no-net "$src/packaging/example.korvid.Vrask.metainfo.xml" || fail=1
warnings=$(groff -man -ww -z "$build/packaging/vrask.6" 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; fail=1; }
for size in 64 128 256; do
    got=$(identify -format '%wx%h %[channels]' "$build/packaging/icons/$size.png" 2>&1)
    case "$got" in
    "${size}x$size srgba"*) ;;
    *) echo "icon $size: $got"; fail=1 ;;
    esac
done
exit $fail
