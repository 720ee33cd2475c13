# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The Secure Boot cases of the emulator run: AAVMF with the snakeoil
variable store, which enrolls Debian's test keys and turns Secure Boot on.
The firmware then refuses its own shell, so the boot application
e2e-boot.efi (e2e/boot_app.cpp), signed with the test key and placed at the
removable-media path, does what startup.nsh does in the other runs; the
disk's e2e-mode.txt names its mode. Each case is one session.

  flash          the test platform driver's file and sysinfo-qemu-virt.ffs
                 in flash: the page in the setup browser, then the read-back
  driver-option  the boot application adds Driver#### options for the signed
                 test platform driver and the signed driver and resets; the
                 boot manager loads both before the boot application, which
                 reads the page back
  unsigned, tampered, wrong-key
                 the same with the driver unsigned, changed after signing, or
                 signed with a key that is in no database: the firmware
                 refuses it, the boot goes on and no page exists"""

import functools
import re
import time

import flash_boots
import flash_image
from qemu_session import AAVMF_VARS_SECURE_BOOT, KEY_ESC, BootError, QemuSession, make_fat_disk
from run_e2e import Report, check_readback, plain_text, unescape, walk_to_page

TIME_LIMIT = 150
BOOT_APP = "EFI/BOOT/BOOTAA64.EFI"  # the removable-media path the boot manager tries
MODE = re.compile(r"E2E-BOOT-MODE (\S+) secureboot=(\S+)")
IMAGE = re.compile(r"E2E-IMAGE action=([0-9A-F]{8}) name=(.*)")
PAGE_LISTS = re.compile(r"E2E-LISTS total=\d+ page=(\d+)")
# Action bit of an image execution entry: the image was started.
EXECUTION_INITIALIZED = 0x8


def boot_disk(ctx, run_dir, mode, drivers=None):
    files = {BOOT_APP: ctx.boot_app, "e2e-mode.txt": mode.encode() + b"\n"}
    files.update(drivers or {})
    make_fat_disk(run_dir / "disk.img", files)
    return run_dir / "disk.img"


def refused_images(text):
    """(action, name) of each image the firmware recorded as not started."""
    return [(int(action, 16), unescape(name)) for action, name in IMAGE.findall(text)]


def firmware_lines(text, start, end):
    """The firmware's own console lines in text[start:end]."""
    return [line for line in text[start:end].splitlines() if line.strip() and not line.startswith("E2E-")]


def check_boot_app(report, text, mode, boots):
    """The boot application started `boots` times in `mode`, each time
    with Secure Boot on, and reported no error of its own."""
    report.equal(MODE.findall(text), [(mode, "01")] * boots, "boot application runs in mode %s, Secure Boot on" % mode)
    report.equal(re.findall(r"E2E-BOOT-ERROR.*", text), [], "boot application's errors")


def enter_front_page(session, report):
    """Esc while the firmware starts: the boot manager opens the front page
    instead of the boot options."""
    banner = session.wait_for(re.escape(flash_boots.FIRMWARE_BANNER.encode()), 60)
    deadline = time.monotonic() + 60
    while b"BdsDxe:" not in session.output[banner.end():] and time.monotonic() < deadline:
        session.send(KEY_ESC)
        time.sleep(0.25)
    first = session.wait_for(rb"BdsDxe: [^\r\n]*", 5, banner.end()).group(0).decode("latin-1")
    report.check('"UiApp"' in first, "Esc opened the front page", first)
    session.wait_for(rb"Device Manager", 60, banner.end())


# Cases --------------------------------------------------------------------------

