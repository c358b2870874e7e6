#!/bin/sh
# Keys sent with xdotool to the real window under Xvfb arrive as the right
# scan codes, focus loss takes the keyboard away until the window is in
# front again; the session's recording then replays to the same changes on
# the headless backend. Exits 77 (skipped) without Xvfb or xdotool.
probe="$1"
work="${2:-.}/xdotool_keys.$$"
command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1 || {
    echo "Xvfb or xdotool not installed: skipped"
    exit 77
}
mkdir -p "$work" || exit 1
xvfb=""
cleanup() {
    [ -n "$probe_pid" ] && kill -9 "$probe_pid" 2>/dev/null
    [ -n "$other_pid" ] && kill -9 "$other_pid" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    [ -n "$KEEP" ] || rm -rf "$work"
}
trap cleanup EXIT

# A display number of our own, as other tests may run their own server. The
# headless replay below keeps the leak check the real window turns off.
leak_check="${ASAN_OPTIONS:-}"
. "$(dirname "$0")/../support/xvfb.sh"
start_xvfb 800x600x24 "$work" || exit 1

VRASK_BACKEND=sdl VRASK_WINDOWED=1 VRASK_RECORD="$work/recorded.txt" \
    VRASK_DEBUG_LOG="$work/debug.log" "$probe" >"$work/live.txt" 2>"$work/probe.err" &
probe_pid=$!
window=$(xdotool search --sync --name "Vrask key probe" | head -n 1)
[ -n "$window" ] || { echo "no probe window"; exit 1; }
xdotool windowfocus --sync "$window"
for i in $(seq 100); do grep -q ready "$work/live.txt" && break; sleep 0.1; done
grep -q ready "$work/live.txt" || { echo "the probe never got the keyboard"; cat "$work/probe.err"; exit 1; }

# Physical keys by X keycode (so that xdotool adds no modifiers of its
# own), and the scan code each must arrive as. A single digit would be
# read as a keysym, so every keycode here has two or three.
set -- 38 0x1E 65 0x39 111 0xC8 116 0xD0 113 0xCB 114 0xCD 108 0xB8 \
    64 0x38 105 0x9D 37 0x1D 50 0x2A 62 0x36 104 0x9C 36 0x1C 67 0x3B 96 0x58 \
    110 0xC7 117 0xD1 118 0xD2 119 0xD3 87 0x4F 106 0xB5 63 0x37 10 0x02 19 0x0B \
    20 0x0C 51 0x2B 94 0x56 133 0xDB 135 0xDD 66 0x3A 23 0x0F 22 0x0E
expected=""
while [ $# -gt 1 ]; do
    xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.1
    expected="$expected down $2 up $2"
    shift 2
done
# Another window takes the focus: the keyboard is lost, keys go there; back
# in front it is acquired again and reads on.
VRASK_BACKEND=sdl VRASK_WINDOWED=1 "$probe" "Vrask other window" >"$work/other.txt" 2>&1 &
other_pid=$!
other=$(xdotool search --sync --name "Vrask other window" | head -n 1)
xdotool windowfocus --sync "$other"
for i in $(seq 50); do grep -q "focus lost" "$work/live.txt" && break; sleep 0.1; done
xdotool keydown 38; sleep 0.1; xdotool keyup 38; sleep 0.1
xdotool windowfocus --sync "$window"
for i in $(seq 50); do grep -q "focus back" "$work/live.txt" && break; sleep 0.1; done
expected="$expected focus lost focus back"
sleep 0.3
xdotool keydown 65; sleep 0.1; xdotool keyup 65; sleep 0.1
expected="$expected down 0x39 up 0x39"
# SDL turns SIGTERM into a quit request that the probe does not act on.
kill -9 "$other_pid" 2>/dev/null; wait "$other_pid" 2>/dev/null; other_pid=""

# A tap between two reads: B (keycode 56) makes the probe's next read a
# second late; Space pressed and let go meanwhile still reads down once.
xdotool keydown 56; sleep 0.3; xdotool keyup 56; xdotool keydown 65; xdotool keyup 65
sleep 1.2
expected="$expected down 0x30 up 0x30 down 0x39 up 0x39"

xdotool keydown Escape; sleep 0.15; xdotool keyup Escape
expected="$expected down 0x01"
wait "$probe_pid"; status=$?
probe_pid=""
[ "$status" = 0 ] || { echo "probe failed ($status)"; cat "$work/probe.err"; exit 1; }

seen=$(grep -v ready "$work/live.txt" | awk '{printf " %s %s", $2, $3}')
if [ "$seen" != "$expected" ]; then
    echo "expected:$expected"
    echo "seen:    $seen"
    exit 1
fi

# The recording replays to the same changes at the same reads.
ASAN_OPTIONS="$leak_check" VRASK_BACKEND=headless VRASK_INPUT="$work/recorded.txt" "$probe" >"$work/replay.txt" 2>&1 ||
    { echo "replay failed"; cat "$work/replay.txt"; exit 1; }
if ! cmp -s "$work/live.txt" "$work/replay.txt"; then
    echo "replay differs from the live session:"
    diff "$work/live.txt" "$work/replay.txt"
    exit 1
fi
echo "keys arrived as their scan codes; the recording replays the same"
exit 0
