#!/bin/sh
# The built demo game played in a real window on the sdl backend under Xvfb,
# with real keys sent by xdotool: the opening movie skipped, the story turned
# through, the game started from the menu; in the meadow a walk right picks
# up a tool (the status digits change, the game's own screenshots show it),
# then walks left into the spikes until the lives are gone; the game-over
# movie, the high-score entry with a name typed, the main menu again and its
# Quit, and the game ends with status 0. Pages are told apart by X
# screenshots of the 640 x 480 screen against the game's own pictures.
# Skips (77) without Xvfb, xdotool or imagemagick.
#   demo-xvfb.sh <game folder> <work folder> [sanitized]
set -u
game=$1
work=$2
slow=1
[ "${3:-}" = sanitized ] && slow=3 # every wait is longer in a sanitized build
for tool in Xvfb xdotool import convert compare identify; do
    command -v $tool >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp -r "$game" play && rm -f play/data/prefs.cfg play/error.txt play/Tolwick*.bmp || exit 1
head -c 288 /dev/zero >play/data/QEXALL.000 # an empty table: any score enters it

. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 640x480x24
pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
display=$(cat display.number)

start=$(date +%s)
say() { echo "$(($(date +%s) - start)) s: $*"; }
fail() {
    echo "FAIL: $*"
    [ -f screen.png ] && cp screen.png failed.png && echo "the screen is in $work/failed.png"
    exit 1
}
# Runs the shell test $1 until it holds, for at most $2 seconds (times the
# slowness of the build).
wait_for() {
    end=$(($(date +%s) + $2 * slow))
    while [ "$(date +%s)" -le $end ]; do
        eval "$1" && return 0
        kill -0 $pid 2>/dev/null || fail "the game ended early: $(cat game.log)"
        sleep 0.2
    done
    return 1
}
# Keys by X keycode: 9 Escape, 36 Return, 65 Space, 111 Up, 113 Left,
# 114 Right, 39 S. Each is held long enough for a frame's read to see it;
# one xdotool does both, so that a loaded machine does not hold it longer.
press() { xdotool keydown "$1" sleep "${2:-0.15}" keyup "$1"; }
shot() { import -window root screen.png; }
# The number of pixels of region $3 that differ between pictures $1 and $2.
differing() {
    convert "$1" -crop "$3" +repage a.png && convert "$2" -crop "$3" +repage b.png &&
        compare -metric AE -fuzz "${4:-0%}" a.png b.png null: 2>&1
}
# The last shot shows region $2 of the game's picture $1 (24-bit, shown in
# 16); the region of the picture is cut once.
seen() {
    [ -f "ref-$1.png" ] || convert "bmp:play/data/$1" -crop "$2" +repage "ref-$1.png"
    convert screen.png -crop "$2" +repage a.png &&
        [ "$(compare -metric AE -fuzz 8% a.png "ref-$1.png" null: 2>&1)" -lt 200 ]
}
shows() { shot && seen "$1" "$2"; }
# The last shot is of the game-over movie, by its purple gradient at the
# bottom left.
purple() {
    convert screen.png -crop 1x1+10+470 -depth 8 rgb:- | od -An -tu1 |
        { read -r r g b && [ "$b" -gt "$r" ] && [ "$r" -gt "$g" ] && [ "$b" -ge 40 ]; }
}
# The game-over movie (kept) or, should it have gone by unseen, the
# high-score screen after it. One shot a turn, as a loaded machine makes
# them slow and the movie lasts 5 s.
game_over() {
    shot || return 1
    purple && keep gameover && return 0
    seen QEXAGB.000 640x90+0+0
}
# The level takes a screenshot with S; the count of them.
screenshots() { find play -maxdepth 1 -name 'Tolwick*.bmp' | wc -l; }
game_shot() {
    before=$(screenshots)
    press 39
    for _ in $(seq $(($1 * slow * 10))); do
        [ "$(screenshots)" -gt "$before" ] && return 0
        sleep 0.1
    done
    return 1
}
latest() { find play -maxdepth 1 -name 'Tolwick*.bmp' | sort | tail -n 1; }
keep() { cp screen.png "$1.png"; }

(cd play && VRASK_BACKEND=sdl SDL_AUDIODRIVER=dummy VRASK_DEBUG_LOG=../debug.log exec ./Vrask) \
    >game.log 2>&1 &
pid=$!
# The window is looked for again until it takes the focus: one found early
# may not be mapped yet.
focus() {
    window=$(xdotool search --onlyvisible --name "Korvid Vrask Engine" | head -n 1)
    [ -n "$window" ] && timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
}
wait_for focus 20 || fail "no game window with the focus"

