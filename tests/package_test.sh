#!/usr/bin/env bash
# The Debian package as `make package` makes it, from the test's build tree.
#   package_test.sh build <cpack> <build-dir> <out-dir>
#       makes <out-dir>/zemmick_*.deb (run once, before the others)
#   package_test.sh contents <out-dir> <source-dir> <Qt translations dir>
#       the layout Debian wants for a game, the copyright file and changelog,
#       the dependencies, and the launcher in /usr/games starting the game
#   package_test.sh lintian <out-dir>
#       no error and no warning from lintian; exits 77 (skipped) when lintian
#       is not installed (tools/setup.sh installs it)
set -euo pipefail
mode=$1
shift

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

case "$mode" in
build)
    cpack=$1 build=$2 out=$3
    rm -rf "$out"
    mkdir -p "$out"
    "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 \
        || { cat "$out/cpack.log"; exit 1; }
    ls "$out"/*.deb
    exit 0
    ;;
contents)
    out=$1 source=$2 translations=$3
    ;;
lintian)
    out=$1
    if ! command -v lintian >/dev/null; then
        echo "SKIP: lintian is not installed"
        exit 77
    fi
    deb=$(ls "$out"/*.deb)
    # --pedantic and -I show what is below a warning, for the log only.
    status=0
    lintian -I --pedantic --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1 || status=$?
    grep -v 'root privileges' "$out/lintian.log" || true
    [ "$status" -eq 0 ] || fail "lintian reported errors or warnings"
    [ "$failures" -eq 0 ] || exit 1
    echo "lintian ok"
    exit 0
    ;;
*)
    echo "usage: see the head of $0" >&2
    exit 2
    ;;
esac

deb=$(ls "$out"/*.deb)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
dpkg-deb -x "$deb" "$root"
field() { dpkg-deb -f "$deb" "$1"; }

# --- where the files are --------------------------------------------------
[ -x "$root/usr/games/zemmick" ] || fail "no launcher in /usr/games"
[ -x "$root/usr/games/zemmick-solve" ] || fail "no zemmick-solve in /usr/games"
[ -f "$root/usr/share/man/man6/zemmick-solve.6.gz" ] || fail "no manual page of zemmick-solve"
[ ! -e "$root/usr/bin" ] || fail "/usr/bin in a package of section games: $(ls "$root/usr/bin")"
[ -x "$root/usr/libexec/zemmick/Zemmickp1" ] || fail "no game in /usr/libexec/zemmick"
[ "$(field Section)" = games ] || fail "Section is $(field Section)"
entry="$root/usr/share/applications/net.zemmick.Zemmick.desktop"
for key in Exec TryExec; do
    value=$(sed -n "s/^$key=//p" "$entry")
    [ "$value" = /usr/games/zemmick ] || fail "the desktop entry's $key is '$value', not /usr/games/zemmick"
done

# --- dependencies ---------------------------------------------------------
depends=$(field Depends)
for p in fonts-ipafont-gothic qt6-translations-l10n libqt6widgets6; do
    [[ ", $depends," == *", $p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
done
# The program loads Qt's Japanese texts for its standard buttons from Qt's
# translations folder; the package named for them must put them there.
if dpkg-query -W -f='${Status}' qt6-translations-l10n 2>/dev/null | grep -q "install ok installed"; then
    # Not grep -q: under pipefail its early exit would fail the listing.
    dpkg -L qt6-translations-l10n | grep -x "$translations/qtbase_ja.qm" >/dev/null \
        || fail "qt6-translations-l10n has no $translations/qtbase_ja.qm"
else
    echo "qt6-translations-l10n is not installed here: its files are not checked"
fi

# --- copyright: machine-readable, and the licence of LICENSE --------------
doc="$root/usr/share/doc/zemmick"
copyright="$doc/copyright"
if [ -f "$copyright" ]; then
    head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        || fail "the copyright file is not in the machine-readable format"
    holder=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
    grep -qx "Copyright: $holder" "$copyright" || fail "the copyright file does not name '$holder'"
    grep -qx 'License: Expat' "$copyright" || fail "the copyright file does not give the Expat (MIT) licence"
    # The licence text (the last paragraph: indented, "." for a blank line)
    # equals LICENSE's.
    tac "$copyright" | sed '/^License: Expat$/q' | tac | tail -n +2 | sed 's/^ //; s/^\.$//' >"$tmp/text"
    sed -n '/^Permission is hereby granted/,$p' "$source/LICENSE" >"$tmp/licence"
    diff -q "$tmp/licence" "$tmp/text" >/dev/null || fail "the copyright file's licence text is not LICENSE's"
else
    fail "no /usr/share/doc/zemmick/copyright"
fi

# --- changelog: compressed with gzip -9n, a valid entry for this version --
changelog="$doc/changelog.Debian.gz"
if [ -f "$changelog" ] && gzip -t "$changelog"; then
    # No file name (flag bit 3) and no time stamp in the gzip header.
    read -r _ _ _ flags t1 t2 t3 t4 < <(od -An -tu1 -N8 "$changelog")
    [ $((flags & 8)) -eq 0 ] || fail "changelog.Debian.gz keeps a file name (not gzip -n)"
    [ "$t1$t2$t3$t4" = 0000 ] || fail "changelog.Debian.gz keeps a time stamp (not gzip -n)"
    zcat "$changelog" >"$tmp/changelog"
    version=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
    [ "$version" = "$(field Version)" ] || fail "the changelog is for $version, the package $(field Version)"
    [ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Maintainer)" = "$(field Maintainer)" ] \
        || fail "the changelog's maintainer is not the package's"
else
    fail "no valid /usr/share/doc/zemmick/changelog.Debian.gz"
fi

# --- the launcher in /usr/games finds its game and manual -----------------
cat >"$root/usr/libexec/zemmick/Zemmickp1" <<'STUB'
#!/bin/sh
pwd >"$REPORT"
STUB
mkdir -p "$tmp/home" "$tmp/elsewhere"
(cd "$tmp/elsewhere" && env -i PATH=/usr/bin:/bin HOME="$tmp/home" REPORT="$tmp/report" "$root/usr/games/zemmick") \
    || fail "the launcher in /usr/games failed"
[ "$(cat "$tmp/report" 2>/dev/null)" = "$tmp/home/.local/share/zemmick" ] \
    || fail "the launcher in /usr/games did not start the game in the data folder"
cmp -s "$root/usr/share/zemmick/Manual.txt" "$tmp/home/.local/share/zemmick/Manual.txt" \
    || fail "the launcher in /usr/games did not copy the manual"

# --- zemmick-solve in /usr/games solves a board ---------------------------
# Two columns of two panels of one kind: one move erases all four.
solved=$(printf '11\n11\n' | "$root/usr/games/zemmick-solve" 2>&1) || fail "zemmick-solve in /usr/games failed: $solved"
[ "$(printf '%s\n' "$solved" | head -n 1)" = "score 104" ] \
    || fail "zemmick-solve in /usr/games did not solve a board: $solved"

[ "$failures" -eq 0 ] || exit 1
echo "package contents ok"
