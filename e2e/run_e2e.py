#!/usr/bin/python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""End-to-end run of the System Information driver on Debian's AAVMF
firmware under QEMU's virt machine.

For every scenario of scenarios.json two boots run: the first loads the
scenario's test platform driver and the driver from the UEFI shell, checks
that the console UART was brought to its configuration and still works, and
runs the read-back application, whose dump of the page's package list and
strings is compared with the texts the scenario's facts must produce; the
second leaves the shell for the front page, walks Device Manager -> System
Information over the serial console like a person would, checks the rows on
the screen and saves the screen as text and as a PNG screenshot.

Exit status: 0 all checks passed, 1 a check failed, 77 the driver image or
the emulator is missing (nothing was run)."""

import argparse
import concurrent.futures
import functools
import json
import re
import shutil
import signal
import sys
import time
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.dont_write_bytecode = True  # the run writes into its output directory only

import page_model  # noqa: E402
import page_screen  # noqa: E402
from expected import expected_strings, read_source_ids, read_wide_constants  # noqa: E402
from qemu_session import (AAVMF_CODE, AAVMF_VARS, KEY_DOWN, KEY_ENTER, KEY_UP, QEMU,  # noqa: E402
                          BootError, QemuSession, end_all_sessions, make_fat_disk)

SKIPPED = 77
ANSI = re.compile(rb"\x1b\[[0-9;=?]*[A-Za-z]")

# PL011 registers the driver programs: offset -> value it must leave.
UART_TARGET = {0x24: 0x36, 0x28: 0x10, 0x2C: 0x70, 0x30: 0x301}
UART_BASE = 0x09000000

READBACK_TIME_LIMIT = 90
NAVIGATION_TIME_LIMIT = 150


class Report:
    """Pass/fail record of one boot."""

    def __init__(self, title):
        self.title = title
        self.failures = []
        self.passed = 0
        self.notes = []

    def check(self, condition, what, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failures.append(what + (": " + detail if detail else ""))
        return condition

    def equal(self, actual, expected, what):
        return self.check(actual == expected, what, "got %r, expected %r" % (actual, expected))


# Shell scripts ----------------------------------------------------------------

def shell_script(scenario, tail):
    lines = ["fs0:"]
    lines += ["mm %08X -w 4 -MMIO -n" % (UART_BASE + offset) for offset in sorted(UART_TARGET)]
    if scenario["platform"]:
        lines.append(r"load fs0:\e2e-platform.efi")
    lines.append(r"load fs0:\sysinfo.efi")
    lines.append("echo E2E-AFTER-DRIVER")
    lines += ["mm %08X -w 4 -MMIO -n" % (UART_BASE + offset) for offset in sorted(UART_TARGET)]
    lines += tail
    return ("\r\n".join(lines) + "\r\n").encode()


def disk_files(ctx, scenario, tail):
    files = {"sysinfo.efi": ctx.driver, "startup.nsh": shell_script(scenario, tail)}
    if scenario["platform"]:
        files["e2e-platform.efi"] = ctx.firmware_build / "e2e" / ("e2e-platform-%s.efi" % scenario["name"])
    files["e2e-readback.efi"] = ctx.firmware_build / "e2e" / "e2e-readback.efi"
    return files


def boot_to_script(session):
    """Skips the shell's startup countdown."""
    session.wait_for(rb"Press .{0,40}ESC", 60)
    session.send(b" ")


def plain_text(data):
    return ANSI.sub(b"", bytes(data)).decode("latin-1").replace("\r", "")


def unescape(text):
    return re.sub(r"\\(u[0-9A-F]{4}|r|n|\\)",
                  lambda m: {"r": "\r", "n": "\n", "\\": "\\"}.get(m.group(1)) or chr(int(m.group(1)[1:], 16)),
                  text)


# Boot 1: load and read back --------------------------------------------------------

