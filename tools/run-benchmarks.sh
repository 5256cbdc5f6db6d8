#!/usr/bin/env bash
# Runs every benchmark program of a build, one after the other, then the
# start-up measurement of the game against a plain Qt window.
#   tools/run-benchmarks.sh <build-dir>
# STARTUP_RUNS sets how many starts of each program the latter takes.
set -euo pipefail
dir=$1
for exe in "$dir"/bench/bench_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true
done
if [ -x "$dir/bench/startup_probe" ] && [ -x "$dir/bench/plain_window" ] && [ -x "$dir/Zemmickp1" ]; then
  echo "== start-up (launch to mapped window)"
  "$(dirname "$0")/measure-startup.sh" "$dir/bench/startup_probe" "$dir/Zemmickp1" "$dir/bench/plain_window" \
    "${STARTUP_RUNS:-21}"
fi
