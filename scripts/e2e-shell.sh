#!/bin/sh
# Boots QEMU's virt machine on Debian's AAVMF firmware with the driver and a
# test platform driver on a FAT disk, for looking at the page by hand. The
# shell's startup.nsh loads both and leaves for the front page; from there
# Device Manager -> System Information. The serial console is this terminal
# (Ctrl-A X quits QEMU); with --gtk the graphical console opens in a window.
#
# Usage: scripts/e2e-shell.sh [--gtk] [firmware-build-dir] [scenario] [driver.efi]
#   firmware-build-dir  default build/firmware
#   scenario            a test platform scenario (default all; none: no platform driver)
#   driver.efi          default <firmware-build-dir>/image/sysinfo-qemu-virt.efi
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
display="-display none"
if [ "${1:-}" = "--gtk" ]; then
  display="-display gtk"
  shift
fi
build=$(cd "${1:-$root/build/firmware}" && pwd)
scenario=${2:-all}
driver=${3:-$build/image/sysinfo-qemu-virt.efi}
[ -f "$driver" ] || { echo "no driver image at $driver" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp /usr/share/AAVMF/AAVMF_VARS.fd "$work/vars.fd"
mformat -C -i "$work/disk.img" -T 65536 -h 64 -s 32 ::
mcopy -i "$work/disk.img" "$driver" ::/sysinfo.efi
{
  printf 'fs0:\r\n'
  if [ "$scenario" != none ]; then
    mcopy -i "$work/disk.img" "$build/e2e/e2e-platform-$scenario.efi" ::/e2e-platform.efi
    printf 'load fs0:\\e2e-platform.efi\r\n'
  fi
  printf 'load fs0:\\sysinfo.efi\r\nexit\r\n'
} > "$work/startup.nsh"
mcopy -i "$work/disk.img" "$work/startup.nsh" ::/startup.nsh

# The time limit ends a firmware that hangs after a synchronous exception.
# shellcheck disable=SC2086
timeout --foreground 3600 qemu-system-aarch64 -M virt -cpu cortex-a57 -m 512 \
  -drive if=pflash,format=raw,readonly=on,file=/usr/share/AAVMF/AAVMF_CODE.fd \
  -drive if=pflash,format=raw,file="$work/vars.fd" \
  -drive if=none,id=disk,format=raw,file="$work/disk.img" -device virtio-blk-device,drive=disk \
  -nic none $display -device ramfb -serial mon:stdio -boot menu=on,splash-time=0
