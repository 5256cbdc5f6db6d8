#!/usr/bin/env bash
# Starts the real program under Xvfb, waits until its main window is mapped
# and saves a PNG of that window.
#   tools/screenshot.sh <executable> <out.png> [board-wait-seconds]
set -euo pipefail
exe=$(readlink -f "$1")
out=$(readlink -f -m "$2")
here=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$here/assets/Manual.txt" "$work/Manual.txt"
: > "$work/PointRec.dat" # no "File can not found!" box over the window

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1400x1100x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$exe") >"$work/log" 2>&1 &
app=$!

title='ゼミック(Zemmick)'
id=""
for _ in $(seq 100); do
  id=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -F "$title" | awk '{print $1}' | head -1 || true)
  [ -n "$id" ] && DISPLAY=$display xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable" && break
  id=""
  sleep 0.1
done
if [ -z "$id" ]; then
  echo "screenshot: the main window did not appear" >&2
  cat "$work/log" >&2
  exit 1
fi
sleep "${3:-0.5}" # let the first paint finish
mkdir -p "$(dirname "$out")"
DISPLAY=$display import -window "$id" "$out"
echo "$out"
