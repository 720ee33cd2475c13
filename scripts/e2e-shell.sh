#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause-Patent
# Boots QEMU's virt machine on Debian's AAVMF firmware with the driver and a
# test platform driver, for looking at the page by hand. By default both are
# on a FAT disk and the shell's startup.nsh loads them; with --flash they are
# inserted as firmware files into a copy of the code image by
# tools/fwimage.py (the platform driver first) and the firmware dispatches
# them itself. startup.nsh then leaves for the front page; from there Device
# Manager -> System Information. The serial console is this terminal
# (Ctrl-A X quits QEMU); with --gtk the graphical console opens in a window.
#
# Usage: scripts/e2e-shell.sh [--gtk] [--flash] [firmware-build-dir] [scenario] [driver.efi]
#   firmware-build-dir  default build/firmware
#   scenario            a test platform scenario (default all; none: no platform driver)
#   driver.efi          default <firmware-build-dir>/image/sysinfo-qemu-virt.efi
#                       (with --flash, the .ffs beside it is inserted)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
display="-display none"
flash=no
while [ $# -gt 0 ]; do
  case "$1" in
    --gtk) display="-display gtk" ;;
    --flash) flash=yes ;;
    *) break ;;
  esac
  shift
done
build=$(cd "${1:-$root/build/firmware}" && pwd)
scenario=${2:-all}
driver=${3:-$build/image/sysinfo-qemu-virt.efi}
[ -f "$driver" ] || { echo "no driver image at $driver" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
cp /usr/share/AAVMF/AAVMF_VARS.fd "$work/vars.fd"
code=/usr/share/AAVMF/AAVMF_CODE.fd
mformat -C -i "$work/disk.img" -T 65536 -h 64 -s 32 ::
if [ "$flash" = yes ]; then
  platform=""
  if [ "$scenario" != none ]; then
    platform="--platform=$build/e2e/e2e-platform-$scenario.efi"
  fi
  # The flash run's image maker (tools/fwimage.py depex, ffs and insert).
  /usr/bin/python3 "$root/e2e/flash_image.py" ${platform:+"$platform"} "$work" "${driver%.efi}.ffs"
  code=$work/flash.fd
  printf 'exit\r\n' > "$work/startup.nsh"
else
  mcopy -i "$work/disk.img" "$driver" ::/sysinfo.efi
  {
    printf 'fs0:\r\n'
    if [ "$scenario" != none ]; then
      mcopy -i "$work/disk.img" "$build/e2e/e2e-platform-$scenario.efi" ::/e2e-platform.efi
      printf 'load fs0:\\e2e-platform.efi\r\n'
    fi
    printf 'load fs0:\\sysinfo.efi\r\nexit\r\n'
  } > "$work/startup.nsh"
fi
mcopy -i "$work/disk.img" "$work/startup.nsh" ::/startup.nsh

# The time limit ends a firmware that hangs after a synchronous exception.
# shellcheck disable=SC2086
timeout --foreground 3600 qemu-system-aarch64 -M virt -cpu cortex-a57 -m 512 \
  -drive if=pflash,format=raw,readonly=on,file="$code" \
  -drive if=pflash,format=raw,file="$work/vars.fd" \
  -drive if=none,id=disk,format=raw,file="$work/disk.img" -device virtio-blk-device,drive=disk \
  -nic none $display -device ramfb -serial mon:stdio -boot menu=on,splash-time=0
