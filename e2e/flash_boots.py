# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The flash cases of the emulator run: the driver dispatched from the
firmware's own flash with no shell command, alone and after the test
platform driver, and loaded from Driver#### load options that the shell's
bcfg added. Each case is one boot; its disk holds the read-back application
and a startup.nsh that runs only that (and, for bcfg, adds the options
first)."""

import re
import time

import flash_image
from qemu_session import KEY_ESC, BootError, QemuSession, make_fat_disk
from run_e2e import Report, check_readback, open_entry, plain_text, walk_to_page

TIME_LIMIT = 150
COUNTDOWN = rb"Press .{0,40}ESC"
FIRMWARE_BANNER = "UEFI firmware ("
# The test platform driver's last line; ibrd is the PL011 divisor it found:
# the firmware's 0x27 until the System Information driver has set 0x36.
READY = re.compile(r"E2E-PLATFORM-READY (\S+) ibrd=0x([0-9A-F]{2})")
FIRMWARE_DIVISOR = 0x27
READBACK = [r"fs0:\e2e-readback.efi", "reset -s"]


def startup(lines):
    return ("\r\n".join(["fs0:", *lines]) + "\r\n").encode()


def readback_disk(ctx, run_dir, lines, extra=None):
    files = {"e2e-readback.efi": ctx.firmware_build / "e2e" / "e2e-readback.efi", "startup.nsh": startup(lines)}
    files.update(extra or {})
    make_fat_disk(run_dir / "disk.img", files)
    return run_dir / "disk.img"


def check_platform_first(report, text, scenario, start):
    """The test platform driver ran once after `start` (an offset in the
    console text), before the boot manager started anything and before the
    System Information driver touched the UART."""
    found = [m for m in READY.finditer(text) if m.start() >= start]
    report.equal([m.group(1) for m in found], [scenario["name"]], "test platform driver ran once")
    if not found:
        return
    divisor = int(found[0].group(2), 16)
    report.check(divisor == FIRMWARE_DIVISOR, "PL011 divisor the platform driver found is the firmware's",
                 "0x%02X: the System Information driver ran first" % divisor)
    boot = text.find("BdsDxe:", start)
    report.check(0 <= found[0].start() < boot, "platform driver ran before the boot manager's boot options")


def run_to_exit(session, start=0):
    """Lets startup.nsh run (skipping the countdown) until `reset -s`."""
    session.wait_for(COUNTDOWN, 60, start)
    session.send(b" ")
    session.wait_exit(60)


def continue_boot(session, report):
    """From the page back to the front page and Continue, which starts the
    boot options again; returns the output offset Continue was picked at,
    or None when it could not be."""
    back = len(session.output)
    session.send(KEY_ESC)
    session.wait_quiet()
    session.send(KEY_ESC)
    session.wait_for(rb"Continue", 20, back)
    session.wait_quiet()
    mark = len(session.output)
    return mark if open_entry(session, "Continue", report) else None


def image_for(run_dir, files, report):
    """The stock image with `files` inserted; the listing must show them in
    this order."""
    started = time.monotonic()
    image, grew = flash_image.flash_image(run_dir, files)
    report.notes.append("fwimage insert in %.1f s: %s" % (time.monotonic() - started, grew))
    guids = [flash_image.file_guid(f) for f in files]
    listed = [g for g in flash_image.listed_files(image) if g in guids]
    report.equal(listed, guids, "inserted files listed once each, in this order")
    return image


# Cases --------------------------------------------------------------------------

def flash_case(ctx, scenario, expected):
    """Platform driver and driver in flash: the page in the setup browser,
    then the read-back from the shell, in one boot."""
    report = Report("flash: dispatched from flash (%s), setup browser and read-back" % scenario["name"])
    run_dir = ctx.out / "flash"
    run_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        platform = flash_image.platform_file(run_dir, ctx.platform_efi(scenario))
        image = image_for(run_dir, [platform, ctx.driver_ffs], report)
        disk = readback_disk(ctx, run_dir, READBACK)
        with QemuSession(run_dir, disk, TIME_LIMIT, code=image) as session:
            session.wait_for(READY.pattern.encode(), 60)
            dispatched = time.monotonic() - session.started
            # Past startup.nsh to the front page this once; Continue later
            # boots the shell again, and then startup.nsh runs.
            first = session.wait_for(COUNTDOWN, 60)
            session.send(KEY_ESC)
            session.wait_for(rb"Shell> ", 20, first.end())
            session.send(b"exit\r")
            session.wait_for(rb"Device Manager", 60, first.end())
            front_page = time.monotonic() - session.started
            appeared = walk_to_page(session, report, expected, run_dir)
            if appeared is not None:
                report.notes.append("from power-on: platform driver's line %.1f s, front page %.1f s, the page %.1f s"
                                    % (dispatched, front_page, appeared - session.started))
            mark = continue_boot(session, report)
            if mark is not None:
                run_to_exit(session, mark)
        text = plain_text(session.output)
    except (BootError, flash_image.ImageError) as error:
        report.check(False, "flash boot completed", str(error))
        return report
    check_platform_first(report, text, scenario, 0)
    check_readback(report, text, expected)
    report.notes.append("whole case: %.1f s" % (time.monotonic() - started))
    return report


def flash_alone_case(ctx, scenario, expected):
    """Only the driver in flash, no platform driver: the read-back."""
    report = Report("flash-alone: dispatched from flash without platform driver, read-back")
    run_dir = ctx.out / "flash-alone"
    run_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        image = image_for(run_dir, [ctx.driver_ffs], report)
        with QemuSession(run_dir, readback_disk(ctx, run_dir, READBACK), TIME_LIMIT,
                         graphics=False, code=image) as session:
            run_to_exit(session)
        text = plain_text(session.output)
    except (BootError, flash_image.ImageError) as error:
        report.check(False, "flash boot completed", str(error))
        return report
    report.check(READY.search(text) is None, "no platform driver ran")
    check_readback(report, text, expected)
    report.notes.append("whole case: %.1f s" % (time.monotonic() - started))
    return report


def bcfg_case(ctx, scenario, expected):
    """Stock image; the shell adds the platform driver and the driver as
    Driver#### load options and resets; the firmware loads them before the
    boot options, and startup.nsh then runs the read-back."""
    report = Report("bcfg: Driver#### load options (%s), read-back" % scenario["name"])
    run_dir = ctx.out / "bcfg"
    run_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    marker = r"fs0:\options-added"
    lines = ["if exist %s then" % marker, *READBACK, "endif",
             r"bcfg driver add 0 fs0:\e2e-platform.efi E2ePlatform",
             r"bcfg driver add 1 fs0:\sysinfo.efi SystemInformation",
             "echo added > %s" % marker, "reset"]
    disk = readback_disk(ctx, run_dir, lines, {"e2e-platform.efi": ctx.platform_efi(scenario),
                                               "sysinfo.efi": ctx.driver})
    try:
        with QemuSession(run_dir, disk, TIME_LIMIT, graphics=False) as session:
            first = session.wait_for(COUNTDOWN, 60)
            session.send(b" ")
            run_to_exit(session, first.end())
        text = plain_text(session.output)
    except BootError as error:
        report.check(False, "bcfg boots completed", str(error))
        return report
    report.equal(re.findall(r"bcfg: Add (Driver\d{4})", text), ["Driver0000", "Driver0001"],
                 "load options added")
    second = text.find(FIRMWARE_BANNER, text.find(FIRMWARE_BANNER) + 1)
    report.check(second > 0, "firmware started again after the reset")
    report.check(READY.search(text, 0, max(second, 0)) is None, "platform driver not run before the reset")
    check_platform_first(report, text, scenario, max(second, 0))
    check_readback(report, text, expected)
    report.notes.append("whole case: %.1f s" % (time.monotonic() - started))
    return report


CASES = {"flash": (flash_case, "all"), "flash-alone": (flash_alone_case, "none"), "bcfg": (bcfg_case, "all")}
