#!/usr/bin/env bash
# Runs every benchmark program of a build, one after the other.
#   tools/run-benchmarks.sh <build-dir>
set -euo pipefail
dir=$1
for exe in "$dir"/bench/bench_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true
done
