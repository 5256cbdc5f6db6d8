#!/usr/bin/env bash
# Starts the real program under Xvfb and fails unless its main window appears
# with a picture on it (not a blank frame).
set -euo pipefail
exe=$1
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp --suffix=.png)
trap 'rm -f "$out"' EXIT
"$here/tools/screenshot.sh" "$exe" "$out" >/dev/null
size=$(identify -format '%wx%h' "$out")
colours=$(identify -format '%k' "$out")
echo "window $size, $colours colours"
[ "$size" = "670x410" ] || { echo "unexpected window size $size"; exit 1; }
[ "$colours" -ge 12 ] || { echo "the window looks blank"; exit 1; }
