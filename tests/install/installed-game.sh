#!/bin/sh
# The installed game, moved after installing and made read-only, run
# headless by a user who cannot write to it: its preferences, high scores
# and error report go to the user's folders, are read back from there on
# the next run, and nothing is written into the game folder.
#   installed-game.sh <build folder> <work folder>
set -u
build=$1 work=$2
# Root may write anywhere: the game then runs as nobody.
as=""
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || exit 77
    as="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
chmod 755 .
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$work/staged" >install.log || { cat install.log; exit 1; }
mv staged moved # the tree must still work after a move
game=moved/lib/games/vrask
[ -x moved/bin/vrask ] && [ -x "$game/Vrask" ] || { echo "not installed as expected"; exit 1; }
# The high-score screen comes after the last page when the story is cut short.
mkdir scores && cp -r "$game"/. scores/ &&
    printf 'VRSK' >scores/TolwickDunmarrow.gam &&
    head -c 40 /dev/zero >>scores/TolwickDunmarrow.gam && printf '\003\000' >>scores/TolwickDunmarrow.gam
for page in title story1 story2; do
    printf '%s' $page >>scores/TolwickDunmarrow.gam
    head -c $((40 - ${#page})) /dev/zero >>scores/TolwickDunmarrow.gam
done
chmod -R a-w moved scores
find moved scores | sort >files.before
mkdir -m 777 home data-home

# Story, story, then Escape at the main menu.
cat >story.txt <<'SCRIPT'
5 down RETURN
8 up RETURN
15 down RETURN
18 up RETURN
25 down ESCAPE
28 up ESCAPE
SCRIPT
# Story, then Escape on the high-score screen and at the main menu.
cat >scores.txt <<'SCRIPT'
5 down RETURN
8 up RETURN
15 down ESCAPE
18 up ESCAPE
25 down ESCAPE
28 up ESCAPE
SCRIPT
run() { # <launcher or program> <input script> [VAR=value ...]
    launcher=$1 script=$2
    shift 2
    $as env HOME="$work/home" XDG_DATA_HOME="$work/data-home" VRASK_BACKEND=headless \
        VRASK_CLOCK=virtual VRASK_AUDIO=null VRASK_INPUT="$work/$script" "$@" \
        "$launcher" >>"$work/run.log" 2>&1
}
# Plays the second byte of the music volume: 50 by default.
volume() { od -An -tu1 -j8 -N1 "$1" | tr -d ' '; }

prefs=home/.config/vrask/prefs.cfg
run "$work/moved/bin/vrask" story.txt || bad "first run: status $?"
[ "$(stat -c %s $prefs 2>/dev/null)" = 144 ] || bad "no preferences in ~/.config/vrask"
[ "$(stat -c %a home/.config/vrask 2>/dev/null)" = 700 ] || bad "the user's folder is not private"
# A changed volume is read back from there and saved again as it was read.
printf '\041' | dd of=$prefs bs=1 seek=8 conv=notrunc 2>/dev/null
run "$work/moved/bin/vrask" story.txt || bad "second run: status $?"
[ "$(volume $prefs)" = 33 ] || bad "the preferences were not read back (volume $(volume $prefs))"

table=data-home/vrask/QEXALL.000
(cd scores && run ./Vrask "scores.txt") || bad "high-score run: status $?"
[ "$(stat -c %s $table 2>/dev/null)" = 288 ] || bad "no high scores in \$XDG_DATA_HOME/vrask"
printf '\377' | dd of=$table bs=1 seek=0 conv=notrunc 2>/dev/null
cp $table table.changed
(cd scores && run ./Vrask "scores.txt") || bad "second high-score run: status $?"
cmp -s $table table.changed || bad "the high scores were not read back"

# A failure: the report goes to the user's folder and the message says so.
: >run.log
run "$work/moved/bin/vrask" story.txt VRASK_FAULTS=ModuleLoad=fail
[ -s data-home/vrask/error.txt ] || bad "no error report in \$XDG_DATA_HOME/vrask"
grep -q "This report is saved in $work/data-home/vrask/error.txt" run.log ||
    bad "the message does not say where the report is"

find moved scores | sort >files.after
cmp -s files.before files.after || bad "files appeared in the game folder: $(diff files.before files.after)"
[ $fail = 0 ] || cat run.log
exit $fail
