#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Installs what is missing, builds the page simulator (host flavour, no
# firmware sub-build) in its own build directory and runs it, passing every
# argument through: scripts/run.sh --help lists them. Build output goes to
# stderr, so stdout is the simulator's alone. SYSINFO_RUN_BUILD sets the
# build directory (default build-run, the preset "run").
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${SYSINFO_RUN_BUILD:-$root/build-run}" && cd "${SYSINFO_RUN_BUILD:-$root/build-run}" && pwd)
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
"$root/scripts/deps.sh" $BUILD_PACKAGES
# Presets are read from the source directory; the simulator runs where called.
(cd "$root" && cmake --preset run -B "$build") >&2
# Every board's simulator, as --board runs the sibling executable.
cmake --build "$build" --target sysinfo-sim-all >&2
exec "$build/tools/sysinfo-sim" "$@"
