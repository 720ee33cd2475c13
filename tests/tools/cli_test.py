# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The built page simulators run from outside: JSON output, exported
package lists, exit codes, bad command lines and the --board hand-over
between the per-board executables.

Usage: cli_test.py BIN_DIR ID=BOARD_NAME... (the directory holding
sysinfo-sim and its siblings; every board's id and name).
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import uuid

BIN_DIR = None
BOARDS = []  # (id, name) of every board
PAGE_GUID = uuid.UUID("DBB34835-1A17-4F04-B00F-57DBA4D13C98")


def run(*args, program="sysinfo-sim", bin_dir=None):
    return subprocess.run([os.path.join(bin_dir or BIN_DIR, program), *args],
                          capture_output=True, text=True, timeout=120)


def rows(report):
    """Label -> value lines of the page's text rows."""
    return {row["label"]: row["value"] for row in report["page"]["rows"] if row["kind"] == "text"}


class JsonOutput(unittest.TestCase):
    CASES = [
        # (arguments, label, value lines)
        ([], "Total Memory", ["16 GiB"]),
        (["--memory-mib", "12288"], "Total Memory", ["12 GiB"]),
        (["--memory-clock", "2133"], "Memory Frequency", ["4266 MT/s"]),
        (["--pd-boot", "1.2.3", "--pd-app", "4.5.6"], "PD Version", ["Boot: v1.2.3", "App: v4.5.6"]),
        (["--firmware", 'TEE="quoted" \\ back'], "TEE Version", ['"quoted" \\ back']),
        (["--firmware", "UEFI=caf\u00e9"], "UEFI Version", ["caf\u00e9"]),
        (["--strap-value", "9"], "Memory Chip", ["12 GiB (Hive) | (Raw Value: 9)"]),
        (["--fault", "pd-not-ready"], "PD Version", ["Undefined"]),
        (["--no-memory-info"], "Total Memory", [" "]),
    ]

    def test_rows_carry_the_facts(self):
        for args, label, value in self.CASES:
            with self.subTest(args=args):
                result = run("--json", *args)
                self.assertEqual(result.returncode, 0, result.stderr)
                report = json.loads(result.stdout)
                self.assertEqual(report["status"], "EFI_SUCCESS")
                self.assertEqual(report["problems"], [])
                self.assertEqual(rows(report)[label], value)

    def test_page_layout(self):
        report = json.loads(run("--json").stdout)
        page = report["page"]
        self.assertEqual(page["title"], "System Information")
        self.assertEqual(page["form_id"], 0x2000)
        subtitles = [row["label"] for row in page["rows"] if row["kind"] == "subtitle"]
        self.assertEqual(subtitles, ["Hardware Information", "Firmware Information",
                                     "Source Code Information", "Press ESC to exit."])
        self.assertEqual(list(rows(report)), [
            "Total Memory", "Memory Frequency", "PCB SKU", "Memory Chip", "PD Version",
            "SE Version", "PBL Version", "ATF Version", "PM Version", "TEE Version",
            "UEFI Version", "STMM Version", "edk2-zun", "edk2", "edk2-non-osi", "edk2-platforms"])

    def test_failed_entry_has_no_page(self):
        result = run("--json", "--fault", "register-fails")
        report = json.loads(result.stdout)
        self.assertEqual(result.returncode, 19)
        self.assertEqual((report["status"], report["status_value"], report["exit_code"]),
                         ("EFI_OUT_OF_RESOURCES", "0x8000000000000009", 19))
        self.assertIsNone(report["page"])

    def test_notes_and_problems_are_listed(self):
        report = json.loads(run("--json", "--fail", "HII.SetString:99").stdout)
        self.assertEqual(len(report["notes"]), 1)
        self.assertIn("HII.SetString:99", report["notes"][0])
        result = run("--json", "--fail", "I2C.StartRequest:1:EFI_SUCCESS")
        self.assertEqual(result.returncode, 3)
        self.assertTrue(json.loads(result.stdout)["problems"])


class ExportPackages(unittest.TestCase):
    def test_list_starts_with_the_page_guid_and_holds_current_strings(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "page.bin")
            result = run("--export-packages", path, "--memory-mib", "6144", "--language-after", "fr-FR")
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(path, "rb") as file:
                data = file.read()
        self.assertEqual(data[:16], PAGE_GUID.bytes_le)
        self.assertEqual(struct.unpack_from("<I", data, 16)[0], len(data))
        self.assertEqual(data[-4:], bytes([0x04, 0x00, 0x00, 0xDF]))
        packages, offset = [], 20
        while offset < len(data):
            header = struct.unpack_from("<I", data, offset)[0]
            length, kind = header & 0xFFFFFF, header >> 24
            self.assertGreaterEqual(length, 4)
            packages.append((kind, data[offset:offset + length]))
            offset += length
        self.assertEqual(offset, len(data))
        kinds = [kind for kind, _ in packages]
        self.assertEqual(kinds.count(0x04), 2)  # en-US and fr-FR strings
        self.assertIn(0x02, kinds)  # the form
        self.assertEqual(kinds[-1], 0xDF)
        strings = [body for kind, body in packages if kind == 0x04]
        for body in strings:
            self.assertIn("6 GiB".encode("utf-16-le"), body)


class ExitCodes(unittest.TestCase):
    CASES = [
        ([], 0, "DriverEntry returned EFI_SUCCESS"),
        (["--no-hii"], 24, "DriverEntry returned EFI_NOT_FOUND (0x800000000000000E)"),
        (["--fault", "register-no-pool"], 19, "DriverEntry returned EFI_OUT_OF_RESOURCES"),
        (["--fault", "install-fails"], 30, "DriverEntry returned EFI_ALREADY_STARTED"),
        (["--fail", "BS.InstallMultipleProtocolInterfaces:1:0x8000000000000040"], 9,
         "DriverEntry returned 0x8000000000000040"),
    ]

    def test_status_decides_the_exit_code(self):
        for args, code, line in self.CASES:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(line, result.stdout)

    def test_bad_command_lines_exit_two_with_a_message(self):
        for args in (["--frobnicate"], ["--memory-mib"], ["--pd-nack", "9"], ["--board", "pi"],
                     ["--fail", "XYZ.Call"], ["stray"]):
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, "")
                self.assertRegex(result.stderr, r"^sysinfo-sim: .+\nTry 'sysinfo-sim --help'\.\n$")


