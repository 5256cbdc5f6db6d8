# shellcheck shell=bash
# Shared by every test and tool that starts the real program on a virtual X
# screen. Source it, call xvfb_start, start the program in the background
# with DISPLAY=$XVFB_DISPLAY (xvfb_start exports XAUTHORITY), then
# xvfb_wait_window. xvfb_stop ends the server.
#
# Other X servers on the machine, and other tests doing the same at the
# same time, cannot get in the way:
# - Xvfb chooses the display number itself (-displayfd): it takes a number
#   only when it can hold both that number's socket file and its abstract
#   socket, so while it runs no other server answers on that number, not
#   even one whose lock and socket files are out of sight (another
#   container sharing the network namespace). That matters because clients
#   try the abstract socket first whatever DISPLAY says: libxcb 1.15 has no
#   form of DISPLAY (":N", "unix:N", a socket path) that goes to the file
#   only.
# - The server admits only clients holding a cookie made for this session,
#   and xvfb_start checks that a client without it is turned away while one
#   with it is admitted and sees the screen size asked for: the server that
#   answers is the one started here.
# - Xvfb reports its number through a pipe once it accepts clients, so the
#   wait ends as soon as it is ready, or dies; nothing is guessed and no
#   fixed time is slept.

XVFB_PID=""
XVFB_DISPLAY=""
XVFB_DIR=""
XVFB_TITLE='ゼミック(Zemmick)：パネルを消そう'

# xvfb_start WIDTHxHEIGHT: a screen of its own, at $XVFB_DISPLAY.
xvfb_start() {
    local attempt
    for attempt in 1 2 3; do
        if xvfb_try_start "$1"; then
            return 0
        fi
        echo "Xvfb, attempt $attempt: $(tail -n 3 "$XVFB_DIR/log" 2>/dev/null | tr '\n' ' ')" >&2
        xvfb_stop
    done
    echo "Xvfb did not start" >&2
    return 1
}

xvfb_try_start() {
    local size=$1 number="" cookie
    XVFB_DIR=$(mktemp -d)
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    # A wildcard entry (family ffff, no address, no number): it serves
    # whatever number the server picks.
    echo "ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 $cookie" \
        | xauth -q -f "$XVFB_DIR/auth" nmerge - 2>/dev/null || return 1
    mkfifo "$XVFB_DIR/number"
    Xvfb -displayfd 3 -auth "$XVFB_DIR/auth" -screen 0 "${size}x24" -nolisten tcp -listen unix -listen local -noreset \
        3>"$XVFB_DIR/number" >"$XVFB_DIR/log" 2>&1 &
    XVFB_PID=$!
    # Reads as end of file if the server dies before it is ready.
    read -r -t 120 number <"$XVFB_DIR/number" || true
    [ -n "$number" ] || return 1
    XVFB_DISPLAY=":$number"
    export XAUTHORITY="$XVFB_DIR/auth"
    xvfb_is_ours "$size"
}

# xvfb_is_ours WIDTHxHEIGHT: the server at $XVFB_DISPLAY demands this
# session's cookie and has a screen of that size.
xvfb_is_ours() {
    local size
    if XAUTHORITY=/dev/null xdpyinfo -display "$XVFB_DISPLAY" >/dev/null 2>&1; then
        echo "the X server at $XVFB_DISPLAY admits clients without this session's cookie:" \
            "it is not the one started here" >&2
        return 1
    fi
    size=$(xdpyinfo -display "$XVFB_DISPLAY" 2>/dev/null | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p')
    if [ "$size" != "$1" ]; then
        echo "the X server at $XVFB_DISPLAY shows a screen of '$size', not $1: it is not the one started here" >&2
        return 1
    fi
}

# xvfb_wait_window PID [TITLE]: prints the id of the program's viewable window
# with that title (the main window by default); fails if PID ends first or
# nothing appears within 60 seconds.
xvfb_wait_window() {
    local pid=$1 title=${2:-$XVFB_TITLE} id
    for _ in $(seq 600); do
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

# xvfb_wait_painted ID PNG X Y W H: waits until the area W x H at X, Y of
# window ID shows three colours or more (drawn, not a blank background) and
# leaves the window's picture in PNG; fails after 60 seconds. The window is
# painted in one piece, so one drawn area means the whole first picture.
xvfb_wait_painted() {
    local id=$1 png=$2 area="$5x$6+$3+$4" colours
    for _ in $(seq 300); do
        if DISPLAY=$XVFB_DISPLAY import -window "$id" "$png" 2>/dev/null; then
            colours=$(convert "$png" -crop "$area" +repage -unique-colors -alpha off -depth 8 txt:- | grep -c '#' || true)
            [ "$colours" -ge 3 ] && return 0
        fi
        sleep 0.2
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
    if [ -n "$XVFB_DIR" ]; then
        rm -rf "$XVFB_DIR"
        XVFB_DIR=""
    fi
    XVFB_DISPLAY=""
}