def check_driver_load(report, scenario, text):
    if scenario["platform"]:
        report.check("E2E-PLATFORM-READY %s" % scenario["name"] in text, "test platform driver ready",
                     "; ".join(re.findall(r"E2E-PLATFORM-ERROR.*", text)))
    load = re.search(r"Image 'FS0:\\sysinfo\.efi' (.*)", text)
    report.check(load is not None and load.group(1).rstrip().endswith("- Success"), "driver loaded with success",
                 load.group(1) if load else "no load line for sysinfo.efi")
    after = text.find("E2E-AFTER-DRIVER\n")
    report.check(load is not None and after > load.start(), "console works after the driver loaded")


def check_uart(report, text):
    values = [int(v, 16) for v in re.findall(r"mm [0-9A-F]{8} -w 4 -MMIO -n\n(0x[0-9A-Fa-f]+)$", text, re.M)]
    count = len(UART_TARGET)
    if not report.check(len(values) == 2 * count, "UART registers read before and after", str(values)):
        return
    before = dict(zip(sorted(UART_TARGET), values[:count]))
    after = dict(zip(sorted(UART_TARGET), values[count:]))
    report.notes.append("PL011 before: %s" % " ".join("%02X=%X" % kv for kv in before.items()))
    for offset, target in UART_TARGET.items():
        report.equal(after[offset], target, "PL011 register 0x%02X after the driver" % offset)


def check_export(report, text, expected):
    lists = re.search(r"E2E-LISTS total=(\d+) page=(\d+)", text)
    if not report.check(lists is not None, "read-back listed the HII database",
                        "; ".join(re.findall(r"E2E-READBACK-ERROR.*", text))):
        return None
    report.equal(int(lists.group(2)), 1, "package lists with the page GUID")
    export = re.search(r"E2E-EXPORT size=(\d+) length=(\d+) crc32=([0-9A-F]{8})", text)
    if not report.check(export is not None, "page package list exported"):
        return None
    size, length, crc = int(export.group(1)), int(export.group(2)), int(export.group(3), 16)
    data = bytes.fromhex("".join(chunk for _, chunk in re.findall(r"E2E-HEX ([0-9A-F]{4}) ([0-9A-F]+)", text)))
    report.equal(len(data), size, "hex dump covers the exported list")
    report.equal(zlib.crc32(data), crc, "CRC32 of the dumped bytes against the firmware's CalculateCrc32")
    report.equal(length, size, "package-list length field against the exported size")
    guid, _, packages = page_model.split_package_list(data)
    report.equal(guid, page_model.PAGE_GUID, "package-list GUID")
    kinds = [kind for kind, _ in packages]
    report.notes.append("exported packages (type, length): %s" %
                        ", ".join("0x%02X/%d" % (kind, len(body)) for kind, body in packages))
    # The database adds the driver handle's device path to what it exports.
    report.equal(sorted(kinds), sorted([page_model.PACKAGE_STRINGS, page_model.PACKAGE_FORMS,
                                        page_model.PACKAGE_DEVICE_PATH, page_model.PACKAGE_END]),
                 "package types in the list")
    report.equal(kinds[-1:], [page_model.PACKAGE_END], "list closed by the end package")
    body = dict(packages)
    report.check(body.get(page_model.PACKAGE_FORMS) == page_model.form_package(), "form package bytes as registered",
                 "differs from the expected %d bytes" % len(page_model.form_package()))
    path = body.get(page_model.PACKAGE_DEVICE_PATH, b"")[4:]
    report.equal(path.hex(), page_model.device_path().hex(), "device path of the driver's handle")
    strings = body.get(page_model.PACKAGE_STRINGS)
    if strings is None:
        return None
    try:
        language, held = page_model.parse_string_package(strings)
    except ValueError as error:
        report.check(False, "string package readable", str(error))
        return None
    report.equal(language, page_model.LANGUAGE, "string package language")
    for string_id in sorted(set(held) | set(expected)):
        report.equal(held.get(string_id, "<missing>"), expected.get(string_id, "<none>"),
                     "string %d in the exported package" % string_id)
    report.check(strings == page_model.string_package(expected), "string package bytes",
                 "exported package is not the expected strings as UCS-2 blocks in id order")
    return data


