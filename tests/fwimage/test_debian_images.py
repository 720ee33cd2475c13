# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Every firmware image Debian ships for QEMU, in one table: `list` shows
every file the independent parser (uefitool-cli's UEFIExtract) finds, in
the same order; `check` passes it clean or names only the stock image's
own oddities; and for a code image, `insert` puts a driver into its DXE
volume, after which the parser gives no warning it does not give for the
stock image, finds the stock files in their order and the driver with its
three sections. The parser only runs, on copies (it writes its report
beside the image it reads). A missing image or parser is a skip; an image
that is a symbolic link to another in the table is listed and checked,
not inserted into again."""
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
from unittest import mock

import support
from fwimage import depex, ffs, guids, operations

PARSER = shutil.which("UEFIExtract")
BLANK = ("image: no firmware volume: every byte is 0x00",)
BLOCK_MAP = ("volume at 0x0: block map covers 0x4000000 bytes, not the length 0xC0000",)
# (image, what `check` reports on it, a code image)
IMAGES = [
    ("/usr/share/AAVMF/AAVMF_CODE.fd", (), True),
    ("/usr/share/AAVMF/AAVMF_CODE.ms.fd", (), True),
    ("/usr/share/AAVMF/AAVMF_CODE.snakeoil.fd", (), True),
    ("/usr/share/AAVMF/AAVMF_VARS.fd", BLANK, False),
    ("/usr/share/AAVMF/AAVMF_VARS.ms.fd", BLOCK_MAP, False),
    ("/usr/share/AAVMF/AAVMF_VARS.snakeoil.fd", BLOCK_MAP, False),
    ("/usr/share/qemu-efi-aarch64/QEMU_EFI.fd", (), True),
    ("/usr/share/AAVMF/AAVMF32_CODE.fd", (), True),
    ("/usr/share/AAVMF/AAVMF32_VARS.fd", BLANK, False),
    ("/usr/share/OVMF/OVMF_CODE.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE.ms.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE.secboot.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE_4M.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE_4M.ms.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE_4M.secboot.fd", (), True),
    ("/usr/share/OVMF/OVMF_CODE_4M.snakeoil.fd", (), True),
    ("/usr/share/ovmf/OVMF.fd", (), True),
    ("/usr/share/OVMF/OVMF_VARS.fd", (), False),
    ("/usr/share/OVMF/OVMF_VARS.ms.fd", (), False),
    ("/usr/share/OVMF/OVMF_VARS_4M.fd", (), False),
    ("/usr/share/OVMF/OVMF_VARS_4M.ms.fd", (), False),
    ("/usr/share/OVMF/OVMF_VARS_4M.snakeoil.fd", (), False),
]

_GUID = r"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"
LISTED_FILE = re.compile(rf"^\s*file ({_GUID}) (?!PAD\b)", re.M)
REPORTED_FILE = re.compile(rf"^ File .*\| -+ ({_GUID})\b", re.M)


def minimal_pe32():
    """A PE32+ header the parser takes for an image: DOS header pointing at
    the PE signature, an AArch64 COFF header, an optional header with the
    PE32+ magic and the EFI boot-service driver subsystem; no sections."""
    dos = bytearray(0x40)
    dos[0:2], dos[0x3C:0x40] = b"MZ", (0x40).to_bytes(4, "little")
    coff = b"PE\0\0" + struct.pack("<HHIIIHH", 0xAA64, 0, 0, 0, 0, 0xF0, 0x2022)
    optional = bytearray(0xF0)
    struct.pack_into("<H", optional, 0, 0x20B)
    struct.pack_into("<H", optional, 68, 11)
    return bytes(dos + coff + optional)


def parse(parser_copy):
    """(warnings, report) of the independent parser on a file."""
    done = subprocess.run([PARSER, parser_copy, "report"], capture_output=True, text=True, timeout=120)
    with open(parser_copy + ".report.txt", encoding="utf-8", errors="replace") as source:
        report = source.read()
    return {line for line in done.stdout.splitlines() if line.strip()}, report


def driver_rows(report, name):
    """(type, subtype) of the driver's row and of the three rows after it."""
    rows = report.splitlines()
    at = next(i for i, row in enumerate(rows) if name in row and row.startswith(" File"))
    return [tuple(column.strip() for column in row.split("|")[:2]) for row in rows[at:at + 4]]


class Table:
    """The rows whose file name starts with one of `families`; one test
    class per family, so that ctest can run them side by side."""
    families = ()

    def test_table(self):
        if not PARSER:
            self.skipTest("uefitool-cli (UEFIExtract) not installed")
        done = set()
        for image, expected, code in IMAGES:
            if not os.path.basename(image).startswith(self.families):
                continue
            with self.subTest(image):
                if not os.path.exists(image):
                    self.skipTest(f"{image} not installed")
                real = os.path.realpath(image)
                with tempfile.TemporaryDirectory() as work:
                    self.one(image, expected, code and real not in done, work)
                done.add(real)

    def one(self, image, expected, code, work):
        stock = os.path.join(work, "stock.fd")
        shutil.copyfile(image, stock)
        stock_warnings, stock_report = parse(stock)
        status, listing, err = support.run("list", image)
        self.assertEqual(status, 0, err)
        self.assertEqual(LISTED_FILE.findall(listing), REPORTED_FILE.findall(stock_report), "files listed")
        status, printed, _ = support.run("check", image)
        self.assertEqual(printed.splitlines()[:-1], list(expected))
        self.assertEqual(status, 1 if expected else 0)
        if not code:
            return
        ffs_path, out = os.path.join(work, "driver.ffs"), os.path.join(work, "out.fd")
        with open(ffs_path, "wb") as sink:
            sink.write(ffs.driver(guids.parse(support.DRIVER_GUID), minimal_pe32(), depex.all_of([]), "Parsed"))
        with mock.patch.object(operations, "MEASURED_PAYLOAD", 0):    # the round trips measure the cost
            status, _, err = support.run_here("insert", image, ffs_path, "-o", out)
        self.assertEqual(status, 0, err)
        warnings, report = parse(out)
        self.assertLessEqual(warnings, stock_warnings, "warnings the stock image does not give")
        files = REPORTED_FILE.findall(report)
        self.assertEqual([f for f in files if f != support.DRIVER_GUID], REPORTED_FILE.findall(stock_report))
        self.assertEqual(driver_rows(report, support.DRIVER_GUID),
                         [("File", "DXE driver"), ("Section", "DXE dependency"), ("Section", "PE32 image"),
                          ("Section", "UI")])


class Aarch64(Table, unittest.TestCase):
    families = ("AAVMF_", "QEMU_EFI")


class Arm(Table, unittest.TestCase):
    families = ("AAVMF32_",)


class X64(Table, unittest.TestCase):
    families = ("OVMF",)


if __name__ == "__main__":
    unittest.main()
