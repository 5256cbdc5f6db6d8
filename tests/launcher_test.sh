#!/usr/bin/env bash
# Installs into a temporary prefix, puts a stand-in in the game's place that
# reports where and how it was started, and runs the installed launcher in
# the situations a player's session can offer.
#   launcher_test.sh <cmake> <build-dir>
set -euo pipefail
cmake=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

prefix="$tmp/prefix with space"
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log"
launcher="$prefix/bin/zemmick"
game="$prefix/libexec/zemmick/Zemmickp1"
manual="$prefix/share/zemmick/Manual.txt"
[ -x "$launcher" ] || { echo "no launcher at $launcher"; exit 1; }
[ -x "$game" ] || { echo "no game at $game"; exit 1; }

# The stand-in writes its directory and its arguments to $REPORT.
cat >"$game" <<'STUB'
#!/bin/sh
{ pwd; for a in "$@"; do echo "arg:$a"; done; } >"$REPORT"
STUB
chmod +x "$game"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# start HOME XDG_DATA_HOME|-unset [ARGS...]: runs the launcher from an
# unrelated directory with an otherwise empty environment.
start() {
    local home=$1 data=$2
    shift 2
    mkdir -p "$home" "$tmp/elsewhere"
    rm -f "$tmp/report"
    if [ "$data" = "-unset" ]; then
        (cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$home" REPORT="$tmp/report" "$launcher" "$@")
    else
        (cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$data" \
            REPORT="$tmp/report" "$launcher" "$@")
    fi
}
started_in() { [ -f "$tmp/report" ] && [ "$(head -n 1 "$tmp/report")" = "$1" ]; }

# 1. A fresh player with XDG_DATA_HOME set: the folder is made, the manual
#    copied, the game started inside it.
start "$tmp/h1" "$tmp/d1/share"
started_in "$tmp/d1/share/zemmick" || fail "XDG_DATA_HOME: started in $(head -n 1 "$tmp/report" 2>/dev/null)"
cmp -s "$manual" "$tmp/d1/share/zemmick/Manual.txt" || fail "XDG_DATA_HOME: Manual.txt not copied"
[ "$(stat -c %a "$tmp/d1/share/zemmick")" = 700 ] || fail "a new data folder should be the player's alone"
[ -w "$tmp/d1/share/zemmick/Manual.txt" ] || fail "the copied manual cannot be edited"
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "the launcher left files in the directory it was started from"

# 2. Unset, empty or relative XDG_DATA_HOME: the default under HOME.
n=0
for data in -unset "" "relative/share"; do
    n=$((n + 1))
    home="$tmp/h2-$n"
    start "$home" "$data"
    started_in "$home/.local/share/zemmick" \
        || fail "XDG_DATA_HOME='$data': started in $(head -n 1 "$tmp/report" 2>/dev/null)"
    cmp -s "$manual" "$home/.local/share/zemmick/Manual.txt" || fail "XDG_DATA_HOME='$data': no manual"
done
[ ! -e "$tmp/elsewhere/relative" ] || fail "a relative XDG_DATA_HOME was used"

# 3. The player's files are left alone on the next start.
dir="$tmp/d1/share/zemmick"
printf 'edited by the player\r\n' >"$dir/Manual.txt"
printf 'a record\r\n' >"$dir/PointRec.dat"
cp "$dir/Manual.txt" "$tmp/manual.before"
cp "$dir/PointRec.dat" "$tmp/records.before"
start "$tmp/h1" "$tmp/d1/share"
started_in "$dir" || fail "second start: started in $(head -n 1 "$tmp/report" 2>/dev/null)"
cmp -s "$dir/Manual.txt" "$tmp/manual.before" || fail "second start: the edited Manual.txt was replaced"
cmp -s "$dir/PointRec.dat" "$tmp/records.before" || fail "second start: PointRec.dat was touched"

# 4. A manual the player deleted comes back; the records stay.
rm "$dir/Manual.txt"
start "$tmp/h1" "$tmp/d1/share"
cmp -s "$manual" "$dir/Manual.txt" || fail "a deleted manual was not put back"
cmp -s "$dir/PointRec.dat" "$tmp/records.before" || fail "putting the manual back touched PointRec.dat"

# 5. Arguments pass through unchanged, blanks and all.
start "$tmp/h1" "$tmp/d1/share" "one two" "" "-x"
[ "$(tail -n +2 "$tmp/report")" = "$(printf 'arg:one two\narg:\narg:-x')" ] \
    || fail "arguments changed on the way: $(tail -n +2 "$tmp/report" | tr '\n' '|')"

# 6. Reached through a symbolic link (as from /usr/games), it still finds
#    its game and its manual.
mkdir -p "$tmp/links"
ln -s "$launcher" "$tmp/links/zemmick"
rm -f "$tmp/report"
(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$tmp/h6" XDG_DATA_HOME="$tmp/d6" \
    REPORT="$tmp/report" "$tmp/links/zemmick")
started_in "$tmp/d6/zemmick" || fail "through a link: the game did not start in the data folder"
cmp -s "$manual" "$tmp/d6/zemmick/Manual.txt" || fail "through a link: no manual"

# 7. A data folder that cannot be made is an error, not a game started
#    somewhere else.
: >"$tmp/blocked"
rm -f "$tmp/report"
if (cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$tmp/h7" XDG_DATA_HOME="$tmp/blocked" \
    REPORT="$tmp/report" "$launcher") 2>"$tmp/err"; then
    fail "the launcher succeeded although its data folder cannot exist"
fi
[ ! -e "$tmp/report" ] || fail "the game was started although the data folder could not be made"

[ "$failures" -eq 0 ] || exit 1
echo "launcher ok"
