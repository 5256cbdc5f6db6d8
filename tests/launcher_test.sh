#!/usr/bin/env bash
# Installs into a temporary prefix, puts a stand-in in the game's place that
# reports where and how it was started, and runs the installed launcher in
# the situations a player's session can offer.
#   launcher_test.sh <cmake> <build-dir>             sessions and folders
#   launcher_test.sh <cmake> <build-dir> full-disk   the data folder on a full
#       file system: a small tmpfs mounted in a mount namespace of the test's
#       own (made with CAP_SYS_ADMIN, or else inside a user namespace); exits
#       77 (skipped) where neither can be made, as in many CI containers
set -euo pipefail
cmake=$1
build=$2
mode=${3:-sessions}
if [ "$mode" = full-disk ] && [ -z "${ZEMMICK_OWN_MOUNTS:-}" ]; then
    for ns in "unshare -m --propagation private" "unshare -r -m --propagation private"; do
        # shellcheck disable=SC2086 # the words of $ns are the command
        if $ns true 2>/dev/null; then
            ZEMMICK_OWN_MOUNTS=1 exec $ns "$0" "$@"
        fi
    done
    echo "SKIP: no mount namespace can be made here, so no small file system to fill"
    exit 77
fi
tmp=$(mktemp -d)
trap 'umount "$tmp/full" 2>/dev/null || true; rm -rf "$tmp"' EXIT

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

