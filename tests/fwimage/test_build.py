# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The bytes the tool builds, against examples worked by hand, and the
driver files it refuses to take."""
import os
import tempfile
import unittest

import support
from fwimage import depex, errors, ffs, guids, sections

HII_DATABASE = "EF9FC172-A1B2-4693-B327-6D32FC416042"
HII_STRING = "0FD96974-23AA-4CDC-B9CB-98D17750322A"

# A GUID on disk: first three fields little-endian, the last eight bytes as written.
HII_DATABASE_BYTES = "72 C1 9F EF B2 A1 93 46 B3 27 6D 32 FC 41 60 42"
HII_STRING_BYTES = "74 69 D9 0F AA 23 DC 4C B9 CB 98 D1 77 50 32 2A"

# (protocols, expression): PUSH = 02, AND = 03, TRUE = 06, END = 08.
DEPEX_CASES = [
    ([], "06 08"),
    ([HII_DATABASE], f"02 {HII_DATABASE_BYTES} 08"),
    ([HII_DATABASE, HII_STRING], f"02 {HII_DATABASE_BYTES} 02 {HII_STRING_BYTES} 03 08"),
]

# The driver file of PE32 "MZ\0\0", expression TRUE END and UI name "A":
#   header   6D E7 0A 28 AF EE B8 4E AC 20 45 9C 6D E9 36 46   name 280AE76D-EEAF-4EB8-AC20-459C6DE93646
#            21 AA 07 00 30 00 00 07                            header sum, data sum, DRIVER, no attributes,
#                                                               size 0x30, state 07 (polarity 0: bits set)
#   sections 06 00 00 13 06 08 | 00 00                          DXE_DEPEX, 6 bytes; 2 fill bytes to 4-align
#            08 00 00 10 4D 5A 00 00                            PE32, 8 bytes
#            08 00 00 15 41 00 00 00                            USER_INTERFACE "A" in UCS-2 with its NUL
# Header sum: the name bytes sum to 1960 (0x7A8); with type 07 and size byte
# 0x30 (state and data sum count as 0) 2015 = 0x7DF, low byte 0xDF; the sum
# byte is 0x100 - 0xDF = 0x21. Data sum: 0xAA, the value for a file without
# the checksum attribute.
TINY_FFS = ("6D E7 0A 28 AF EE B8 4E AC 20 45 9C 6D E9 36 46 21 AA 07 00 30 00 00 07"
            " 06 00 00 13 06 08 00 00 08 00 00 10 4D 5A 00 00 08 00 00 15 41 00 00 00")


# VERSION "1.0.0", build 10000 (0x2710): size 0x12, type 0x14, the build
# number little-endian, the text in UCS-2 with its NUL.
VERSION_SECTION = "12 00 00 14 10 27 31 00 2E 00 30 00 2E 00 30 00 00 00"


def hexbytes(text):
    return bytes.fromhex(text.replace(" ", ""))


class HandWorked(unittest.TestCase):
    def test_dependency_expressions(self):
        for protocols, expected in DEPEX_CASES:
            with self.subTest(protocols=protocols):
                program = depex.all_of([guids.parse(p) for p in protocols])
                self.assertEqual(program, hexbytes(expected))
                self.assertEqual(depex.decode(program)[-1], "END")

    def test_protocol_names_come_from_the_driver_header(self):
        self.assertEqual(guids.protocol("EFI_HII_DATABASE_PROTOCOL_GUID"), hexbytes(HII_DATABASE_BYTES))
        self.assertEqual(guids.protocol("MEMORY_INFO_PROTOCOL_GUID"),
                         guids.parse("222A6C1A-51EE-0EEC-9E7C-F3FD6F0FD7CF"))
        with self.assertRaises(errors.FwError):
            guids.protocol("NO_SUCH_PROTOCOL_GUID")
        with self.assertRaisesRegex(errors.FwError, "cannot read protocol names from /nonexistent/guids.h"):
            guids.protocol("EFI_HII_DATABASE_PROTOCOL_GUID", "/nonexistent/guids.h")

    def test_tiny_driver_file(self):
        built = ffs.driver(guids.parse(support.DRIVER_GUID), b"MZ\0\0", depex.all_of([]), "A")
        self.assertEqual(built, hexbytes(TINY_FFS))
        # In a volume whose erased bytes read 0xFF the state bits are stored inverted.
        self.assertEqual(ffs.with_polarity(built, 1)[23], 0xF8)

    def test_version_section_built_and_listed(self):
        self.assertEqual(sections.version("1.0.0", 10000), hexbytes(VERSION_SECTION))
        cases = [(hexbytes(VERSION_SECTION), 'section VERSION at 0x0 size 0x12 "1.0.0" build 10000'),
                 (hexbytes("05 00 00 14 10"), "section VERSION at 0x0 size 0x5 (cut short: no build number)")]
        for raw, line in cases:
            with self.subTest(line), tempfile.TemporaryDirectory() as work:
                path = os.path.join(work, "image.fd")
                with open(path, "wb") as sink:
                    sink.write(support.volume([support.firmware_file(support.DRIVER_GUID, ffs.FREEFORM, raw)]))
                status, out, err = support.run_here("list", path)
                self.assertEqual((status, err), (0, ""))
                self.assertIn(line, out)

    def test_large_section_and_large_file_headers(self):
        body = bytes(0x1000000)
        section = sections.build(sections.RAW, body)
        self.assertEqual(section[:8], hexbytes("FF FF FF 19 08 00 00 01"))    # size 0x1000008 follows
        self.assertEqual(sections.parse(section, "test")[0].body, body)
        file = ffs.build(guids.ERASED, ffs.RAW, body)
        self.assertEqual(file[19] & ffs.ATTRIB_LARGE_FILE, ffs.ATTRIB_LARGE_FILE)
        self.assertEqual(file[20:23], b"\0\0\0")
        self.assertEqual(ffs.parse(file, 0, len(file), 0, "test").data, body)


def _mutated(raw, at, value):
    out = bytearray(raw)
    out[at] = value
    return bytes(out)


def _fix_header_sum(raw):
    out = bytearray(raw)
    out[16] = 0
    out[16] = ffs.checksum8(out[:16] + out[18:23])
    return bytes(out)


class DriverFilesRefused(unittest.TestCase):
    """Files `insert` must not take, each refused with one line by the command."""
    GOOD = hexbytes(TINY_FFS)
    CASES = [
        ("header checksum", _mutated(GOOD, 16, 0x22), "header checksum fails"),
        ("data checksum byte", _mutated(GOOD, 17, 0x00), "data checksum byte"),
        ("cut short", GOOD[:40], "truncated"),
        ("bytes after the file", GOOD + b"\0" * 8, "bytes after the file"),
        ("application", _fix_header_sum(_mutated(GOOD, 18, ffs.APPLICATION)), "not DRIVER"),
        ("no PE32 section", _mutated(GOOD, 35, sections.RAW), "one PE32 section"),
        ("deleted", _mutated(GOOD, 23, 0x17), "not a valid file"),
        ("a PE image", b"MZ" + bytes(100), "header checksum fails"),
    ]

    def test_refused(self):
        for name, raw, message in self.CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as work:
                with self.assertRaises(errors.FwError) as caught:
                    ffs.load_driver(raw, "x.ffs")
                self.assertIn(message, str(caught.exception))
                path = os.path.join(work, "x.ffs")
                with open(path, "wb") as sink:
                    sink.write(raw)
                status, out, err = support.run("insert", path, path, "-o", os.path.join(work, "out"))
                self.assertEqual((status, out, len(err.splitlines())), (1, "", 1), err)
                self.assertEqual(os.listdir(work), ["x.ffs"])


if __name__ == "__main__":
    unittest.main()
