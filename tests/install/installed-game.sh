#!/bin/sh
# The installed game, moved after installing and made read-only, run
# headless by a user who cannot write to it and ended by SIGTERM: its
# preferences and high scores go to the user's folders and are read back
# from there on the next run, a screenshot and the error report go there too
# and the debug log and the message say so, and nothing is written into the
# game folder.
#   installed-game.sh <build folder> <work folder> <install_game_folder>
#                     <menu plug-in> <brain folder>
set -u
build=$1 work=$2 writer=$3 menu=$4 brains=$5
# Root may write anywhere: the game then runs as nobody.
as=""
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || exit 77
    as="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
chmod 755 .
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$work/staged" >install.log || { cat install.log; exit 1; }
mv staged moved # the tree must still work after a move
game=moved/lib/games/vrask
[ -x moved/bin/vrask ] && [ -x "$game/Vrask" ] || { echo "not installed as expected"; exit 1; }
# The installed program over a short crafted game that ends on the
# high-score screen.
mkdir scores && cp -r "$game"/. scores/ && (cd scores && "$writer" "$menu" "$brains" 5) || exit 1
chmod -R a-w moved scores
find moved scores -printf '%p %s %T@\n' | sort >files.before
mkdir -m 777 home data-home logs

# Starts the game as the user (launcher or program $1, in folder $2).
start() {
    rm -f logs/debug.log
    (cd "$2" && exec $as env HOME="$work/home" XDG_DATA_HOME="$work/data-home" \
        VRASK_INPUT="${VRASK_INPUT:-}" VRASK_BACKEND=headless VRASK_CLOCK=virtual VRASK_AUDIO=null \
        VRASK_DEBUG_LOG="$work/logs/debug.log" "$1") >>run.log 2>&1 &
    game=$!
}
wait_for() { # <shell test> <seconds>
    i=0
    while [ $i -lt $(($2 * 10)) ]; do
        eval "$1" && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}
# Once the game shows its first screen, SIGTERM must end it with status 0.
terminate() { # <what> <shell test for the moment to send it>
    wait_for "$2" 60 || bad "$1: the moment never came"
    kill -TERM $game
    if ! wait_for "! kill -0 $game 2>/dev/null" 30; then
        kill -9 $game
        bad "$1: the game did not end"
    fi
    wait $game
    status=$?
    [ $status -eq 0 ] || bad "$1: exit status $status"
}
shown="grep -q 'Display: mode' logs/debug.log 2>/dev/null"
volume() { od -An -tu1 -j8 -N1 "$1" | tr -d ' '; }

prefs=home/.config/vrask/prefs.cfg
start "$work/moved/bin/vrask" .
terminate "first run" "$shown"
[ "$(stat -c %s $prefs 2>/dev/null)" = 144 ] || bad "no preferences in ~/.config/vrask"
[ "$(stat -c %a home/.config/vrask 2>/dev/null)" = 700 ] || bad "the user's folder is not private"
# A changed music volume is read back from there and saved as it was read.
printf '\041' | dd of=$prefs bs=1 seek=8 conv=notrunc 2>/dev/null
start "$work/moved/bin/vrask" .
terminate "second run" "$shown"
[ "$(volume $prefs)" = 33 ] || bad "the preferences were not read back (volume $(volume $prefs))"

table=data-home/vrask/QEXALL.000
printf '1 down S\n3 up S\n' >screenshot.txt # in the level
VRASK_INPUT="$work/screenshot.txt" start ./Vrask scores
terminate "high scores" "[ -s $table ]"
[ "$(stat -c %s $table 2>/dev/null)" = 288 ] || bad "no high scores in \$XDG_DATA_HOME/vrask"
[ -s data-home/vrask/Tolwick000.bmp ] || bad "no screenshot in \$XDG_DATA_HOME/vrask"
grep -q "Screenshot saved as $work/data-home/vrask/Tolwick000.bmp" logs/debug.log ||
    bad "the debug log does not say where the screenshot went"
# A cut table there is read, and refused: the report goes beside it.
head -c 100 $table >table.cut && cat table.cut >$table
: >run.log
start ./Vrask scores
wait $game
grep -q "Unable to load high scores!" run.log || bad "the high scores were not read back"
[ -s data-home/vrask/error.txt ] || bad "no error report in \$XDG_DATA_HOME/vrask"
grep -q "This report is saved in $work/data-home/vrask/error.txt" run.log ||
    bad "the message does not say where the report is"

find moved scores -printf '%p %s %T@\n' | sort >files.after
cmp -s files.before files.after || bad "the game folder changed: $(diff files.before files.after)"
[ $fail = 0 ] || cat run.log
exit $fail
