# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Checks a board's driver firmware file by structure, read with the
project's image tool: a DRIVER file with the driver's fixed name GUID, its
sections DXE_DEPEX, PE32, USER_INTERFACE and VERSION in that order, the
DXE_DEPEX section equal to the board's .depex and pushing the board's
protocols (names of platform/guids.h) ANDed together, its PE32 section the
.efi byte for byte, and its USER_INTERFACE name. (The version's value is
checked with the version's other places, tests/release.)

Usage: check_firmware_file.py --ffs F --efi E --depex D --guid G --ui NAME PROTOCOL...
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
sys.dont_write_bytecode = True

from fwimage import depex, errors, ffs, guids, sections  # noqa: E402


SECTION_ORDER = [sections.DXE_DEPEX, sections.PE32, sections.USER_INTERFACE, sections.VERSION]


def expected_words(names):
    """PUSH p1 PUSH p2 AND PUSH p3 AND ... END, as the tool decodes it."""
    known = guids.header_guids()
    words = []
    for index, name in enumerate(names):
        words.append(f"PUSH {guids.text(known[name])}")
        if index:
            words.append("AND")
    return words + ["END"]


def checks(args):
    raw, efi, program = (open(path, "rb").read() for path in (args.ffs, args.efi, args.depex))
    file = ffs.load_driver(raw, args.ffs)
    parsed = sections.parse(file.data, args.ffs)
    found = {s.type: s.body for s in parsed}
    return [
        ("DRIVER file", file.type == ffs.DRIVER),
        ("sections DXE_DEPEX, PE32, USER_INTERFACE, VERSION", [s.type for s in parsed] == SECTION_ORDER),
        ("fixed name GUID", file.name == guids.parse(args.guid)),
        ("standalone state bits", raw[23] == ffs.STATE_VALID),
        ("depex section is the .depex", found.get(sections.DXE_DEPEX) == program),
        ("depex pushes the board's protocols", depex.decode(program) == expected_words(args.protocols)),
        ("PE32 section is the .efi", found.get(sections.PE32) == efi),
        ("UI name", sections.utf16_text(found.get(sections.USER_INTERFACE, b"")) == args.ui),
    ]


def main():
    parser = argparse.ArgumentParser()
    for option in ("--ffs", "--efi", "--depex", "--guid", "--ui"):
        parser.add_argument(option, required=True)
    parser.add_argument("protocols", nargs="+")
    args = parser.parse_args()
    try:
        results = checks(args)
    except (OSError, errors.FwError) as error:
        print(f"{os.path.basename(args.ffs)}: {error}")
        return 1
    for name, ok in results:
        print(f"{os.path.basename(args.ffs)}: {name}: {'ok' if ok else 'FAIL'}")
    print(f"{os.path.basename(args.ffs)}: {os.path.getsize(args.ffs)} bytes, depex {open(args.depex, 'rb').read().hex()}")
    return 0 if all(ok for _, ok in results) else 1


if __name__ == "__main__":
    sys.exit(main())
