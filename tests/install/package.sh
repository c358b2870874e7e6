#!/bin/sh
# The Debian package of this build: its dependencies are declared and
# installable here, it holds the game, the desktop files and nothing a run
# wrote, and dpkg installs and removes it cleanly in a scratch root.
#   package.sh <build folder> <work folder>
set -u
build=$1 work=$2
command -v cpack >/dev/null && command -v dpkg-deb >/dev/null || exit 77
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >cpack.log 2>&1 || { cat cpack.log; exit 1; }
deb=$(ls "$work"/vrask_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libsdl2 libavcodec libavformat libswscale libswresample libc6 libstdc++; do
    echo "$depends" | grep -q "$lib" || bad "no dependency on $lib"
done
# Every dependency names a package this machine has installed.
for name in $(echo "$depends" | tr ',' '\n' | sed 's/(.*)//; s/|.*//'); do
    dpkg-query -W "$name" >/dev/null 2>&1 || bad "dependency $name is not a package here"
done

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >files
for f in usr/bin/vrask usr/lib/games/vrask/Vrask usr/lib/games/vrask/libvraskplatform.so \
    usr/lib/games/vrask/TolwickDunmarrow.gam usr/lib/games/vrask/data/DemoMainMenu.so \
    usr/lib/games/vrask/data/qexags.012 usr/share/applications/example.korvid.Vrask.desktop \
    usr/share/metainfo/example.korvid.Vrask.metainfo.xml usr/share/man/man6/vrask.6.gz \
    usr/share/icons/hicolor/64x64/apps/example.korvid.Vrask.png \
    usr/share/icons/hicolor/128x128/apps/example.korvid.Vrask.png \
    usr/share/icons/hicolor/256x256/apps/example.korvid.Vrask.png; do
    grep -qx "$f" files || bad "$f is not in the package"
done
if grep -Ei 'prefs\.cfg|qexall\.000|error\.txt|tolwick[0-9]+\.bmp|\.new$' files; then
    bad "the package holds files a run wrote"
fi

# Install and remove into an empty root: nothing may stay behind.
mkdir -p root/var/lib/dpkg/info root/var/lib/dpkg/updates root/var/lib/dpkg/triggers
: >root/var/lib/dpkg/status
dpkg --root="$work/root" --force-depends -i "$deb" >dpkg.log 2>&1 || bad "dpkg -i: $(cat dpkg.log)"
[ -x root/usr/bin/vrask ] && [ -x root/usr/lib/games/vrask/Vrask ] || bad "not unpacked"
dpkg --root="$work/root" -r vrask >>dpkg.log 2>&1 || bad "dpkg -r: $(cat dpkg.log)"
left=$(cd root && find . -mindepth 1 ! -path './var*')
[ -z "$left" ] || bad "left behind after removal: $left"
exit $fail
