#!/usr/bin/env bash
# Runs the record file fuzzer for the given number of seconds, seeded from
# tests/corpus/record_file. New inputs go to a scratch corpus in the build
# directory; a crashing input is left under <builddir>/fuzz/artifacts/ and
# makes the script fail. Add such an input, under a name that says what it
# holds, to tests/corpus/record_file so the test suite replays it.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 <builddir> [seconds]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=${2:-300}
root=$(cd "$(dirname "$0")/.." && pwd)

fuzzer="$build/fuzz/fuzz_record_file"
seeds="$root/tests/corpus/record_file"
scratch="$build/fuzz/corpus/record_file"
artifacts="$build/fuzz/artifacts"
mkdir -p "$scratch" "$artifacts"

# The first directory receives what the fuzzer finds; the seeds are only read.
"$fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$scratch" "$seeds"
