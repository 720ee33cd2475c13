#!/bin/sh
# Installs what is missing, builds the host and firmware flavours and runs
# every test. Usage: scripts/test.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
"$root/scripts/deps.sh" $BUILD_PACKAGES $E2E_PACKAGES
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
