# shellcheck shell=bash
# Shared by the tests that start the real program on a virtual X screen.
# Source it, call xvfb_start, start the program in the background with
# DISPLAY=$XVFB_DISPLAY, then xvfb_wait_window. xvfb_stop ends both.

XVFB_PID=""
XVFB_DISPLAY=""
XVFB_TITLE='ゼミック(Zemmick)：パネルを消そう'

# xvfb_start WIDTHxHEIGHT: a screen of its own; Xvfb picks a free display,
# so tests running side by side never share one.
xvfb_start() {
    local numfile
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 200); do
        [ -s "$numfile" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    XVFB_DISPLAY=":$(head -n 1 "$numfile")"
    rm -f "$numfile"
    if [ "$XVFB_DISPLAY" = ":" ] || ! xdpyinfo -display "$XVFB_DISPLAY" >/dev/null 2>&1; then
        echo "Xvfb did not start" >&2
        return 1
    fi
}

# xvfb_wait_window PID [TITLE]: prints the id of the program's viewable window
# with that title (the main window by default); fails if PID ends first or
# nothing appears within 30 seconds.
xvfb_wait_window() {
    local pid=$1 title=${2:-$XVFB_TITLE} id
    for _ in $(seq 300); do
        id=$(DISPLAY=$XVFB_DISPLAY xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | awk '{print $1}' | head -n 1 || true)
        if [ -n "$id" ] && DISPLAY=$XVFB_DISPLAY xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# xvfb_window_size ID: prints WIDTHxHEIGHT.
xvfb_window_size() {
    DISPLAY=$XVFB_DISPLAY xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# xvfb_viewable_windows: the viewable top-level windows, one "id title" a line.
xvfb_viewable_windows() {
    local id
    for id in $(DISPLAY=$XVFB_DISPLAY xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
        if DISPLAY=$XVFB_DISPLAY xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
            echo "$id $(DISPLAY=$XVFB_DISPLAY xwininfo -id "$id" | sed -n 's/^xwininfo: Window id: [^ ]* //p')"
        fi
    done
}

# xvfb_stop_program PID: ends the program and waits for it.
xvfb_stop_program() {
    [ -n "${1:-}" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

xvfb_stop() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
