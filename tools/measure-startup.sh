#!/usr/bin/env bash
# Measures, under Xvfb, how long a program takes from launch until its first
# window is mapped, and its resident memory two seconds later; the same for
# a small reference program, so the figures can be read as a ratio.
#   tools/measure-startup.sh <Zemmickp1> [runs]
set -euo pipefail
exe=$(readlink -f "$1")
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"
work=$(mktemp -d)
trap 'xvfb_stop; rm -rf "$work"' EXIT
xvfb_start 1400x1100
display=$XVFB_DISPLAY
cp "$here/assets/Manual.txt" "$work/Manual.txt"
: > "$work/PointRec.dat"

# Prints "<milliseconds until mapped> <VmRSS kB 2 s later>" for one run of
# the command, whose window title contains $1.
measure() {
  local title=$1
  shift
  local start end pid rss
  start=$(date +%s%N)
  (cd "$work" && DISPLAY=$display exec "$@") >/dev/null 2>&1 &
  pid=$!
  while ! DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -F "$title" | grep -q -v '1x1+'; do
    sleep 0.002
  done
  end=$(date +%s%N)
  sleep 2
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$(((end - start) / 1000000)) $rss"
}

report() {
  local name=$1
  shift
  local ms=() kb=()
  for _ in $(seq "$runs"); do
    read -r m k < <(measure "$@")
    ms+=("$m")
    kb+=("$k")
  done
  local median_ms median_kb
  median_ms=$(printf '%s\n' "${ms[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  median_kb=$(printf '%s\n' "${kb[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  printf '%-12s mapped after %4d ms (runs: %s), resident %6d kB\n' "$name" "$median_ms" "${ms[*]}" "$median_kb"
}

report Zemmickp1 'ゼミック(Zemmick)' env QT_QPA_PLATFORM=xcb "$exe"
report xmessage 'xmessage' xmessage -title xmessage "reference window"
