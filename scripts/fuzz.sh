#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Builds the libFuzzer targets and runs a campaign of each, one after the
# other: SECONDS per target (600 unless given), each growing its own corpus
# in the build dir from the committed seeds in fuzz/corpus/<target>/.
# Crashing inputs land in <build>/fuzz/<target>.campaign/ next to the log.
# Prints every target's final libFuzzer line (#runs DONE cov ft ... exec/s)
# and fails if any target found a fault.
# Usage: scripts/fuzz.sh [seconds] [build-dir] [target ...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
build=${2:-$root/build}
[ $# -gt 2 ] && shift 2 || set --
targets=${*:-format_fuzz registration_fuzz page_string_fuzz pd_query_fuzz straps_uart_fuzz entry_fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DSYSINFO_BUILD_FIRMWARE=OFF >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$build" --parallel "${JOBS:-2}" --target $targets

failed=""
summary=""
for target in $targets; do
  work=$build/fuzz/$target.campaign
  mkdir -p "$work/corpus"
  echo "== $target: $seconds s"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=5 -print_final_stats=1 \
       -artifact_prefix="$work/" "$work/corpus" "$root/fuzz/corpus/$target" >"$work/log" 2>&1; then
    result=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -n 1)
  else
    result="FAILED: $(grep -m 1 -E 'invariant broken|ERROR:|runtime error' "$work/log" || echo "see $work/log")"
    failed="$failed $target"
  fi
  echo "$result"
  summary="$summary$target: $result
"
done
printf '\n%s' "$summary"
if [ -n "$failed" ]; then
  echo "faults found by:$failed (inputs and logs in $build/fuzz/<target>.campaign/)"
  exit 1
fi