def check_strings(report, text, expected):
    report.equal(re.findall(r"E2E-LANGUAGES (.*)", text), [page_model.LANGUAGE], "languages of the page")
    found = {}
    for string_id, kind, value in re.findall(r"E2E-STRING (\d+) ([=!])(.*)", text):
        found[int(string_id)] = unescape(value) if kind == "=" else None
    for string_id in range(1, page_model.LAST_STRING_ID + 1):
        report.equal(found.get(string_id, "<missing>"), expected[string_id], "string %d" % string_id)
    report.equal(found.get(page_model.LAST_STRING_ID + 1, "<missing>"), None, "no string after the last id")
    report.check("E2E-READBACK-DONE" in text, "read-back ran to its end")


def check_readback(report, text, expected):
    """The read-back application's dump: the exported packages and every string."""
    check_export(report, text, expected)
    check_strings(report, text, expected)


def readback_boot(ctx, scenario, expected):
    report = Report("%s: load and read back" % scenario["name"])
    run_dir = ctx.out / scenario["name"] / "readback"
    run_dir.mkdir(parents=True, exist_ok=True)
    make_fat_disk(run_dir / "disk.img", disk_files(ctx, scenario, [r"fs0:\e2e-readback.efi", "reset -s"]))
    try:
        with QemuSession(run_dir, run_dir / "disk.img", READBACK_TIME_LIMIT, graphics=False) as session:
            boot_to_script(session)
            session.wait_exit(READBACK_TIME_LIMIT - 5)
            text = plain_text(session.output)
    except BootError as error:
        report.check(False, "boot completed", str(error))
        return report
    check_driver_load(report, scenario, text)
    check_uart(report, text)
    check_readback(report, text, expected)
    return report


# Boot 2: the page in the setup browser --------------------------------------------

def highlight_entry(session, label, report, presses=30):
    """Moves the highlight to the menu entry `label`."""
    for _ in range(presses):
        screen = session.screen()
        target, current = page_screen.find_row(screen, label), page_screen.highlighted_row(screen)
        if target is None:
            break
        if current == target:
            return True
        session.send(KEY_DOWN if current is None or current < target else KEY_UP)
        session.wait_quiet(0.4)
    report.check(False, "menu entry %r reachable" % label, session.screen_text())
    return False


def open_entry(session, label, report):
    if not highlight_entry(session, label, report):
        return False
    session.send(KEY_ENTER)
    session.wait_quiet()
    return True


def expected_entries(expected):
    """(label column text, value lines) of the page, top to bottom."""
    entries = []
    for item in page_model.LAYOUT:
        if item[0] == "subtitle":
            if expected[item[1]]:
                entries.append((expected[item[1]], []))
        elif not item[3]:
            value = expected[item[2]].strip()
            entries.append((expected[item[1]], value.split("\r\n") if value else []))
    return entries


def gather_page(session, run_dir):
    """Moves the highlight down through the page until neither the text nor
    the highlight changes any more; returns the page's lines gathered over
    all scrolled views and the first view's screen text. Every screen seen
    goes to screens.txt."""
    screen = session.screen()
    first = session.screen_text()
    views = [page_screen.content_lines(screen)]
    state = (views[-1], page_screen.highlighted_row(screen))
    with open(run_dir / "screens.txt", "w") as log:
        log.write("=== screen\n" + first + "\n")
        unchanged = 0
        while unchanged < 2 and len(views) < 60:
            session.send(KEY_DOWN)
            session.wait_quiet(0.4)
            screen = session.screen()
            log.write("=== screen\n" + session.screen_text() + "\n")
            view = page_screen.content_lines(screen)
            if len(views) > 1 and view == views[0]:
                break  # the highlight wrapped round to the top
            if view != views[-1]:
                views.append(view)
            previous, state = state, (view, page_screen.highlighted_row(screen))
            unchanged = unchanged + 1 if state == previous else 0
    return page_screen.merge_views(views), first


