# Sourced by the tests that run the game in a real window:
# start_xvfb <screen> [folder] starts an X server of that screen (e.g.
# 1280x1024x24) on a free display, its number in display.number and its log
# in xvfb.log of the folder (the current one by default), exports DISPLAY
# and leaves the server's pid in $xvfb for the caller's EXIT trap; it fails
# when the server does not start. The X, GL and D-Bus libraries under SDL
# leak a little at start-up, with stacks the sanitizer cannot name; leaks of
# our own code are the headless tests' business, so the leak check is off.
start_xvfb() {
    dir="${2:-.}"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$dir/display.number" >"$dir/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$dir/display.number" ] && break; sleep 0.1; done
    [ -s "$dir/display.number" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; return 1; }
    export DISPLAY=":$(cat "$dir/display.number")"
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}
