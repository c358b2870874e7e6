# Sourced by the tests that run the game in a real window: start_xvfb <screen>
# starts an X server of that screen (e.g. 1280x1024x24) on a free display,
# its number in display.number of the current folder, exports DISPLAY and
# leaves the server's pid in $xvfb for the caller's EXIT trap. The X, GL and
# D-Bus libraries under SDL leak a little at start-up, with stacks the
# sanitizer cannot name; leaks of our own code are the headless tests'
# business, so the leak check is off.
start_xvfb() {
    exec 3>display.number
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp >xvfb.log 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -s display.number ] && break; sleep 0.1; done
    export DISPLAY=":$(cat display.number)"
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}
