#!/usr/bin/env bash
# Starts the real program under Xvfb at QT_SCALE_FACTOR=1 and =2 and checks
# that the doubled window is the plain one scaled evenly, with its pixel art
# still crisp.
#   hidpi_test.sh <executable> board   the window's size, the board's cells,
#                                      the legend pictures and the window icon
#   hidpi_test.sh <executable> glyph   the potion button's 16 x 16 glyph
# Crisp means: every source pixel became a solid 2 x 2 block of exactly its
# own colour, so the pictures hold only colours of the 16-colour palette.
set -euo pipefail
exe=$(readlink -f "$1")
what=${2:-board}
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"

# Where the main window puts things, in unscaled pixels: the first cell of
# the board (Panel1 at 8, 72 plus its 5-pixel border), the 19 x 9 cells of a
# first deal, the five legend pictures at 70 * kind + 45, 32 and the potion
# button BitBtn1 at 288, 0, 81 x 25.
board_left=13 board_top=77 cell=32 columns=19 rows=9 kinds=5
legend_top=32
button_left=288 button_top=0 button_width=81 button_height=25
palette=" #000000 #800000 #008000 #808000 #000080 #800080 #008080 #C0C0C0"
palette+=" #808080 #FF0000 #00FF00 #FFFF00 #0000FF #FF00FF #00FFFF #FFFFFF "

work=$(mktemp -d)
app=""
trap 'xvfb_stop_program "$app"; xvfb_stop; rm -rf "$work"' EXIT
cp "$here/assets/Manual.txt" "$work/Manual.txt"
: >"$work/PointRec.dat" # no "File can not found!" box

# A screen much larger than the doubled window, so nothing is clipped, and
# the pointer (at the centre) rests outside the window: no hover outline.
xvfb_start 4096x2304

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# shoot SCALE: starts the program at that scale factor, leaves its picture in
# $work/SCALE.png, its size in size[SCALE] and its window icon's numbers in
# $work/SCALE.icon.
declare -A size
shoot() {
    local scale=$1 id
    (cd "$work" && exec env -u QT_SCREEN_SCALE_FACTORS -u QT_SCALE_FACTOR_ROUNDING_POLICY \
        -u QT_AUTO_SCREEN_SCALE_FACTOR -u QT_FONT_DPI \
        DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" "$exe") >"$work/$scale.log" 2>&1 &
    app=$!
    if ! id=$(xvfb_wait_window "$app"); then
        echo "the main window did not appear at QT_SCALE_FACTOR=$scale"
        cat "$work/$scale.log"
        exit 1
    fi
    size[$scale]=$(xvfb_window_size "$id")
    # The first paint is done once the board's cells show up in the picture.
    if ! xvfb_wait_painted "$id" "$work/$scale.png" $((board_left * scale)) $((board_top * scale)) \
        $((cell * scale)) $((cell * scale)); then
        echo "the board was not drawn at QT_SCALE_FACTOR=$scale"
        cat "$work/$scale.log"
        exit 1
    fi
    DISPLAY=$XVFB_DISPLAY xprop -id "$id" -notype -f _NET_WM_ICON 32c _NET_WM_ICON \
        | sed 's/^[^=]*= *//' | tr ',' '\n' | tr -d ' ' >"$work/$scale.icon"
    xvfb_stop_program "$app"
    app=""
}

# crop PNG X Y W H OUT
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "$6"; }
colours() { convert "$1" -unique-colors -alpha off -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | sort -u; }

