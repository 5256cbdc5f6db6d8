#!/usr/bin/env bash
# The virtual X screen the window tests share (tests/xvfb_session.sh) must be
# the test's own even when other X servers run beside it: here two decoys
# with a screen of the very size the test asks for. One admits any client;
# the other demands a cookie of its own. Each keeps only its abstract
# socket: its lock and socket files are removed, as they would be out of
# sight for a server in another container sharing the network namespace.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"

size=1024x768
tmp=$(mktemp -d)
decoys=()
stop_decoys() {
    local pid
    for pid in "${decoys[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap 'xvfb_stop; stop_decoys; rm -rf "$tmp"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# decoy NAME [XVFB-ARGS...]: starts a server with a screen of $size, leaves
# only its abstract socket and puts its display number in $number.
number=""
decoy() {
    local name=$1
    number=""
    shift
    mkfifo "$tmp/$name.number"
    # -noreset: a server whose socket file is gone stops serving clients
    # for a while when it resets after its last client.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset "$@" 3>"$tmp/$name.number" >"$tmp/$name.log" 2>&1 &
    decoys+=($!)
    read -r -t 60 number <"$tmp/$name.number" || true
    [ -n "$number" ] || { echo "the decoy $name did not start: $(cat "$tmp/$name.log")" >&2; exit 1; }
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
}
decoy open
open=$number
echo "ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 $(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" \
    | xauth -q -f "$tmp/decoy-auth" nmerge - 2>/dev/null
decoy guarded -auth "$tmp/decoy-auth"
guarded=$number
echo "decoys at :$open (no access control) and :$guarded (a cookie of its own)"

xvfb_start "$size" || fail "xvfb_start failed beside the decoys"
echo "the session's server: $XVFB_DISPLAY"
case "$XVFB_DISPLAY" in
":$open" | ":$guarded" | "") fail "the session took the display of a decoy: '$XVFB_DISPLAY'" ;;
esac
xvfb_is_ours "$size" || fail "the session's own server is not recognised"

# The check tells the decoys apart from the session's server, although the
# screens have the same size.
ours=$XVFB_DISPLAY
for d in "$open" "$guarded"; do
    XVFB_DISPLAY=":$d"
    if xvfb_is_ours "$size" 2>/dev/null; then
        fail "the decoy at :$d passed for the session's server"
    fi
done
XVFB_DISPLAY=$ours

[ "$failures" -eq 0 ] || exit 1
echo "the session's X server is its own"
