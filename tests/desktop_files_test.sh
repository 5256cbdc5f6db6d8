#!/usr/bin/env bash
# Stages an install the way a package build does (DESTDIR plus a prefix) and
# checks what the desktop sees of the game: the desktop entry and the
# AppStream metainfo pass their validators, name each other and the icon by
# the same id, and the icon is there in every size, scaled from the 32 x 32
# pixel art by whole factors without smoothing.
#   desktop_files_test.sh <cmake> <build-dir>
set -euo pipefail
cmake=$1
build=$2
here=$(cd "$(dirname "$0")/.." && pwd)
id=net.zemmick.Zemmick
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

prefix=/opt/zemmick-test
DESTDIR="$tmp/stage" "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log"
root="$tmp/stage$prefix"
entry="$root/share/applications/$id.desktop"
metainfo="$root/share/metainfo/$id.metainfo.xml"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# --- the desktop entry -------------------------------------------------------
[ -f "$entry" ] || { echo "FAIL: no $id.desktop in share/applications"; exit 1; }
echo "desktop-file-validate:"
if ! out=$(desktop-file-validate "$entry" 2>&1); then fail "desktop-file-validate rejected the entry"; fi
echo "${out:-  (nothing to say)}"
[ -z "$out" ] || fail "desktop-file-validate had remarks"

# key NAME: the value of NAME in the [Desktop Entry] group.
key() { sed -n '/^\[Desktop Entry\]/,/^\[/p' "$entry" | sed -n "s/^$(printf '%s' "$1" | sed 's/[][]/\\&/g')=//p"; }
check_key() { [ "$(key "$1")" = "$2" ] || fail "$1 is '$(key "$1")', not '$2'"; }
check_key Type Application
check_key Name Zemmick
check_key 'Name[ja]' 'ゼミック'
check_key Icon "$id"
check_key Categories 'Game;LogicGame;'
check_key Terminal false
# Exec names the launcher where it will be once installed, not in the stage.
check_key Exec "$prefix/bin/zemmick"
check_key TryExec "$prefix/bin/zemmick"
[ -x "$tmp/stage$(key Exec)" ] || fail "Exec= does not name the installed launcher"
[ -n "$(key Comment)" ] || fail "no Comment"
[ -n "$(key 'Comment[ja]')" ] || fail "no Comment[ja]"
# The program tells the desktop which entry is its own; both must agree.
grep -q "setDesktopFileName(QStringLiteral(\"$id\"))" "$here/ui/Application.cpp" \
    || fail "the program does not declare itself as $id"

# --- the metainfo -------------------------------------------------------------
[ -f "$metainfo" ] || { echo "FAIL: no $id.metainfo.xml in share/metainfo"; exit 1; }
echo "appstreamcli validate --no-net --strict --pedantic:"
if ! appstreamcli validate --no-net --strict --pedantic "$metainfo" 2>&1 | sed 's/^/  /'; then
    fail "appstreamcli rejected the metainfo"
fi
# The component id was chosen with capitals, like the application id; that
# is the one remark allowed.
remarks=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1 | grep -E '^[EWIP]:' \
    | grep -v "cid-contains-uppercase-letter $id\$" || true)
[ -z "$remarks" ] || fail "appstreamcli remarks: $remarks"
# xml_text XPATH-ish: the text of the first element of that name with no xml:lang.
xml_text() { sed -n "s|^ *<$1>\\(.*\\)</$1>\$|\\1|p" "$metainfo" | head -n 1; }
[ "$(xml_text id)" = "$id" ] || fail "the metainfo's id is '$(xml_text id)', not $id"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ "$launchable" = "$id.desktop" ] || fail "the metainfo launches '$launchable', not $id.desktop"
[ "$(xml_text name)" = "$(key Name)" ] || fail "the metainfo and the entry disagree on the name"
grep -q "<name xml:lang=\"ja\">$(key 'Name[ja]')</name>" "$metainfo" || fail "no Japanese name in the metainfo"
grep -q '<release version="1.0" date="[0-9-]*"' "$metainfo" || fail "no release 1.0 with a date"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "no content rating"
grep -q '<screenshot type="default">' "$metainfo" || fail "no default screenshot"
shot=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*|\1x\2|p' "$metainfo")
[ "$shot" = "$(identify -format '%wx%h' "$here/docs/screenshot.png")" ] \
    || fail "the screenshot's size in the metainfo ($shot) is not that of docs/screenshot.png"
grep -q "<binary>$(basename "$(key Exec)")</binary>" "$metainfo" || fail "the metainfo does not provide the launcher"
# The project's licence is the one in LICENSE.
head -n 1 "$here/LICENSE" | grep -qx 'MIT License' || fail "LICENSE is not the MIT licence"
[ "$(xml_text project_license)" = MIT ] || fail "the metainfo's project_license is '$(xml_text project_license)', not MIT"

# --- the icon -----------------------------------------------------------------
# The references come from ImageMagick, apart from the tool that made the
# icons: sampling by whole factors, and 48 as the 32 x 32 picture centred.
for size in 32 48 64 128; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon"
        continue
    fi
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $(identify -format '%wx%h' "$png")"
    if [ $((size % 32)) -eq 0 ]; then
        convert "$here/assets/icon.xpm" -sample "$((size * 100 / 32))%" "$tmp/ref.png"
    else
        convert "$here/assets/icon.xpm" -background none -gravity center -extent "${size}x${size}" "$tmp/ref.png"
    fi
    diff=$(compare -metric AE "$png" "$tmp/ref.png" null: 2>&1 || true)
    [ "$diff" = 0 ] || fail "the ${size}x${size} icon differs from the icon scaled without smoothing in $diff pixels"
    # Transparency must survive: the corners of the picture are empty.
    [ "$(convert "$png" -format '%[fx:int(255*p{0,0}.a)]' info:)" = 0 ] || fail "the ${size}x${size} icon lost its transparency"
done

# --- the manual page ----------------------------------------------------------
# One for each command installed in bin/ (lintian wants it).
for name in zemmick zemmick-solve; do
    page="$root/share/man/man6/$name.6.gz"
    title=$(printf '%s' "$name" | tr a-z A-Z | sed 's/-/\\\\-/g')
    if [ -f "$page" ] && gzip -t "$page"; then
        zcat "$page" | grep -q "^\.TH $title 6" || fail "the manual page of $name has no title line"
    else
        fail "no compressed manual page of $name in man6"
    fi
    [ -x "$root/bin/$name" ] || fail "$name is not installed in bin/ beside its manual page"
done

[ "$failures" -eq 0 ] || exit 1
echo "desktop files ok"