# The opening movie, skipped.
wait_for 'shot && [ "$(identify -format %k screen.png)" -gt 16 ]' 30 || fail "no opening movie"
keep movie
say "the opening movie"
press 65
# The three story pictures, each turned with Return.
for n in 1 2 3; do
    wait_for "shows story$n.bmp 640x100+0+0" 20 || fail "story picture $n not shown"
    [ $n = 1 ] && keep story
    say "story picture $n"
    press 36
done
# The main menu over the title picture (left of its box); Start game.
wait_for "shows title.bmp 70x400+0+0" 20 || fail "no main menu after the story"
keep menu
say "the main menu"
press 36
# The meadow: its screenshots come only from a level (the first may show
# the loading screen, as the key is seen when the level's first frame reads).
wait_for "game_shot 1" 30 || fail "the level did not start"
shot && keep level
say "the meadow"
# The helper flies in (1.3 s at 90 frames a second), speaks until jump is
# pressed and flies out again (1.3 s); the hero walks once it has gone.
for _ in $(seq $((12 * slow))); do
    press 65 0.1
    sleep 0.15
done
sleep $((2 * slow))
# Standing still the status digits stay; a walk right picks up the tool.
game_shot 5 || fail "no screenshot"
first=$(latest)
sleep 1
game_shot 5 || fail "no screenshot"
still=$(latest)
status=206x26+434+2 # the tools and score digits, right of the blinking tool icon
[ "$(differing "bmp:$first" "bmp:$still" $status)" = 0 ] || fail "the status changed standing"
# A slow machine may still be playing the helper's part: skip it, try again.
for attempt in 1 2 3; do
    press 114 "$(awk "BEGIN { print 1.2 * $slow }")"
    game_shot 5 || fail "no screenshot"
    walked=$(latest)
    [ "$(differing "bmp:$still" "bmp:$walked" $status)" -gt 0 ] && break
    [ $attempt = 3 ] && fail "the status digits did not change after walking right"
    press 65 0.1
    sleep $((2 * slow))
done
[ "$(differing "bmp:$still" "bmp:$walked" 640x450+0+30)" -gt 1000 ] ||
    fail "holding Right did not move the picture"

# Left into the spikes, held through every respawn, until the game is over.
xdotool keydown 113
wait_for game_over 60
over=$?
xdotool keyup 113
[ $over = 0 ] || fail "the hero never lost all lives walking left"
[ -f gameover.png ] || fail "no game-over movie before the high-score screen"
say "the game-over movie"

# The high-score entry: B, Z, A by Right, Left and Space, then Space to
# leave.
wait_for "shows QEXAGB.000 640x90+0+0" 20 || fail "no high-score screen after the game over"
cp screen.png entry.png
say "the high-score entry"
press 114 0.1
wait_for 'shot && [ "$(differing screen.png entry.png 640x480+0+0)" -gt 0 ]' 5 ||
    fail "no name to enter: the walk right scored nothing"
for key in 65 113 65 65 65; do
    press $key 0.1
    sleep 0.2
done
# The game goes on at the main menu; its Quit is the last item, one up.
wait_for "shows title.bmp 70x400+0+0" 20 || fail "no main menu after the high scores"
press 111
press 36
say "the main menu again: Quit"
wait_for "! kill -0 $pid 2>/dev/null" 20 || fail "the game did not end after Quit"
wait $pid
code=$?
pid=""
[ $code = 0 ] || fail "exit status $code: $(cat game.log)"
[ -e play/error.txt ] && fail "$(tr -d '\0' <play/error.txt)"

# The table took the score with the initials typed (0 is A).
table=$(od -An -tu1 -N35 -v play/data/QEXALL.000 | tr -s ' \n' ' ')
# shellcheck disable=SC2086 # one field a byte
set -- $table
[ $(($1 + $2 + $3 + $4)) -gt 0 ] || fail "no score in the table: $table"
[ "${33} ${34} ${35}" = "1 25 0" ] || fail "initials ${33} ${34} ${35} where B Z A (1 25 0) were typed"

# Every page looked different from the others.
set -- movie story menu level gameover
while [ $# -gt 1 ]; do
    a=$1
    shift
    for b in "$@"; do
        [ "$(differing "$a.png" "$b.png" 640x480+0+0 2%)" -gt 20000 ] || fail "$a and $b look alike"
    done
done
echo "movie, story, menu, level, game over, high scores and the menu again; exit status 0"
