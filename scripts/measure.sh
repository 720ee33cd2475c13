#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Reproduces every figure of docs/performance.md: image sizes by section,
# host and firmware stack depth, pool use, format engine against the C
# library (time and instructions per call, scripts/bench.sh), instruction
# count of one entry, and the emulator run's wall time.
# Builds in build-measure (host, optimised, no sanitizers, frame pointers
# kept, DWARF 4 for valgrind), build-fw (firmware) and build-bench, build-bench-gcc (scripts/bench.sh); the e2e
# time comes from the full build in $1 (default build, firmware flavour on).
# Usage: scripts/measure.sh [full-build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
full=${1:-$root/build}
cd "$root"
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
"$root/scripts/deps.sh" $BUILD_PACKAGES $E2E_PACKAGES valgrind

echo "== firmware images"
cmake --preset firmware >/dev/null
ninja -C build-fw -j2 sysinfo-q4m sysinfo-qemu-virt >/dev/null
for board in q4m qemu-virt; do
  image=build-fw/image/sysinfo-$board.efi
  echo "-- sysinfo-$board.efi: $(stat -c %s "$image") bytes"
  llvm-size -A "$image"
  llvm-readobj --file-headers --sections "$image" | grep -E "SizeOfHeaders|FileAlignment|SectionAlignment|Name:|VirtualSize|RawDataSize"
done

echo "== firmware stack (per function, deepest path)"
/usr/bin/python3 scripts/stack_usage.py build-fw/image/sysinfo-q4m.efi build-fw/image/sysinfo-q4m.map

echo "== host stack and pool"
cmake -S . -B build-measure -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DSYSINFO_SANITIZE=OFF -DSYSINFO_BUILD_FIRMWARE=OFF "-DCMAKE_CXX_FLAGS=-fno-omit-frame-pointer -gdwarf-4" >/dev/null
ninja -C build-measure -j2 stack_budget_test pool_budget_test sysinfo-sim >/dev/null
build-measure/tests/budget/stack_budget_test | grep -E "depth|OK|FAILED"
build-measure/tests/budget/pool_budget_test | grep -E "^pool|OK|FAILED"

echo "== instructions of one entry (callgrind, sysinfo-sim on the default board)"
valgrind --tool=callgrind --callgrind-out-file=build-measure/entry.callgrind build-measure/tools/sysinfo-sim \
  >/dev/null 2>build-measure/callgrind.log
grep -E "Collected" build-measure/callgrind.log
echo "inclusive Ir of DriverEntry and the driver's functions:"
callgrind_annotate --inclusive=yes build-measure/entry.callgrind 2>/dev/null |
  grep -E "DriverEntry|UpdateHardwareInformation|SetPageString|FormatAsciiList|RegisterPackageArrays|QueryPdVersion|ReadBoardStraps|InitConsoleUart|CopyBytes|ZeroFill|WidenAscii" | head -20

echo "== format engine against snprintf, time and instructions per call (scripts/bench.sh)"
scripts/bench.sh

echo "== emulator run"
ctest --test-dir "$full" -R '^e2e$' | grep -E "e2e|Total Test time"