# check_palette NAME PNG: only palette colours, and more than a blank area.
check_palette() {
    local name=$1 png=$2 strays=() c
    for c in $(colours "$png"); do
        [[ "$palette" == *" $c "* ]] || strays+=("$c")
    done
    if [ ${#strays[@]} -gt 0 ]; then
        fail "$name holds ${#strays[@]} colours outside the palette (blended by smoothing?): ${strays[*]:0:12}"
    fi
    [ "$(colours "$png" | wc -l)" -ge 3 ] || fail "$name looks blank"
}

# check_blocks NAME PNG: every 2 x 2 block, counted from the picture's top
# left, is one colour, so each source pixel became a whole block.
check_blocks() {
    local name=$1 png=$2 diff
    convert "$png" -sample 50% -sample 200% "$work/blocks.png"
    diff=$(compare -metric AE "$png" "$work/blocks.png" null: 2>&1 || true)
    [ "$diff" = "0" ] || fail "$name: $diff pixels differ from their 2 x 2 block (blurred or off the even grid)"
}

# check_window_icon SCALE: every size the window offers is a whole multiple
# of the 32 x 32 icon and is that icon scaled without smoothing, pixel for
# pixel (a fully transparent pixel counts as 0, whatever its colour).
check_window_icon() {
    convert "$here/assets/icon.xpm" -depth 8 txt:- | sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9,]*\)).*/\1 \2 \3/p' \
        | tr ',' ' ' >"$work/icon.txt"
    awk -v scale="$1" '
        FNR == NR { a = $6; src[$1, $2] = a == 0 ? 0 : ((a * 256 + $3) * 256 + $4) * 256 + $5; next }
        { v[++n] = $1 }
        END {
            i = 1; bad = 0
            while (i + 1 <= n) {
                w = v[i]; h = v[i + 1]; order = order " " w "x" h
                if (w != h || w % 32 != 0) {
                    print "FAIL: a " w " x " h " window icon cannot be the icon scaled by a whole factor"; bad = 1
                } else {
                    f = w / 32
                    for (y = 0; y < h; ++y)
                        for (x = 0; x < w; ++x) {
                            p = v[i + 2 + y * w + x]
                            if (int(p / 16777216) == 0) p = 0
                            if (p != src[int(x / f), int(y / f)]) {
                                print "FAIL: the " w " x " h " window icon is not the icon scaled without smoothing"
                                bad = 1; y = h; break
                            }
                        }
                }
                i += 2 + w * h
            }
            print "window icon at QT_SCALE_FACTOR=" scale ":" order
            if (order == "") { print "FAIL: the window has no icon"; bad = 1 }
            exit bad
        }' "$work/icon.txt" "$work/$1.icon" || failures=$((failures + 1))
}

