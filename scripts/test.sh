#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Installs what is missing, builds the host and firmware flavours and runs
# every test, then builds the host flavour again with GCC and runs its unit
# tests (the emulator run and the fuzz runs are the clang build's).
# Usage: scripts/test.sh [build-dir]   (the GCC build goes to <build-dir>-gcc)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build}" && cd "${1:-$root/build}" && pwd)
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
"$root/scripts/deps.sh" $BUILD_PACKAGES $E2E_PACKAGES $IMAGE_PACKAGES
cd "$root"
cmake --preset default -B "$build"
cmake --build "$build"
ctest --preset default --test-dir "$build" -j "$(nproc)"

cmake --preset gcc -B "$build-gcc"
cmake --build "$build-gcc"
ctest --preset gcc --test-dir "$build-gcc" -j "$(nproc)"
