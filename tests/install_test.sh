#!/usr/bin/env bash
# Installs into a temporary prefix and starts the installed launcher under
# Xvfb as a player who has never played: the window must appear, the game
# must run the installed executable inside the new data folder, and the
# folder must now hold Manual.txt. A second start must leave an edited
# Manual.txt and an existing PointRec.dat as they were.
#   install_test.sh <cmake> <build-dir>
set -euo pipefail
cmake=$(command -v "$1")
build=$2
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"

tmp=$(mktemp -d)
app=""
trap 'xvfb_stop_program "$app"; xvfb_stop; rm -rf "$tmp"' EXIT

# Installed the way the README says, through `make install`, with blanks in
# both the prefix and the staging folder. The build tree is the test's own
# and already built, so the cmake that make calls skips the build step.
prefix="/opt/zemmick game"
stage="$tmp/stage dir"
mkdir -p "$tmp/bin"
cat >"$tmp/bin/cmake" <<STUB
#!/bin/sh
[ "\$1" = --build ] && exit 0
exec "$cmake" "\$@"
STUB
chmod +x "$tmp/bin/cmake"
if ! env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL PATH="$tmp/bin:$PATH" \
    make -C "$here" -o setup install RELEASE="$build" PREFIX="$prefix" DESTDIR="$stage" >"$tmp/install.log" 2>&1; then
    echo "FAIL: make install PREFIX=\"$prefix\" DESTDIR=\"$stage\" failed:"
    tail -n 5 "$tmp/install.log"
    exit 1
fi
prefix="$stage$prefix"
echo "installed:"
(cd "$prefix" && find . -type f | sort | sed 's/^\./  /')

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for f in bin/zemmick libexec/zemmick/Zemmickp1; do
    [ -x "$prefix/$f" ] || fail "$f is not an installed executable"
done
cmp -s "$here/assets/Manual.txt" "$prefix/share/zemmick/Manual.txt" \
    || fail "share/zemmick/Manual.txt is not the game's manual"

xvfb_start 1400x1100
home="$tmp/home"
data="$tmp/data" # does not exist yet
mkdir -p "$home" "$tmp/elsewhere" "$tmp/runtime"
chmod 700 "$tmp/runtime"

# launch NAME: starts the installed launcher from an unrelated directory and
# waits until the main window shows its board; the launcher execs the game,
# so $app is the game's process.
#
# The game's requests reach the X server in order, and the main window is
# painted only once an event loop runs: the program's own, after start-up,
# or that of a box start-up shows, which is mapped before its loop starts.
# So once the board shows, a box from start-up is already on the screen.
launch() {
    local id
    (cd "$tmp/elsewhere" && exec env HOME="$home" XDG_DATA_HOME="$data" XDG_RUNTIME_DIR="$tmp/runtime" \
        DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb "$prefix/bin/zemmick") >"$tmp/$1.log" 2>&1 &
    app=$!
    # The first cell of the board: Panel1 at 8, 72 plus its 5-pixel border.
    if ! id=$(xvfb_wait_window "$app") || ! xvfb_wait_painted "$id" "$tmp/$1.png" 13 77 32 32; then
        echo "$1: the main window did not appear with its board"
        cat "$tmp/$1.log"
        exit 1
    fi
    [ "$(readlink -f "/proc/$app/exe")" = "$(readlink -f "$prefix/libexec/zemmick/Zemmickp1")" ] \
        || fail "$1: the window belongs to $(readlink -f "/proc/$app/exe"), not the installed game"
    [ "$(readlink -f "/proc/$app/cwd")" = "$(readlink -f "$data/zemmick")" ] \
        || fail "$1: the game runs in $(readlink -f "/proc/$app/cwd"), not in the data folder"
}

# The record table reads PointRec.dat while the program starts; without one
# it says so in a box of its own, titled with the program's name.
records_box() { xvfb_viewable_windows | grep -c ' "Zemmickp1"$' || true; }

# First start: nothing of the player's exists.
launch first
[ -f "$data/zemmick/Manual.txt" ] || fail "first start: no Manual.txt in the data folder"
cmp -s "$prefix/share/zemmick/Manual.txt" "$data/zemmick/Manual.txt" \
    || fail "first start: the data folder's Manual.txt is not the installed one"
[ "$(records_box)" -gt 0 ] || fail "first start: the game did not look for PointRec.dat in the empty data folder"
xvfb_stop_program "$app"
app=""
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "files appeared in the directory the launcher was started from"
[ "$(ls -A "$prefix/libexec/zemmick")" = Zemmickp1 ] || fail "files appeared beside the executable"

# Second start: the player has rewritten the manual and has records.
printf '\x83\x51\x81\x5B\x83\x80\x82\xCC\x90\xE0\x96\xBE\r\nedited by the player\r\n' >"$data/zemmick/Manual.txt"
cp "$here/tests/corpus/record_file/example-line.dat" "$data/zemmick/PointRec.dat"
cp "$data/zemmick/Manual.txt" "$tmp/manual.before"
cp "$data/zemmick/PointRec.dat" "$tmp/records.before"
launch second
[ "$(records_box)" -eq 0 ] || fail "second start: the game did not find the PointRec.dat in its data folder"
cmp -s "$data/zemmick/Manual.txt" "$tmp/manual.before" || fail "second start: the edited Manual.txt was replaced"
cmp -s "$data/zemmick/PointRec.dat" "$tmp/records.before" || fail "second start: PointRec.dat was changed"
xvfb_stop_program "$app"
app=""

[ "$failures" -eq 0 ] || exit 1
echo "installed launcher ok"