# find_glyph PNG FACTOR: looks for the potion glyph scaled by FACTOR without
# smoothing (each opaque source pixel a FACTOR x FACTOR block of its exact
# colour) anywhere in PNG; prints "x y wrong-pixels opaque-pixels" for the
# best place.
find_glyph() {
    convert "$here/assets/potion_glyph.xpm" -alpha off -depth 8 txt:- >"$work/glyph.txt"
    convert "$1" -alpha off -depth 8 txt:- >"$work/area.txt"
    awk -v f="$2" '
        function parse(   xy) {
            split($1, xy, /[,:]/)
            match($0, /#[0-9A-F]+/)
            return xy[1] " " xy[2] " " substr($0, RSTART + 1, 6)
        }
        /^#/ { if (FNR == 1) { split(substr($0, index($0, ":") + 2), d, ","); if (FNR == NR) { gw = d[1]; gh = d[2] } else { aw = d[1]; ah = d[2] } } next }
        FNR == NR { split(parse(), p, " "); g[p[1], p[2]] = p[3]; next }
        { split(parse(), p, " "); a[p[1], p[2]] = p[3] }
        END {
            key = g[0, gh - 1] # the lower-left pixel is the transparent colour
            n = 0
            for (y = 0; y < gh; ++y) for (x = 0; x < gw; ++x) if (g[x, y] != key) { ox[n] = x; oy[n] = y; oc[n] = g[x, y]; ++n }
            best = n * f * f + 1
            for (py = 0; py + gh * f <= ah; ++py)
                for (px = 0; px + gw * f <= aw; ++px) {
                    wrong = 0
                    for (i = 0; i < n && wrong < best; ++i)
                        for (dy = 0; dy < f; ++dy) for (dx = 0; dx < f; ++dx)
                            if (a[px + ox[i] * f + dx, py + oy[i] * f + dy] != oc[i]) ++wrong
                    if (wrong < best) { best = wrong; bx = px; by = py }
                }
            print bx, by, best, n * f * f
        }' "$work/glyph.txt" "$work/area.txt"
}

shoot 1
shoot 2

case "$what" in
board)
    w1=${size[1]%x*} h1=${size[1]#*x}
    echo "window ${size[1]} at QT_SCALE_FACTOR=1, ${size[2]} at 2"
    [ "${size[2]}" = "$((2 * w1))x$((2 * h1))" ] || fail "the window did not double: ${size[1]} became ${size[2]}"

    # The same places at both scales: at 1 this proves the places are right.
    for scale in 1 2; do
        crop "$work/$scale.png" $((board_left * scale)) $((board_top * scale)) \
            $((columns * cell * scale)) $((rows * cell * scale)) "$work/board$scale.png"
        check_palette "the board at QT_SCALE_FACTOR=$scale" "$work/board$scale.png"
        for kind in $(seq "$kinds"); do
            crop "$work/$scale.png" $(((70 * kind + 45) * scale)) $((legend_top * scale)) \
                $((cell * scale)) $((cell * scale)) "$work/legend$kind-$scale.png"
            check_palette "legend picture $kind at QT_SCALE_FACTOR=$scale" "$work/legend$kind-$scale.png"
        done
    done
    echo "board at QT_SCALE_FACTOR=2: $(colours "$work/board2.png" | wc -l) colours:" \
        "$(colours "$work/board2.png" | head -n 16 | tr '\n' ' ')"
    check_blocks "the board at QT_SCALE_FACTOR=2" "$work/board2.png"
    for kind in $(seq "$kinds"); do
        check_blocks "legend picture $kind at QT_SCALE_FACTOR=2" "$work/legend$kind-2.png"
    done
    # The doubled board is the plain one's cells, each pixel twice as wide:
    # the same colours make it up.
    [ "$(colours "$work/board1.png")" = "$(colours "$work/board2.png")" ] \
        || fail "the board's colours changed with the scale"
    check_window_icon 1
    check_window_icon 2
    ;;
glyph)
    declare -A gx gy
    for scale in 1 2; do
        crop "$work/$scale.png" $((button_left * scale)) $((button_top * scale)) \
            $((button_width * scale)) $((button_height * scale)) "$work/button$scale.png"
        read -r gx[$scale] gy[$scale] wrong total < <(find_glyph "$work/button$scale.png" "$scale")
        echo "QT_SCALE_FACTOR=$scale: glyph best at ${gx[$scale]},${gy[$scale]} in the button," \
            "${wrong} of ${total} pixels wrong"
        if [ "$wrong" != 0 ]; then
            if [ "$scale" = 1 ]; then
                fail "the glyph is not drawn as it is at QT_SCALE_FACTOR=1 (is the button where it was?)"
            else
                fail "the glyph is blurred at QT_SCALE_FACTOR=2: it is not its 16 x 16 pixels doubled"
            fi
        fi
    done
    if [ "$failures" = 0 ] && { [ "${gx[2]}" != $((2 * gx[1])) ] || [ "${gy[2]}" != $((2 * gy[1])) ]; }; then
        fail "the glyph moved: ${gx[1]},${gy[1]} at 1 but ${gx[2]},${gy[2]} at 2"
    fi
    ;;
*)
    echo "usage: hidpi_test.sh <executable> board|glyph" >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    [ -n "${ZEMMICK_KEEP_SHOTS:-}" ] && cp "$work"/1.png "$work"/2.png "$ZEMMICK_KEEP_SHOTS"/ 2>/dev/null
    exit 1
fi
echo "crisp"
