#!/usr/bin/python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Flash cases of the emulator run: the System Information driver shipped
as a firmware file and dispatched by Debian's AAVMF firmware from its own
flash, or loaded from Driver#### load options, with no shell command
loading it.

  flash        the stock code image with the test platform driver's file and
               then sysinfo-qemu-virt.ffs inserted by tools/fwimage.py; the
               setup browser's page and the read-back are checked
  flash-alone  only sysinfo-qemu-virt.ffs inserted: the read-back
  bcfg         the stock image; the shell adds both drivers with bcfg and
               resets: the read-back

Exit status: 0 all checks passed, 1 a check failed, 77 the emulator, AAVMF,
the image tool or a built file is missing (nothing was run)."""

import argparse
import json
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.dont_write_bytecode = True  # the run writes into its output directory only

import flash_boots  # noqa: E402
import flash_image  # noqa: E402
import run_e2e  # noqa: E402
from qemu_session import AAVMF_CODE, AAVMF_VARS  # noqa: E402


class FlashContext(run_e2e.Context):
    def __init__(self, args):
        super().__init__(args)
        self.driver_ffs = self.driver.with_suffix(".ffs")

    def platform_efi(self, scenario):
        return self.firmware_build / "e2e" / ("e2e-platform-%s.efi" % scenario["name"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--firmware-build", required=True, help="the firmware flavour's build directory")
    parser.add_argument("--driver", help="driver image, its .ffs next to it "
                                         "(default: <firmware-build>/image/sysinfo-qemu-virt.efi)")
    parser.add_argument("--out", required=True, help="directory for images, disks, logs and screenshots")
    parser.add_argument("--case", action="append", choices=sorted(flash_boots.CASES), help="run only these cases")
    parser.add_argument("--jobs", type=int, default=2, help="boots run at once")
    parser.add_argument("--docs-png", help="also copy the flash case's screenshot of the page as it opens here")
    args = parser.parse_args()

    ctx = FlashContext(args)
    scenarios = {s["name"]: s for s in json.loads((HERE / "scenarios.json").read_text())["scenarios"]}
    names = args.case or list(flash_boots.CASES)
    needs = [ctx.driver, ctx.source_ids_file, ctx.board_file, AAVMF_CODE, AAVMF_VARS,
             ctx.firmware_build / "e2e" / "e2e-readback.efi"]
    if any(name.startswith("flash") for name in names):
        needs += [ctx.driver_ffs, flash_image.FWIMAGE]
    needs += [ctx.platform_efi(scenarios[flash_boots.CASES[name][1]]) for name in names
              if scenarios[flash_boots.CASES[name][1]]["platform"]]
    reason = run_e2e.missing(needs)
    if reason:
        print("SKIPPED: " + reason)
        return run_e2e.SKIPPED

    started = time.monotonic()
    ctx.out.mkdir(parents=True, exist_ok=True)
    runs = [(case, scenarios[scenario]) for case, scenario in (flash_boots.CASES[name] for name in names)]
    reports = run_e2e.run_boots(ctx, runs, args.jobs)
    if reports is None:
        return 130
    elapsed = time.monotonic() - started
    failed = run_e2e.print_reports(reports)
    if args.docs_png and "flash" in names:
        run_e2e.copy_screenshots(ctx.out / "flash", args.docs_png, bottom=False)
    print("driver: %s" % ctx.driver_ffs)
    print("%d passed, %d failed (%d cases in %.1f s)" % (len(reports) - failed, failed, len(reports), elapsed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
