#!/usr/bin/env bash
# Starts the real program on a virtual X screen of its own, waits until its
# main window shows the board and saves a PNG of that window.
#   tools/screenshot.sh <executable> <out.png>
set -euo pipefail
exe=$(readlink -f "$1")
out=$(readlink -f -m "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"

work=$(mktemp -d)
app=""
trap 'xvfb_stop_program "$app"; xvfb_stop; rm -rf "$work"' EXIT
cp "$here/assets/Manual.txt" "$work/Manual.txt"
: >"$work/PointRec.dat" # no "File can not found!" box over the window

xvfb_start 1400x1100
(cd "$work" && DISPLAY=$XVFB_DISPLAY QT_QPA_PLATFORM=xcb exec "$exe") >"$work/log" 2>&1 &
app=$!

# The first cell of the board (Panel1 at 8, 72 plus its 5-pixel border)
# shows once the window's first picture is complete.
if ! id=$(xvfb_wait_window "$app") || ! xvfb_wait_painted "$id" "$work/shot.png" 13 77 32 32; then
    echo "screenshot: the main window did not appear with its board" >&2
    cat "$work/log" >&2
    exit 1
fi
mkdir -p "$(dirname "$out")"
cp "$work/shot.png" "$out"
echo "$out"
