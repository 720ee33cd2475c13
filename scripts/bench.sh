#!/bin/sh
# Builds the benchmarks optimised and without sanitizers in their own build
# directory, runs them and prints each case's FormatAscii / snprintf time
# ratio (medians of the repetitions). Usage: scripts/bench.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DSYSINFO_SANITIZE=OFF -DSYSINFO_BUILD_FIRMWARE=OFF >/dev/null
cmake --build "$build" --target format_bench
"$build/bench/format_bench" --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/format_bench.json" --benchmark_out_format=json
/usr/bin/python3 - "$build/format_bench.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r["cpu_time"] for r in runs if r.get("aggregate_name") == "median"}
print("%-10s %14s %14s %8s" % ("case", "FormatAscii ns", "snprintf ns", "ratio"))
for name in dict.fromkeys(n.split("/")[0] for n in median):
    ours, theirs = median[name + "/FormatAscii"], median[name + "/snprintf"]
    print("%-10s %14.1f %14.1f %8.2f" % (name, ours, theirs, ours / theirs))
PY
