#!/usr/bin/env bash
# Renders the pictures in assets/ to PNG files for looking at them:
#   build/assets-preview/<name>.png       each picture at 100 %
#   build/assets-preview/<name>-x3.png    at 300 %, nearest neighbour
#   build/assets-preview/<name>-x8.png    at 800 %, nearest neighbour
#   build/assets-preview/board.png        a 12 x 6 board of random panels on white
#   build/assets-preview/board-x3.png     the same at 300 %
#   build/assets-preview/board-potion.png the board with the potion flask drawn
#                                         over one panel, as while the potion is armed
# Transparent pixels stay transparent in the per-picture files; the board files
# are flattened on white, which is how the panels look in the game.
# Needs ImageMagick (convert, montage). Usage: tools/render-assets.sh [seed]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/assets"
out="$root/build/assets-preview"
mkdir -p "$out"

for f in "$src"/*.xpm; do
  name="$(basename "$f" .xpm)"
  convert "$f" "$out/$name.png"
  convert "$f" -filter point -resize 300% "$out/$name-x3.png"
  convert "$f" -filter point -resize 800% "$out/$name-x8.png"
done

# A board: 12 columns x 6 rows of 32 x 32 cells, no gaps, kinds 1..6 at random.
columns=12
rows=6
RANDOM="${1:-1}"
tiles=()
for ((i = 0; i < columns * rows; i++)); do
  tiles+=("$src/panel$((RANDOM % 6 + 1)).xpm")
done
montage "${tiles[@]}" -tile "${columns}x${rows}" -geometry 32x32+0+0 \
  -background white "$out/board-tmp.png"
convert "$out/board-tmp.png" -background white -flatten "$out/board.png"
rm -f "$out/board-tmp.png"
convert "$out/board.png" -filter point -resize 300% "$out/board-x3.png"

# The potion picture is drawn over a panel without clearing it first.
convert "$out/board.png" "$src/panel0.xpm" -geometry +160+64 -composite \
  -filter point -resize 300% "$out/board-potion.png"

echo "previews written to $out"
