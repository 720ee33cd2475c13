#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Line and branch coverage of the driver sources (what goes into the .efi
# image) under the host tests, with clang's source-based coverage. Builds an
# instrumented host flavour without sanitizers, the firmware sub-build or
# the fuzz targets' runs, runs the tests with one raw profile per process,
# merges them, prints the per-file table of the driver sources with the
# totals and writes an HTML report to <build-dir>/coverage-html/.
# Usage: scripts/coverage.sh [build-dir]   (default build-coverage/)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build-coverage}" && cd "${1:-$root/build-coverage}" && pwd)
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
"$root/scripts/deps.sh" $BUILD_PACKAGES

tool() {
  for candidate in "$1-14" "$1"; do
    if command -v "$candidate" >/dev/null 2>&1; then
      echo "$candidate"
      return
    fi
  done
  echo "coverage.sh: $1 not found" >&2
  exit 1
}
profdata=$(tool llvm-profdata)
cov=$(tool llvm-cov)

(cd "$root" && cmake --preset coverage -B "$build") >/dev/null
cmake --build "$build" --parallel "${JOBS:-2}"

# Every test process (the test programs, and the page simulators the CLI
# test starts) writes its own raw profile. The fuzz smoke runs, the
# emulator run and the style checks measure nothing here.
profiles=$build/coverage-profiles
rm -rf "$profiles"
mkdir -p "$profiles"
LLVM_PROFILE_FILE="$profiles/%p-%m.profraw" \
  ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}" -LE '^(fuzz|emulator|style)$'
"$profdata" merge -sparse -o "$build/coverage.profdata" "$profiles"/*.profraw

# The instrumented programs the tests ran: every host executable except the
# fuzz targets, the benchmark and the layers' link checks.
objects=""
for program in $(find "$build" -type f -perm -u+x ! -path '*/CMakeFiles/*' ! -path "$build/fuzz/*" \
                   ! -path "$build/bench/*" ! -name '*.so*' ! -name '*_link_check' | sort); do
  if [ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = "177ELF" ]; then
    if [ -z "$objects" ]; then
      objects=$program
    else
      objects="$objects -object $program"
    fi
  fi
done

# The driver sources: everything in the image except the memcpy/memset
# support and the MMIO register access, which only the firmware build has;
# the host's register access is the simulator's way in, not the image's.
sources=$(cd "$root" && find text hii driver serial boards platform -name '*.cpp' -o -name '*.h' |
  grep -v -e '^text/compiler_support.cpp$' -e '^text/register_mmio.cpp$' -e '^text/register_host.cpp$' \
    -e '^text/register_hook.h$' | sort |
  sed "s|^|$root/|")

# shellcheck disable=SC2086
"$cov" report $objects -instr-profile="$build/coverage.profdata" $sources
rm -rf "$build/coverage-html"
# shellcheck disable=SC2086
"$cov" show $objects -instr-profile="$build/coverage.profdata" -show-branches=count \
  -show-line-counts-or-regions -format=html -output-dir="$build/coverage-html" $sources
echo "HTML report: $build/coverage-html/index.html"
