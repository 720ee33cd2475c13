#!/usr/bin/python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Secure Boot cases of the emulator run: Debian's AAVMF with its test keys
enrolled and Secure Boot on; the System Information driver dispatched from
flash, loaded from a signed Driver#### option, and refused by the firmware
when unsigned, changed after signing or signed with a key not in db
(e2e/secureboot_boots.py describes each case). The run signs what it loads
with the test key itself, into <out>/signed.

Exit status: 0 all checks passed, 1 a check or the signing failed, 77 the
emulator, the Secure Boot variable store, the test key, a signing tool, the
image tool or a built file is missing (nothing was run)."""

import argparse
import json
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.dont_write_bytecode = True  # the run writes into its output directory only

import flash_image  # noqa: E402
import run_e2e  # noqa: E402
import secureboot_boots  # noqa: E402
import signing  # noqa: E402
from qemu_session import AAVMF_CODE, AAVMF_VARS_SECURE_BOOT  # noqa: E402
from run_flash import FlashContext  # noqa: E402


class SecureBootContext(FlashContext):
    def __init__(self, args):
        super().__init__(args)
        self.boot_app_unsigned = self.firmware_build / "e2e" / "e2e-boot.efi"

    def sign(self, scenario):
        """The files the cases load, signed into <out>/signed: the boot
        application, the test platform driver and the driver's file for each
        Driver#### case. Returns a line of their sizes."""
        work = self.out / "signed"
        keys = signing.Keys(work)
        self.boot_app = signing.sign(self.boot_app_unsigned, keys.test, work / "e2e-boot.efi")
        self.platform_signed = signing.sign(self.platform_efi(scenario), keys.test, work / "e2e-platform.efi")
        signed = signing.sign(self.driver, keys.test, work / "sysinfo.efi")
        self.driver_files = {"driver-option": signed, "unsigned": self.driver,
                             "tampered": signing.tamper(signed, keys.test, work / "sysinfo.tampered.efi"),
                             "wrong-key": signing.sign(self.driver, keys.other, work / "sysinfo.wrong-key.efi")}
        return "driver %d bytes, signed %d bytes" % (self.driver.stat().st_size, signed.stat().st_size)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--firmware-build", required=True, help="the firmware flavour's build directory")
    parser.add_argument("--driver", help="driver image, its .ffs next to it "
                                         "(default: <firmware-build>/image/sysinfo-qemu-virt.efi)")
    parser.add_argument("--out", required=True, help="directory for keys, signed files, images, disks and logs")
    parser.add_argument("--case", action="append", choices=list(secureboot_boots.CASES), help="run only these cases")
    parser.add_argument("--jobs", type=int, default=2, help="boots run at once")
    args = parser.parse_args()

    ctx = SecureBootContext(args)
    scenarios = {s["name"]: s for s in json.loads((HERE / "scenarios.json").read_text())["scenarios"]}
    names = args.case or list(secureboot_boots.CASES)
    platform_scenario = scenarios[secureboot_boots.CASES[names[0]][1]]
    needs = [ctx.driver, ctx.driver_ffs, ctx.source_ids_file, ctx.boot_app_unsigned,
             ctx.platform_efi(platform_scenario), flash_image.FWIMAGE,
             AAVMF_CODE, AAVMF_VARS_SECURE_BOOT, signing.TEST_KEY, signing.TEST_CERT]
    reason = run_e2e.missing(needs) or (signing.missing_tool() and "%s not found" % signing.missing_tool())
    if reason:
        print("SKIPPED: " + reason)
        return run_e2e.SKIPPED

    started = time.monotonic()
    ctx.out.mkdir(parents=True, exist_ok=True)
    try:
        print("signed with the test key: %s" % ctx.sign(platform_scenario))
    except signing.SigningError as error:
        print("FAILED: signing: %s" % error)
        return 1
    runs = [(case, scenarios[scenario]) for case, scenario in (secureboot_boots.CASES[name] for name in names)]
    reports = run_e2e.run_boots(ctx, runs, args.jobs)
    if reports is None:
        return 130
    elapsed = time.monotonic() - started
    failed = run_e2e.print_reports(reports)
    print("%d passed, %d failed (%d cases in %.1f s)" % (len(reports) - failed, failed, len(reports), elapsed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