def flash_case(ctx, scenario, expected):
    """Platform driver and driver in flash: the page in the setup browser,
    then Continue starts the boot application, which reads the page back."""
    report = Report("secureboot-flash: dispatched from flash (%s), setup browser and read-back" % scenario["name"])
    run_dir = ctx.out / "flash"
    run_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        platform = flash_image.platform_file(run_dir, ctx.platform_efi(scenario))
        image = flash_boots.image_for(run_dir, [platform, ctx.driver_ffs], report)
        disk = boot_disk(ctx, run_dir, "readback")
        with QemuSession(run_dir, disk, TIME_LIMIT, code=image, variables=AAVMF_VARS_SECURE_BOOT) as session:
            enter_front_page(session, report)
            appeared = walk_to_page(session, report, expected, run_dir)
            if appeared is not None:
                report.notes.append("from power-on: the page %.1f s" % (appeared - session.started))
            if flash_boots.continue_boot(session, report) is not None:
                session.wait_exit(60)
        text = plain_text(session.output)
    except (BootError, flash_image.ImageError) as error:
        report.check(False, "Secure Boot flash boot completed", str(error))
        return report
    check_boot_app(report, text, "readback", 1)
    flash_boots.check_platform_first(report, text, scenario, 0)
    check_readback(report, text, expected)
    report.equal(refused_images(text), [], "no image refused")
    report.notes.append("whole case: %.1f s" % (time.monotonic() - started))
    return report


def check_refused(report, text):
    """The driver's option was refused: no page, the boot went on to the
    read-back, and the firmware recorded the driver file as not started."""
    report.equal(PAGE_LISTS.findall(text), ["0"], "no package list with the page GUID")
    report.check("E2E-READBACK-DONE" in text, "the boot went on to the boot application's read-back")
    images = refused_images(text)
    report.equal([name.rsplit("/", 1)[-1] for _, name in images], [r"\sysinfo.efi"],
                 "the firmware recorded the driver file, and only it, as refused")
    report.check(all(not action & EXECUTION_INITIALIZED for action, _ in images), "refused file not started",
                 str(images))
    report.notes.append("image execution table: %s" % "; ".join("action 0x%08X %s" % image for image in images))


def driver_option_case(name, ctx, scenario, expected):
    """The boot application adds the Driver#### options (the signed test
    platform driver, then the case's driver file) and resets; after the
    reset the boot manager loads them and the application reads back."""
    refused = name != "driver-option"
    report = Report("secureboot-%s: Driver#### option, driver %s" % (name, "refused" if refused else "loaded"))
    run_dir = ctx.out / name
    run_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    disk = boot_disk(ctx, run_dir, "driver-options",
                     {"e2e-platform.efi": ctx.platform_signed, "sysinfo.efi": ctx.driver_files[name]})
    try:
        with QemuSession(run_dir, disk, TIME_LIMIT, graphics=False, variables=AAVMF_VARS_SECURE_BOOT) as session:
            session.wait_exit(TIME_LIMIT - 10)
        text = plain_text(session.output)
    except BootError as error:
        report.check(False, "Driver#### boots completed", str(error))
        return report
    added = text.find("E2E-DRIVER-OPTIONS-ADDED")
    second = text.find(flash_boots.FIRMWARE_BANNER, max(added, 0))
    report.check(added >= 0 and second > added, "options added, then the firmware started again")
    check_boot_app(report, text, "driver-options", 2)
    flash_boots.check_platform_first(report, text, scenario, max(second, 0))
    if refused:
        check_refused(report, text)
    else:
        check_readback(report, text, expected)
        report.equal(refused_images(text), [], "no image refused")
    report.notes.append("firmware's lines after the reset: %s" %
                        " | ".join(firmware_lines(text, max(second, 0), text.find("E2E-BOOT-MODE", max(second, 0)))))
    report.notes.append("DriverOrder after the reset: %s" % re.findall(r"E2E-DRIVER-ORDER (.*)", text))
    report.notes.append("whole case: %.1f s" % (time.monotonic() - started))
    return report


# Case name -> (boot, scenario of the test platform driver). The driver-option
# cases differ only in the driver file (run_secureboot.py makes them).
CASES = {"flash": (flash_case, "all")}
CASES.update({name: (functools.partial(driver_option_case, name), "all")
              for name in ("driver-option", "unsigned", "tampered", "wrong-key")})
