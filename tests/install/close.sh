#!/bin/sh
# Ending the game from outside: SIGTERM on the headless backend during a
# level and on the high-score screen, and the window closed with xdotool
# under Xvfb during a level, the demo's opening movie, its story page and
# start-up. Every run must end by
# itself with status 0, having saved the preferences (a 145-byte file, which
# the game accepts, comes back as 144 bytes) and kept the high scores.
#   close.sh <Vrask> <install_game_folder> <menu plug-in> <brain folder> <demo game> <work>
set -u
program=$1 writer=$2 menu=$3 brains=$4 demo=$5 work=$6
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export VRASK_AUDIO=null VRASK_DEBUG_LOG=debug.log
fail=0
say() { echo "$*"; }
bad() { echo "FAIL: $*"; fail=1; }

# A game folder: the crafted level ending after $2 frames, or the demo.
folder() {
    rm -rf "$1" && mkdir -p "$1/data" && (cd "$1" && "$writer" "$menu" "$brains" "$2") || exit 1
    for f in title.bmp qexags.012 QEXAGB.000 QEXAGS.013 QEXAGS.014 QEXAGS.015 QEXASW.000; do
        cp "$demo/data/$f" "$1/data/" || exit 1
    done
}
demo_folder() {
    rm -rf "$1" && mkdir -p "$1" && cp "$demo/TolwickDunmarrow.gam" "$1/" &&
        cp -r "$demo/data" "$1/" && rm -f "$1/data/prefs.cfg" "$1/data/QEXALL.000" || exit 1
}
# Preferences one byte longer than the game writes them.
long_prefs() {
    printf '\001\0\0\0\001\0\0\0\062\0\0\0\106\0\0\0' >"$1/data/prefs.cfg"
    head -c 129 /dev/zero >>"$1/data/prefs.cfg"
}
# Starts the game in folder $1; the process id is in $game.
start() {
    (cd "$1" && exec "$program") >"$1.out" 2>&1 &
    game=$!
}
# Waits up to $2 seconds for the shell test $1.
wait_for() {
    i=0
    while [ $i -lt $(($2 * 10)) ]; do
        eval "$1" && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}
# The game must end by itself, with status 0 and its preferences saved.
ended() {
    if ! wait_for "! kill -0 $game 2>/dev/null" 30; then
        kill -9 $game
        bad "$1: the game did not end"
    fi
    wait $game
    status=$?
    [ $status -eq 0 ] || bad "$1: exit status $status"
    size=$(stat -c %s "$2/data/prefs.cfg" 2>/dev/null)
    [ "$size" = 144 ] || bad "$1: preferences not saved (${size:-no file})"
    [ -e "$2/error.txt" ] && bad "$1: $(tr -d '\0' <"$2/error.txt")"
    say "$1: ended with status $status"
}

# SIGTERM during a level.
folder level 0
long_prefs level
VRASK_BACKEND=headless VRASK_CLOCK=virtual start level
wait_for "grep -q 'mode 56x40' level/debug.log 2>/dev/null" 60 || bad "level: never started"
kill -TERM $game
ended "SIGTERM in a level" level

# SIGTERM on the high-score screen after the game is complete.
folder scores 5
long_prefs scores
VRASK_BACKEND=headless VRASK_CLOCK=virtual start scores
wait_for "[ -s scores/data/QEXALL.000 ]" 60 || bad "scores: the high-score screen never came"
sleep 0.5
cp scores/data/QEXALL.000 table.before
kill -TERM $game
ended "SIGTERM on the high-score screen" scores
cmp -s table.before scores/data/QEXALL.000 || bad "the high scores changed"

# The real window under Xvfb, closed from outside.
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    say "no Xvfb or xdotool: the window is not closed for real"
    exit $fail
fi
. "$(dirname "$0")/../support/xvfb.sh"
trap 'kill $xvfb 2>/dev/null' EXIT
start_xvfb 1024x768x24 || exit 1
export VRASK_BACKEND=sdl VRASK_WINDOWED=1 SDL_AUDIODRIVER=dummy

close_window() {
    wid=$(xdotool search --sync --name "Korvid Vrask Engine" | head -1)
    [ -n "$wid" ] && xdotool windowclose "$wid"
}

folder window_level 0
long_prefs window_level
start window_level
wait_for "grep -q 'mode 56x40' window_level/debug.log 2>/dev/null" 60 || bad "window level: never started"
close_window
ended "window closed in a level" window_level

# The demo's opening movie, and its story page once the movie is skipped.
modes() { [ "$(grep -c 'mode 640x480' "$1/debug.log" 2>/dev/null)" -ge "$2" ] 2>/dev/null; }
demo_folder window_movie
long_prefs window_movie
echo "# no keys" >window_movie/input.txt
VRASK_INPUT=input.txt VRASK_WINDOWED=0 start window_movie # full screen
wait_for "modes window_movie 2" 60 && sleep 1
close_window
ended "window closed in a cutscene" window_movie

demo_folder window_menu
long_prefs window_menu
printf '10 down SPACE\n13 up SPACE\n' >window_menu/input.txt
VRASK_INPUT=input.txt start window_menu
wait_for "modes window_menu 3" 60 || bad "the story page never came"
close_window
ended "window closed in a menu" window_menu

# At once, while the game may still be starting up.
demo_folder window_start
long_prefs window_start
start window_start
close_window
ended "window closed at start-up" window_start
exit $fail