# start HOME|@unset XDG_DATA_HOME|@unset [ARGS...]: runs the launcher from
# an unrelated directory with an otherwise empty environment (TMPDIR points
# into the test's folder); its exit status goes to $status, its standard
# error to $tmp/err. $runner, when set, is the command that runs it.
mkdir -p "$tmp/elsewhere" "$tmp/tmpdir" "$tmp/reports"
chmod 1777 "$tmp/reports" # the stand-in may run as another user
report="$tmp/reports/last"
runner=()
status=0
start() {
    local home=$1 data=$2 vars=(PATH=/usr/bin:/bin TMPDIR="$tmp/tmpdir" REPORT="$report")
    shift 2
    case $home in /*) [ -e "$home" ] || mkdir -p "$home" ;; esac
    rm -f "$report"
    [ "$home" = @unset ] || vars+=(HOME="$home")
    [ "$data" = @unset ] || vars+=(XDG_DATA_HOME="$data")
    status=0
    (cd "$tmp/elsewhere" && env -i "${vars[@]}" ${runner[@]+"${runner[@]}"} "$launcher" "$@") 2>"$tmp/err" \
        || status=$?
}
started_in() { [ -f "$report" ] && [ "$(head -n 1 "$report")" = "$1" ]; }
where() {
    if [ -f "$report" ]; then
        echo "started in $(head -n 1 "$report")"
    else
        echo "not started ($(tr '\n' ' ' <"$tmp/err"))"
    fi
}
# no_debris DIR WHAT: a failed copy leaves nothing behind in DIR, neither a
# temporary file nor a Manual.txt that is not the whole manual.
no_debris() {
    local dir=$1 what=$2 left
    if [ -e "$dir/Manual.txt" ] && ! cmp -s "$manual" "$dir/Manual.txt"; then
        fail "$what: a partial Manual.txt ($(stat -c %s "$dir/Manual.txt") bytes) was left behind"
    fi
    left=$(find "$dir" -name '*Manual*' ! -name Manual.txt | tr '\n' ' ')
    [ -z "$left" ] || fail "$what: temporary files were left: $left"
}
fallback="$tmp/tmpdir/zemmick-$(id -u)"

if [ "$mode" = full-disk ]; then
    # The data folder lies on a tmpfs with not one block free: the copy of the
    # manual fails half-way. Nothing partial may be left behind, the game must
    # start anyway, and once there is room again the next start copies the
    # whole manual.
    mkdir -p "$tmp/full"
    if ! mount -t tmpfs -o size=64k,mode=755 zemmick-full "$tmp/full" 2>"$tmp/mount.err"; then
        echo "SKIP: no tmpfs can be mounted here: $(cat "$tmp/mount.err")"
        exit 77
    fi
    mkdir -p "$tmp/full/home" "$tmp/full/share"
    head -c 1M /dev/zero >"$tmp/full/filler" 2>/dev/null || true
    [ "$(df --output=avail "$tmp/full" | tail -n 1 | tr -d ' ')" = 0 ] || fail "the tmpfs did not fill up"
    if head -c 1 /dev/zero >"$tmp/full/probe" 2>/dev/null && [ -s "$tmp/full/probe" ]; then
        fail "a byte could still be written to the full tmpfs"
    fi
    rm -f "$tmp/full/probe"
    dir="$tmp/full/share/zemmick"
    start "$tmp/full/home" "$tmp/full/share"
    started_in "$dir" || fail "full disk: the game did not start in its data folder: $(where)"
    [ "$status" -eq 0 ] || fail "full disk: the launcher failed ($status)"
    no_debris "$dir" "full disk"
    [ ! -e "$dir/Manual.txt" ] || fail "full disk: an incomplete Manual.txt was left in the data folder"
    [ -s "$tmp/err" ] || fail "full disk: nothing said about the manual that could not be copied"
    echo "full disk, launcher's standard error: $(cat "$tmp/err")"
    # Room again: the manual comes whole.
    rm "$tmp/full/filler"
    start "$tmp/full/home" "$tmp/full/share"
    started_in "$dir" || fail "after the full disk: $(where)"
    cmp -s "$manual" "$dir/Manual.txt" || fail "after the full disk: the manual was not copied whole"
    no_debris "$dir" "after the full disk"
    [ "$failures" -eq 0 ] || exit 1
    echo "launcher on a full disk ok"
    exit 0
fi

# 1. A fresh player with XDG_DATA_HOME set: the folder is made, the manual
#    copied, the game started inside it.
start "$tmp/h1" "$tmp/d1/share"
started_in "$tmp/d1/share/zemmick" || fail "XDG_DATA_HOME: $(where)"
cmp -s "$manual" "$tmp/d1/share/zemmick/Manual.txt" || fail "XDG_DATA_HOME: Manual.txt not copied"
[ "$(stat -c %a "$tmp/d1/share/zemmick")" = 700 ] || fail "a new data folder should be the player's alone"
[ -w "$tmp/d1/share/zemmick/Manual.txt" ] || fail "the copied manual cannot be edited"
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "the launcher left files in the directory it was started from"

# 2. Unset, empty or relative XDG_DATA_HOME: the default under HOME.
n=0
for data in @unset "" "relative/share"; do
    n=$((n + 1))
    home="$tmp/h2-$n"
    start "$home" "$data"
    started_in "$home/.local/share/zemmick" \
        || fail "XDG_DATA_HOME='$data': $(where)"
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
started_in "$dir" || fail "second start: $(where)"
cmp -s "$dir/Manual.txt" "$tmp/manual.before" || fail "second start: the edited Manual.txt was replaced"
cmp -s "$dir/PointRec.dat" "$tmp/records.before" || fail "second start: PointRec.dat was touched"

# 4. A manual the player deleted comes back; the records stay.
rm "$dir/Manual.txt"
start "$tmp/h1" "$tmp/d1/share"
cmp -s "$manual" "$dir/Manual.txt" || fail "a deleted manual was not put back"
cmp -s "$dir/PointRec.dat" "$tmp/records.before" || fail "putting the manual back touched PointRec.dat"

# 5. Arguments pass through unchanged, blanks and all.
start "$tmp/h1" "$tmp/d1/share" "one two" "" "-x"
[ "$(tail -n +2 "$report")" = "$(printf 'arg:one two\narg:\narg:-x')" ] \
    || fail "arguments changed on the way: $(tail -n +2 "$report" | tr '\n' '|')"

# 6. Reached through a symbolic link (as from /usr/games), it still finds
#    its game and its manual.
mkdir -p "$tmp/links"
ln -s "$launcher" "$tmp/links/zemmick"
rm -f "$report"
(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$tmp/h6" XDG_DATA_HOME="$tmp/d6" \
    REPORT="$report" "$tmp/links/zemmick")
started_in "$tmp/d6/zemmick" || fail "through a link: the game did not start in the data folder"
cmp -s "$manual" "$tmp/d6/zemmick/Manual.txt" || fail "through a link: no manual"

# 7. Folders that cannot be made or used: the next place in line is taken,
#    XDG_DATA_HOME, then HOME's default, then a private folder under TMPDIR,
#    and the game starts; the directory it was started from stays empty.
#    HOME values that are not absolute paths are not used at all (with
#    HOME=relhome a folder would appear wherever the launcher was started;
#    HOME=-x reads as an option).
: >"$tmp/blocked"
# HOME  XDG_DATA_HOME  where the game should start
cases=(
    "$tmp/h7|$tmp/blocked|$tmp/h7/.local/share/zemmick"
    "$tmp/blocked|$tmp/blocked/share|$fallback"
    "@unset|@unset|$fallback"
    "|@unset|$fallback"
    "relhome|@unset|$fallback"
    "relhome|relative/share|$fallback"
    "-x|@unset|$fallback"
    "-|@unset|$fallback"
    "--version|@unset|$fallback"
)
for c in "${cases[@]}"; do
    IFS='|' read -r home data expected <<<"$c"
    rm -rf "$fallback"
    start "$home" "$data"
    what="HOME='$home' XDG_DATA_HOME='$data'"
    if ! started_in "$expected"; then
        fail "$what: $(where), not in $expected"
        rm -rf "${tmp:?}/elsewhere"/* "${tmp:?}/elsewhere"/.[!.]* 2>/dev/null || true
        continue
    fi
    cmp -s "$manual" "$expected/Manual.txt" || fail "$what: no manual in $expected"
    [ -z "$(ls -A "$tmp/elsewhere")" ] || fail "$what: files appeared where the launcher was started: $(ls -A "$tmp/elsewhere")"
    rm -rf "${tmp:?}/elsewhere"/* "${tmp:?}/elsewhere"/.[!.]* 2>/dev/null || true
    if [ "$expected" = "$fallback" ]; then
        [ "$(stat -c %a "$fallback")" = 700 ] || fail "$what: the fallback folder is not the player's alone"
        grep -qF "$fallback" "$tmp/err" || fail "$what: the player is not told where the records go"
    fi
done
# The fallback folder is kept for the next start.
mkdir -p "$fallback"
printf 'a record\r\n' >"$fallback/PointRec.dat"
start @unset @unset
started_in "$fallback" || fail "the fallback folder was not used again: $(where)"
[ -s "$fallback/PointRec.dat" ] || fail "the records in the fallback folder were lost"

# 8. A fallback folder that is not the player's own is never used: a link
#    planted under that name, or (as root, who can make one) a folder of
#    another user.
rm -rf "$fallback"
mkdir -p "$tmp/planted"
ln -s "$tmp/planted" "$fallback"
start @unset @unset
[ ! -e "$report" ] || fail "the game started through a planted link: $(where)"
[ "$status" -ne 0 ] || fail "the launcher reported success without a folder to start in"
[ -z "$(ls -A "$tmp/planted")" ] || fail "files were written through the planted link"
[ -s "$tmp/err" ] || fail "no folder at all, and nothing said"
rm -f "$fallback"
if [ "$(id -u)" = 0 ]; then
    mkdir -m 700 "$fallback"
    chown 65534:65534 "$fallback"
    start @unset @unset
    [ ! -e "$report" ] || fail "the game started in another user's folder"
    [ "$status" -ne 0 ] || fail "the launcher reported success in another user's folder"
    [ -z "$(ls -A "$fallback")" ] || fail "files were written into another user's folder"
    rm -rf "$fallback"
fi

# 9. A data folder the player cannot write (an administered or read-only
#    folder): the manual cannot be copied, the game starts anyway and says
#    itself that the manual is missing. Root writes anywhere, so the
#    launcher then runs as nobody.
ro="$tmp/ro"
mkdir -p "$ro/data/zemmick" "$ro/home"
if [ "$(id -u)" = 0 ]; then
    chmod 755 "$tmp"
    chown -R 65534:65534 "$ro"
    runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 555 "$ro/data/zemmick"
start "$ro/home" "$ro/data"
runner=()
started_in "$ro/data/zemmick" || fail "read-only data folder: $(where)"
[ "$status" -eq 0 ] || fail "read-only data folder: the launcher failed ($status)"
no_debris "$ro/data/zemmick" "read-only data folder"
[ ! -e "$ro/data/zemmick/Manual.txt" ] || fail "read-only data folder: a manual appeared there"
[ -s "$tmp/err" ] || fail "read-only data folder: nothing said about the manual"

[ "$failures" -eq 0 ] || exit 1
echo "launcher ok"
