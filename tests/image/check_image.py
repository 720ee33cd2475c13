# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Checks the firmware build's driver images as a UEFI loader would take
them: AArch64 PE32+, boot-service driver subsystem, relocatable, no
imports, 4 KiB sections, entry point in .text. Prints each image's size.

Before the real images are believed, the checks are run on copies with
one header field broken each, and every copy must be refused for the
right reason.

Usage: check_image.py --readobj LLVM_READOBJ IMAGE...
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

IMAGE_FILE_MACHINE_ARM64 = 0xAA64
PE32_PLUS_MAGIC = 0x20B
EFI_BOOT_SERVICE_DRIVER = 11
SECTION_ALIGNMENT = 4096


def read_headers(readobj, path):
    """Header fields (name -> text) and sections (name, address, size)."""
    text = subprocess.run([readobj, "--file-headers", "--sections", path],
                          capture_output=True, text=True, check=True).stdout
    fields = {}
    for name, value in re.findall(r"^\s*(\w+): (.+)$", text, re.M):
        fields.setdefault(name, value.strip())
    sections = [(name, int(address, 16), int(size, 16)) for name, size, address in re.findall(
        r"Name: (\S+) .*?\n\s*VirtualSize: (0x[0-9A-F]+)\n\s*VirtualAddress: (0x[0-9A-F]+)", text)]
    return fields, sections


def number(fields, name):
    """The number in a field such as "IMAGE_FILE_MACHINE_ARM64 (0xAA64)" or "4096"."""
    value = fields.get(name, "")
    found = re.search(r"\((0x[0-9A-Fa-f]+)\)$", value) or re.fullmatch(r"(0x[0-9A-Fa-f]+|\d+)", value)
    return int(found.group(1), 0) if found else None


def entry_in_text(fields, sections):
    entry = number(fields, "AddressOfEntryPoint")
    return any(name == ".text" and address <= entry < address + size for name, address, size in sections)


# (check name, test on the headers)
CHECKS = [
    ("machine ARM64", lambda f, s: number(f, "Machine") == IMAGE_FILE_MACHINE_ARM64),
    ("PE32+", lambda f, s: number(f, "Magic") == PE32_PLUS_MAGIC),
    ("boot-service driver", lambda f, s: number(f, "Subsystem") == EFI_BOOT_SERVICE_DRIVER),
    ("base relocations", lambda f, s: (number(f, "BaseRelocationTableSize") or 0) > 0),
    ("no imports", lambda f, s: number(f, "ImportTableSize") == 0 and number(f, "ImportTableRVA") == 0),
    ("section alignment 4 KiB", lambda f, s: number(f, "SectionAlignment") == SECTION_ALIGNMENT),
    ("entry point in .text", entry_in_text),
]


def failed_checks(readobj, path):
    fields, sections = read_headers(readobj, path)
    return [name for name, test in CHECKS if not test(fields, sections)], fields


# Broken copies: (what is broken, header, offset in it, layout, value,
# the check that must fail). The COFF file header follows the "PE\0\0"
# signature; the optional header follows the 20-byte file header.
BREAKAGES = [
    ("x86-64 machine", "file", 0, "<H", 0x8664, "machine ARM64"),
    ("PE32 magic", "optional", 0, "<H", 0x10B, "PE32+"),
    ("application subsystem", "optional", 68, "<H", 10, "boot-service driver"),
    ("no base relocations", "optional", 156, "<I", 0, "base relocations"),
    ("an import table", "optional", 124, "<I", 0x28, "no imports"),
    ("512-byte sections", "optional", 32, "<I", 512, "section alignment 4 KiB"),
    ("entry point past the code", "optional", 16, "<I", None, "entry point in .text"),
]


def broken_copy(source, target, header, offset, layout, value, fields):
    shutil.copyfile(source, target)
    with open(target, "r+b") as image:
        image.seek(0x3C)
        signature = struct.unpack("<I", image.read(4))[0]
        start = signature + 4 if header == "file" else signature + 4 + 20
        if value is None:
            value = number(fields, "BaseOfCode") + number(fields, "SizeOfCode")
        image.seek(start + offset)
        image.write(struct.pack(layout, value))


def self_test(readobj, path, fields):
    """Every broken copy must fail its own check; returns the misses."""
    misses = []
    with tempfile.TemporaryDirectory() as work:
        for what, header, offset, layout, value, check in BREAKAGES:
            copy = os.path.join(work, "broken.efi")
            broken_copy(path, copy, header, offset, layout, value, fields)
            try:
                failed, _ = failed_checks(readobj, copy)
            except subprocess.CalledProcessError:
                failed = []  # unreadable counts as not caught by that check
            if check not in failed:
                misses.append(f"{what}: check '{check}' did not fail (failed: {failed})")
    return misses


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--readobj", required=True)
    parser.add_argument("images", nargs="+")
    args = parser.parse_args()
    ok = True
    for path in args.images:
        name = os.path.basename(path)
        if not os.path.isfile(path):
            print(f"{name}: missing ({path})")
            ok = False
            continue
        failed, fields = failed_checks(args.readobj, path)
        for check, _ in CHECKS:
            print(f"{name}: {check}: {'FAIL' if check in failed else 'ok'}")
        misses = self_test(args.readobj, path, fields)
        for miss in misses:
            print(f"{name}: checker missed {miss}")
        print(f"{name}: {os.path.getsize(path)} bytes, SizeOfImage {number(fields, 'SizeOfImage')} bytes")
        ok = ok and not failed and not misses
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