class BoardHandOver(unittest.TestCase):
    CASES = [
        # (executable, arguments, board name, memory-chip value)
        ("sysinfo-sim", ["--board", "q4l", "--strap-value", "3"], "Vemko Tarsa Q4L",
         ["Development Sample | (Raw Value: 3)"]),
        ("sysinfo-sim", ["--strap-value", "2", "--board=q4l"], "Vemko Tarsa Q4L", ["Undefined | (Raw Value: 2)"]),
        ("sysinfo-sim", ["--board", "qemu-virt"], "Vemko Tarsa Q4M", ["16 GiB (Hynix) | (Raw Value: 10)"]),
        ("sysinfo-sim", ["--board", "unknown"], "Vemko Tarsa Q4m", ["Internal Error"]),
        ("sysinfo-sim-q4l", ["--board", "q4m", "--strap-value", "6"], "Vemko Tarsa Q4M",
         ["8 GiB (Hive) | (Raw Value: 6)"]),
        ("sysinfo-sim-q4l", ["--board", "q4l"], "Vemko Tarsa Q4L", ["Undefined | (Raw Value: 2)"]),
    ]

    def test_each_board_runs_its_own_executable(self):
        for program, args, board, chip in self.CASES:
            with self.subTest(program=program, args=args):
                result = run("--json", *args, program=program)
                self.assertEqual(result.returncode, 0, result.stderr)
                report = json.loads(result.stdout)
                self.assertEqual(report["board"], board)
                self.assertEqual(rows(report)["PCB SKU"], [board])
                self.assertEqual(rows(report)["Memory Chip"], chip)

    def test_every_board_runs_from_its_own_executable(self):
        self.assertTrue(BOARDS)
        for key, name in BOARDS:
            with self.subTest(board=key):
                result = run("--json", "--board", key)
                self.assertEqual(result.returncode, 0, result.stderr)
                report = json.loads(result.stdout)
                self.assertEqual((report["board"], report["status"], report["problems"]), (name, "EFI_SUCCESS", []))
                self.assertEqual(rows(report)["PCB SKU"], [name])

    def test_status_and_exit_code_come_back_through_the_hand_over(self):
        result = run("--board", "q4l", "--no-hii")
        self.assertEqual(result.returncode, 24)
        self.assertIn("EFI_NOT_FOUND", result.stdout)

    def test_missing_sibling_is_reported(self):
        with tempfile.TemporaryDirectory() as work:
            shutil.copy(os.path.join(BIN_DIR, "sysinfo-sim"), work)
            result = run("--board", "q4l", bin_dir=work)
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot run", result.stderr)
        self.assertIn("sysinfo-sim-q4l", result.stderr)


if __name__ == "__main__":
    BIN_DIR = sys.argv.pop(1)
    while len(sys.argv) > 1 and "=" in sys.argv[1]:
        BOARDS.append(tuple(sys.argv.pop(1).split("=", 1)))
    unittest.main()