def check_page(report, lines, expected):
    entries = page_screen.page_entries(lines)
    wanted = expected_entries(expected)
    report.equal([label for label, _ in entries], [label for label, _ in wanted], "labels on the page in order")
    shown = dict(entries)
    for label, value in wanted:
        if label in shown:
            report.check(page_screen.shows_text(shown[label], value), "value shown for %r" % label,
                         "got %r, expected %r" % (shown[label], value))
    for label_id, _ in page_model.hidden_rows():
        hidden = expected[label_id]
        report.check(not any(hidden in line for line in lines), "hidden row %r absent" % hidden)


def walk_to_page(session, report, expected, run_dir):
    """From the front page: Device Manager -> System Information, the page
    checked against `expected` and saved as text and screenshots. Returns
    the time (monotonic) the page first appeared, or None if it never did."""
    session.wait_for(rb"Device Manager", 60)
    session.wait_quiet()
    if not open_entry(session, "Device Manager", report):
        return None
    session.wait_for(rb"Devices List", 30)
    session.wait_quiet()
    title = expected[2]
    entries = [line for line in page_screen.content_lines(session.screen())
               if line.lstrip("> ").strip() == title]
    report.equal(len(entries), 1, "Device Manager entries titled %r" % title)
    if not highlight_entry(session, title, report):
        return None
    report.equal(page_screen.normalised(page_screen.help_text(session.screen())),
                 page_screen.normalised(expected[3]), "help text of the Device Manager entry")
    start = len(session.output)
    session.send(KEY_ENTER)
    session.wait_for(re.escape(expected[7].encode()), 30, start)
    appeared = time.monotonic()
    session.wait_quiet()
    lines, first = gather_page(session, run_dir)
    (run_dir / "page.txt").write_text("\n".join(lines) + "\n")
    (run_dir / "first-view.txt").write_text(first + "\n")
    report.check(title in first.splitlines()[1], "page title %r" % title)
    check_page(report, lines, expected)
    # Back to the top for the screenshot of the page as it opens.
    session.send(KEY_UP * 40)
    session.wait_quiet()
    size = session.screenshot(run_dir / "page.png")
    report.notes.append("screenshot %s (%dx%d)" % (run_dir / "page.png", *size))
    session.send(KEY_DOWN * 40)
    session.wait_quiet()
    session.screenshot(run_dir / "page-bottom.png")
    return appeared


def navigate_boot(ctx, scenario, expected):
    report = Report("%s: setup browser" % scenario["name"])
    run_dir = ctx.out / scenario["name"] / "browser"
    run_dir.mkdir(parents=True, exist_ok=True)
    make_fat_disk(run_dir / "disk.img", disk_files(ctx, scenario, ["exit"]))
    try:
        with QemuSession(run_dir, run_dir / "disk.img", NAVIGATION_TIME_LIMIT) as session:
            boot_to_script(session)
            walk_to_page(session, report, expected, run_dir)
    except BootError as error:
        report.check(False, "setup browser reached the page", str(error))
    return report


# Driver ------------------------------------------------------------------------------

class Context:
    def __init__(self, args):
        self.firmware_build = Path(args.firmware_build).resolve()
        self.driver = Path(args.driver).resolve() if args.driver else \
            self.firmware_build / "image" / "sysinfo-qemu-virt.efi"
        self.out = Path(args.out).resolve()
        self.source_ids_file = self.firmware_build / "generated" / "source_ids.cpp"
        self.board_file = self.firmware_build / "generated" / "boards" / "qemu-virt.cpp"

    @functools.cached_property
    def board(self):
        """The name the build gave the board, read once the build exists."""
        return read_wide_constants(self.board_file)["mBoardName"]

    @functools.cached_property
    def source_ids(self):
        """Read on first use, after the run has made sure the build exists."""
        return read_source_ids(self.source_ids_file)


