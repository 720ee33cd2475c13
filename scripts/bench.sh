#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Builds the benchmark with clang and with GCC, each at -O2 without
# sanitizers in its own build directory (presets bench and bench-gcc), runs
# the format engine's tests in that build, then the benchmark, and prints
# one table per compiler, a row per case (format and argument spread):
# FormatAscii / snprintf as time (medians of the repetitions) and as
# instructions per call under callgrind, the figure a busy machine does not
# move (columns left empty without valgrind). The benchmark's own output
# goes to <build-dir>/format_bench.txt.
# Usage: scripts/bench.sh [preset ...]   (default: bench bench-gcc)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
calls=10000
for preset in ${*:-bench bench-gcc}; do
  build=$root/build-$preset
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "${JOBS:-2}" >/dev/null
  ctest --preset "$preset" >/dev/null
  bench=$build/bench/format_bench
  "$bench" --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/format_bench.json" --benchmark_out_format=json >"$build/format_bench.txt" 2>&1

  # Instructions of one call: a run of $calls calls less a run of none, over
  # $calls. valgrind reads a copy without debug information (it does not
  # read every DWARF 5 the compilers write).
  : >"$build/format_bench.ir"
  if command -v valgrind >/dev/null; then
    objcopy --strip-debug "$bench" "$build/format_bench.stripped"
    instructions() {
      valgrind --tool=callgrind --callgrind-out-file=/dev/null "$build/format_bench.stripped" --repeat "$1" "$2" "$3" \
        </dev/null 2>&1 | sed -n 's/.*Collected : //p'
    }
    "$bench" --list | while read -r case; do
      none=$(instructions "$case" FormatAscii 0)
      for side in FormatAscii snprintf; do
        echo "$case/$side $(( ($(instructions "$case" $side $calls) - none) / calls ))" >>"$build/format_bench.ir"
      done
    done
  fi

  compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
  echo "== $compiler $("$compiler" -dumpversion) -O2 (preset $preset)"
  /usr/bin/python3 - "$build/format_bench.json" "$build/format_bench.ir" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
# Medians, in the order the cases were registered.
medians = sorted((r for r in runs if r.get("aggregate_name") == "median"), key=lambda r: r["family_index"])
median = {r["run_name"]: r["cpu_time"] for r in medians}
calls = dict(line.split() for line in open(sys.argv[2]))
print("%-20s %9s %9s %6s   %9s %9s %6s" % ("case", "ours ns", "libc ns", "time", "ours Ir", "libc Ir", "Ir"))
for name in dict.fromkeys(n.rsplit("/", 1)[0] for n in median):
    ours, theirs = median[name + "/FormatAscii"], median[name + "/snprintf"]
    row = "%-20s %9.1f %9.1f %6.2f" % (name, ours, theirs, ours / theirs)
    if name + "/FormatAscii" in calls:
        ours_ir, theirs_ir = int(calls[name + "/FormatAscii"]), int(calls[name + "/snprintf"])
        row += "   %9d %9d %6.2f" % (ours_ir, theirs_ir, ours_ir / theirs_ir)
    print(row)
PY
done
