#!/bin/sh
# Builds the benchmark with clang and with GCC, each at -O2 without
# sanitizers in its own build directory (presets bench and bench-gcc), runs
# the format engine's tests in that build, then the benchmark, and prints
# one table per compiler: each case's FormatAscii / snprintf time ratio
# (medians of the repetitions). The benchmark's own output goes to
# <build-dir>/format_bench.txt.
# Usage: scripts/bench.sh [preset ...]   (default: bench bench-gcc)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for preset in ${*:-bench bench-gcc}; do
  build=$root/build-$preset
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "${JOBS:-2}" >/dev/null
  ctest --preset "$preset" >/dev/null
  "$build/bench/format_bench" --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/format_bench.json" --benchmark_out_format=json >"$build/format_bench.txt" 2>&1
  compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
  echo "== $compiler $("$compiler" -dumpversion) -O2 (preset $preset)"
  /usr/bin/python3 - "$build/format_bench.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
# Medians, in the order the cases were registered.
medians = sorted((r for r in runs if r.get("aggregate_name") == "median"), key=lambda r: r["family_index"])
median = {r["run_name"]: r["cpu_time"] for r in medians}
print("%-10s %14s %14s %8s" % ("case", "FormatAscii ns", "snprintf ns", "ratio"))
for name in dict.fromkeys(n.split("/")[0] for n in median):
    ours, theirs = median[name + "/FormatAscii"], median[name + "/snprintf"]
    print("%-10s %14.1f %14.1f %8.2f" % (name, ours, theirs, ours / theirs))
PY
done