def missing(paths):
    """Why the run cannot start (a file of `paths` or the emulator is
    missing), or None."""
    for need in paths:
        if not Path(need).exists():
            return "%s does not exist" % need
    if shutil.which(QEMU) is None:
        return "%s not found" % QEMU
    return None


def run_boots(ctx, runs, jobs):
    """Runs every (boot, scenario) pair, each boot given the page its scenario
    expects, `jobs` at once; returns the reports in order, or None when
    interrupted."""
    boots = [functools.partial(boot, ctx, scenario, expected_strings(scenario, ctx.board, ctx.source_ids))
             for boot, scenario in runs]
    # A ctest timeout or ^C ends the emulators too (each also has its own limit).
    signal.signal(signal.SIGTERM, end_all_sessions)
    signal.signal(signal.SIGINT, end_all_sessions)
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=jobs)
    futures = [pool.submit(boot) for boot in boots]
    try:
        reports = [future.result() for future in futures]
    except KeyboardInterrupt:
        pool.shutdown(wait=False, cancel_futures=True)
        print("interrupted; emulators ended")
        return None
    pool.shutdown()
    return reports


def print_reports(reports):
    """Prints each report; returns how many failed."""
    failed = 0
    for report in reports:
        status = "FAIL" if report.failures else "ok"
        print("[%s] %s (%d checks passed)" % (status, report.title, report.passed))
        for note in report.notes:
            print("       note: %s" % note)
        for failure in report.failures:
            print("       FAILED: %s" % failure)
        failed += bool(report.failures)
    return failed


def copy_screenshots(run_dir, docs_png, bottom=True):
    """The page as it opens to `docs_png`, scrolled down to <name>-bottom.png."""
    if not (run_dir / "page-bottom.png").exists():
        print("no screenshots in %s to copy" % run_dir)
        return
    docs = Path(docs_png)
    shutil.copyfile(run_dir / "page.png", docs)
    if bottom:
        shutil.copyfile(run_dir / "page-bottom.png", docs.with_name(docs.stem + "-bottom.png"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--firmware-build", required=True, help="the firmware flavour's build directory")
    parser.add_argument("--driver", help="driver image (default: <firmware-build>/image/sysinfo-qemu-virt.efi)")
    parser.add_argument("--out", required=True, help="directory for disks, logs, screens and screenshots")
    parser.add_argument("--scenario", action="append", help="run only these scenarios")
    parser.add_argument("--jobs", type=int, default=2, help="boots run at once")
    parser.add_argument("--no-browser", action="store_true", help="skip the setup-browser boots")
    parser.add_argument("--docs-png", help="also copy the first scenario's page screenshots here "
                                           "(the page as it opens, and <name>-bottom.png scrolled down)")
    args = parser.parse_args()

    ctx = Context(args)
    reason = missing([ctx.driver, ctx.source_ids_file, ctx.board_file, AAVMF_CODE, AAVMF_VARS])
    if reason:
        print("SKIPPED: " + reason)
        return SKIPPED
    scenarios = json.loads((HERE / "scenarios.json").read_text())["scenarios"]
    if args.scenario:
        scenarios = [s for s in scenarios if s["name"] in args.scenario]
    kinds = [readback_boot] + ([] if args.no_browser else [navigate_boot])

    started = time.monotonic()
    ctx.out.mkdir(parents=True, exist_ok=True)
    reports = run_boots(ctx, [(kind, scenario) for scenario in scenarios for kind in kinds], args.jobs)
    if reports is None:
        return 130
    elapsed = time.monotonic() - started
    failed = print_reports(reports)
    if args.docs_png and not args.no_browser:
        copy_screenshots(ctx.out / scenarios[0]["name"] / "browser", args.docs_png)
    print("driver: %s" % ctx.driver)
    print("%d passed, %d failed (%d boots in %.1f s)" % (len(reports) - failed, failed, len(reports), elapsed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
