# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Checks of the emulator run's own checking: the page model's encoders and
parsers, the expected texts, the screen reading and the read-back checks,
each fed with data that is right and with data that carries a fault."""

import struct
import sys
import unittest
import zlib
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import expected  # noqa: E402
import page_model  # noqa: E402
import page_screen  # noqa: E402
import run_e2e  # noqa: E402

SCENARIO = {
    "name": "t", "platform": True, "memory": {"mib": 8191, "clock_mhz": 1066},
    "firmware": ["a", "b", "c", None, "e", "f", "g", "h"],
    "pd": {"boot": [258, 1, 2], "app": [3, 4, 5], "fault": "none"}, "straps": 6,
}
SOURCE_IDS = {"EDK2_ZUN": "1234567", "EDK2": "89abcdef01", "EDK2_NON_OSI": "2345678", "EDK2_PLATFORMS": "9abcdef0"}


def readback_output(strings, data, crc=None):
    """Read-back application output for `strings` and exported bytes `data`."""
    lines = ["E2E-LISTS total=9 page=1",
             "E2E-EXPORT size=%d length=%d crc32=%08X" % (len(data), len(data), zlib.crc32(data) if crc is None else crc)]
    lines += ["E2E-HEX %04X %s" % (i, data[i:i + 32].hex().upper()) for i in range(0, len(data), 32)]
    lines.append("E2E-LANGUAGES en-US")
    for string_id in range(1, 49):
        if string_id in strings:
            text = strings[string_id].replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
            lines.append("E2E-STRING %d =%s" % (string_id, text))
        else:
            lines.append("E2E-STRING %d !800000000000000E" % string_id)
    lines.append("E2E-READBACK-DONE")
    return "\n".join(lines) + "\n"


def package_list(strings):
    packages = (page_model.form_package() + page_model.string_package(strings)
                + struct.pack("<I", 28 | (page_model.PACKAGE_DEVICE_PATH << 24)) + page_model.device_path()
                + bytes([4, 0, 0, 0xDF]))
    return page_model.PAGE_GUID.bytes_le + struct.pack("<I", 20 + len(packages)) + packages


class PageModelTest(unittest.TestCase):
    def test_string_package_round_trip(self):
        for strings in (page_model.INITIAL_STRINGS, {1: "", 2: "\u00e9\u4e2d", 3: "a\r\nb"}):
            language, parsed = page_model.parse_string_package(page_model.string_package(strings))
            self.assertEqual((language, parsed), ("en-US", strings))

    def test_skip_blocks_advance_ids_and_other_blocks_are_refused(self):
        package = bytearray(page_model.string_package({1: "x"}))
        end = len(package) - 1
        skipped = bytes(package[:end]) + b"\x21\x02\x00" + b"\x22\x03" + b"\x14y\x00\x00\x00" + b"\x00"
        self.assertEqual(page_model.parse_string_package(skipped)[1], {1: "x", 7: "y"})
        with self.assertRaises(ValueError):
            page_model.parse_string_package(bytes(package[:end]) + b"\x15\x00")

    def test_split_package_list(self):
        data = package_list(page_model.INITIAL_STRINGS)
        guid, length, packages = page_model.split_package_list(data)
        self.assertEqual((guid, length), (page_model.PAGE_GUID, len(data)))
        self.assertEqual([kind for kind, _ in packages], [0x02, 0x04, 0x08, 0xDF])


class ExpectedTextTest(unittest.TestCase):
    def test_rows_from_facts(self):
        strings = expected.expected_strings(SCENARIO, expected.FOUR_STRAP_BOARD, SOURCE_IDS)
        cases = {36: "7 GiB", 38: "2132 MT/s", 9: "Vemko Tarsa Q4M", 11: "8 GiB (Hive) | (Raw Value: 6)",
                 17: "Boot: v258.1.2\r\nApp: v3.4.5", 24: "N/A", 26: "b", 30: "h", 32: "g", 34: "f",
                 41: "1234567", 47: "9abcdef0", 13: "", 15: " "}
        for string_id, text in cases.items():
            self.assertEqual(strings[string_id], text, "string %d" % string_id)

    def test_without_platform_only_sources_change(self):
        strings = expected.expected_strings({"name": "n", "platform": False}, "x", SOURCE_IDS)
        changed = {i for i in strings if strings[i] != page_model.INITIAL_STRINGS[i]}
        self.assertEqual(changed, set(expected.SOURCE_ROWS.values()))

    def test_memory_chip_by_board(self):
        cases = [(expected.FOUR_STRAP_BOARD, 15, "Development Sample | (Raw Value: 15)"),
                 (expected.FOUR_STRAP_BOARD, 4, "Undefined | (Raw Value: 4)"),
                 (expected.TWO_STRAP_BOARD, 3, "Development Sample | (Raw Value: 3)"),
                 (expected.TWO_STRAP_BOARD, 2, "Undefined | (Raw Value: 2)"),
                 ("Vemko Tarsa Q4m", 6, "Internal Error")]
        for board, straps, text in cases:
            self.assertEqual(expected.memory_chip_text(board, straps), text)

    def test_faulty_pd_is_undefined(self):
        self.assertEqual(expected.pd_text({"boot": [1, 2, 3], "app": [4, 5, 6], "fault": "status"}), "Undefined")


class ScreenTest(unittest.TestCase):
    def test_merge_views_joins_on_overlap(self):
        page = ["a", "", "b", "c", "", "d", "e"]
        views = [page[0:4], page[1:5], page[3:7], page[3:7]]
        self.assertEqual(page_screen.merge_views(views), page)

    def test_entries_and_wrapped_values(self):
        lines = ["   Hardware Information",
                 "   Memory Chip                8 GiB (Hive) | (Raw",
                 "                              Value: 6)",
                 "   PD Version                 Boot: v1.2.3",
                 "                              App: v4.5.6"]
        entries = page_screen.page_entries(lines)
        self.assertEqual([label for label, _ in entries], ["Hardware Information", "Memory Chip", "PD Version"])
        self.assertTrue(page_screen.shows_text(entries[1][1], ["8 GiB (Hive) | (Raw Value: 6)"]))
        self.assertTrue(page_screen.shows_text(entries[2][1], ["Boot: v1.2.3", "App: v4.5.6"]))
        for wrong in (["8 GiB (Hive) | (Raw Value: 7)"], ["Boot: v1.2.3"], []):
            self.assertFalse(page_screen.shows_text(entries[1][1], wrong))
        self.assertTrue(page_screen.shows_text([], []))

    def test_highlight_and_rows_from_terminal_output(self):
        import pyte
        screen = pyte.Screen(80, 25)
        stream = pyte.ByteStream(screen)
        stream.feed(b"\x1b[47m\x1b[2J\x1b[34m\x1b[8;2H> Device Manager\x1b[9;2H> Boot Manager"
                    b"\x1b[40m\x1b[37m\x1b[9;4HBoot Manager")
        self.assertEqual(page_screen.find_row(screen, "Device Manager"), 7)
        self.assertEqual(page_screen.highlighted_row(screen), 8)


class ReadbackCheckTest(unittest.TestCase):
    def setUp(self):
        self.strings = expected.expected_strings(SCENARIO, expected.FOUR_STRAP_BOARD, SOURCE_IDS)
        self.data = package_list(self.strings)

    def failures(self, output, strings=None):
        report = run_e2e.Report("t")
        text = output
        run_e2e.check_export(report, text, strings or self.strings)
        run_e2e.check_strings(report, text, strings or self.strings)
        return report.failures

    def test_faithful_output_passes(self):
        self.assertEqual(self.failures(readback_output(self.strings, self.data)), [])

    def test_faults_are_caught(self):
        wrong_string = {**self.strings, 36: "8 GiB"}
        corrupted = bytearray(self.data)
        corrupted[40] ^= 1
        other_path = self.data.replace(page_model.device_path()[4:20], bytes(16))
        cases = {
            "wrong value": readback_output(wrong_string, self.data),
            "wrong crc": readback_output(self.strings, self.data, crc=zlib.crc32(self.data) ^ 1),
            "package bytes": readback_output(self.strings, bytes(corrupted)),
            "device path": readback_output(self.strings, other_path),
            "two lists": readback_output(self.strings, self.data).replace("page=1", "page=2"),
            "truncated": readback_output(self.strings, self.data).replace("E2E-READBACK-DONE", ""),
        }
        for name, output in cases.items():
            self.assertNotEqual(self.failures(output), [], name)


class PlatformFirstTest(unittest.TestCase):
    """The flash cases' proof that the test platform driver ran before the
    System Information driver and before the boot options."""

    BOOT = "BdsDxe: loading Boot0002\n"

    def failures(self, text, start=0):
        import flash_boots
        report = run_e2e.Report("t")
        flash_boots.check_platform_first(report, text, {"name": "all"}, start)
        return report.failures

    def test_cases(self):
        ready = "E2E-PLATFORM-READY all ibrd=0x27\n"
        cases = [
            ("in order", "UEFI firmware (x)\n" + ready + self.BOOT, 0, False),
            ("driver ran first", ready.replace("0x27", "0x36") + self.BOOT, 0, True),
            ("after the boot options", self.BOOT + ready, 0, True),
            ("never", self.BOOT, 0, True),
            ("twice", ready + ready + self.BOOT, 0, True),
            ("only before the reset", ready + self.BOOT + "reset\n" + self.BOOT, 40, True),
            ("other scenario", ready.replace("all", "none") + self.BOOT, 0, True),
        ]
        for name, text, start, fails in cases:
            self.assertEqual(bool(self.failures(text, start)), fails, name)


class RefusedCheckTest(unittest.TestCase):
    """The Secure Boot cases' proof that the firmware refused the driver
    file: no page, the boot went on, and the firmware's own record."""

    READBACK = "E2E-LISTS total=15 page=0\nE2E-READBACK-DONE\nE2E-IMAGE-EXECUTION images=1\n"
    ENTRY = "E2E-IMAGE action=00000000 name=VenHw(X)/HD(1,MBR)/\\\\sysinfo.efi\n"

    def failures(self, text):
        import secureboot_boots
        report = run_e2e.Report("t")
        secureboot_boots.check_refused(report, text)
        return report.failures

    def test_cases(self):
        cases = [
            ("refused", self.READBACK + self.ENTRY, False),
            ("page registered", self.READBACK.replace("page=0", "page=1") + self.ENTRY, True),
            ("boot stopped before the read-back", self.ENTRY, True),
            ("no record", self.READBACK, True),
            ("another file refused", self.READBACK + self.ENTRY.replace("sysinfo", "e2e-platform"), True),
            ("started after all", self.READBACK + self.ENTRY.replace("=00000000", "=00000008"), True),
            ("recorded twice", self.READBACK + self.ENTRY + self.ENTRY, True),
        ]
        for name, text, fails in cases:
            self.assertEqual(bool(self.failures(text)), fails, name)


class PngTest(unittest.TestCase):
    def test_ppm_to_png_keeps_pixels(self):
        import tempfile
        from qemu_session import ppm_to_png
        pixels = bytes(range(256))[:2 * 3 * 3] + bytes(3 * 3 * 3 - 18)
        with tempfile.TemporaryDirectory() as tmp:
            ppm, png = Path(tmp) / "a.ppm", Path(tmp) / "a.png"
            ppm.write_bytes(b"P6\n3 3\n255\n" + pixels)
            self.assertEqual(ppm_to_png(ppm, png), (3, 3))
            data = png.read_bytes()
        idat = data.index(b"IDAT")
        (length,) = struct.unpack(">I", data[idat - 4:idat])
        raw = zlib.decompress(data[idat + 4:idat + 4 + length])
        self.assertEqual(b"".join(raw[r * 10 + 1:(r + 1) * 10] for r in range(3)), pixels)


if __name__ == "__main__":
    unittest.main()
