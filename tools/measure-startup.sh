#!/usr/bin/env bash
# Start-up speed as a ratio: the time from launch until the first window is
# mapped, for the game and for a plain Qt window started the same way (same
# environment, same working folder, same X server).
#   tools/measure-startup.sh <startup_probe> <Zemmickp1> <plain_window> [runs]
# Runs alternate between the two programs, so a change in the machine's load
# falls on both; one unrecorded run each warms the caches first. Prints for
# each the median milliseconds until mapped and the resident memory at that
# moment, then the ratio of the two medians. On a busy machine the figures
# spread widely: take more runs.
set -euo pipefail
probe=$(readlink -f "$1")
game=$(readlink -f "$2")
plain=$(readlink -f "$3")
runs=${4:-11}
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/xvfb_session.sh
. "$here/tests/xvfb_session.sh"
work=$(mktemp -d)
trap 'xvfb_stop; rm -rf "$work"' EXIT

# The game reads its manual and its records from the working folder; an empty
# record file is read without a message box.
cp "$here/assets/Manual.txt" "$work/Manual.txt"
: >"$work/PointRec.dat"
# A session's private runtime folder, as a desktop session has one.
mkdir -m 700 "$work/runtime"

# One server for both programs; each start ends its program (the probe waits
# for it) before the next begins.
xvfb_start 1400x1100

# run TITLE COMMAND...: one start; prints "<ms> <kB>".
run() {
  local title=$1
  shift
  (cd "$work" && env -u WAYLAND_DISPLAY -u QT_SCALE_FACTOR \
    DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" "$probe" "$title" "$@")
}

median() {
  sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

game_title='ゼミック(Zemmick)'
plain_title='plain window'

run "$game_title" "$game" >/dev/null
run "$plain_title" "$plain" >/dev/null
game_ms=() game_kb=() plain_ms=() plain_kb=()
for _ in $(seq "$runs"); do
  read -r ms kb < <(run "$game_title" "$game")
  game_ms+=("$ms") game_kb+=("$kb")
  read -r ms kb < <(run "$plain_title" "$plain")
  plain_ms+=("$ms") plain_kb+=("$kb")
done

line() {
  local name=$1 ms=$2 kb=$3
  printf '%-13s mapped after %6.1f ms (resident %6.0f kB), median of %d\n' "$name" "$ms" "$kb" "$runs"
}
median_of() { printf '%s\n' "$@" | median; }
g=$(median_of "${game_ms[@]}")
p=$(median_of "${plain_ms[@]}")
line Zemmickp1 "$g" "$(median_of "${game_kb[@]}")"
line "plain window" "$p" "$(median_of "${plain_kb[@]}")"
echo "  Zemmickp1 runs (ms): ${game_ms[*]}"
echo "  plain window runs (ms): ${plain_ms[*]}"
awk -v g="$g" -v p="$p" 'BEGIN {printf "start-up ratio Zemmickp1 / plain window: %.2f\n", g / p}'
