# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The project's version read back from every place the build writes it,
in one table: each page simulator's --version; and per driver image the PE
header's image version fields (major.minor: the header has no field for
the patch number), the VERSION section of its firmware file (read here
from the bytes) and the same section as `fwimage.py list` shows it, the
file put into a volume. What each must read comes from CMake's
PROJECT_VERSION and build number.

Usage: version_places.py --version X.Y.Z --build-number N --simulators SIM... [--images IMAGE.efi...]
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "fwimage"))
sys.dont_write_bytecode = True

import support  # noqa: E402  (the image tests' hand-made volumes)

VERSION_SECTION = 0x14
FILE_HEADER = 24


def simulator_version(path):
    done = subprocess.run([path, "--version"], capture_output=True, text=True, timeout=60)
    return done.stdout.strip() if done.returncode == 0 else f"exit {done.returncode}: {done.stderr.strip()}"


def pe_image_version(path):
    """MajorImageVersion.MinorImageVersion: 44 bytes into the optional header,
    which follows the "PE\\0\\0" signature and the 20-byte file header."""
    with open(path, "rb") as image:
        data = image.read()
    optional = struct.unpack_from("<I", data, 0x3C)[0] + 4 + 20
    return "%d.%d" % struct.unpack_from("<HH", data, optional + 44)


def version_text(body):
    return f'"{body[2:].decode("utf-16-le").split(chr(0))[0]}" build {int.from_bytes(body[:2], "little")}'


def version_section(path):
    """The VERSION sections of a standalone firmware file (small sections:
    3-byte size, type, each 4-byte aligned after the 24-byte file header)."""
    with open(path, "rb") as source:
        data = source.read()
    found, at = [], FILE_HEADER
    while at + 4 <= len(data):
        size, kind = int.from_bytes(data[at:at + 3], "little"), data[at + 3]
        if size < 4:
            return f"section at 0x{at:X} of size {size}"
        if kind == VERSION_SECTION:
            found.append(version_text(data[at + 4:at + size]))
        at = (at + size + 3) // 4 * 4
    return " | ".join(found)


def listed_version(path):
    """The VERSION lines of `fwimage.py list` on a volume holding the file."""
    with open(path, "rb") as source:
        file = bytearray(source.read())
    file[23] ^= 0xFF    # state bits as a volume of erase polarity 1 stores them
    with tempfile.TemporaryDirectory() as work:
        image = os.path.join(work, "volume.fd")
        with open(image, "wb") as sink:
            sink.write(support.volume([bytes(file)]))
        status, out, err = support.run("list", image)
    if status:
        return f"exit {status}: {err.strip()}"
    return " | ".join(re.findall(r"section VERSION at \S+ size \S+ (.*)", out))


def places(args):
    """(place, reader, the file it reads, what it must read)."""
    major_minor = ".".join(args.version.split(".")[:2])
    section = f'"{args.version}" build {args.build_number}'
    rows = [("--version", simulator_version, sim, f"{os.path.basename(sim)} {args.version}")
            for sim in args.simulators]
    for efi in args.images:
        ffs = efi[:-len(".efi")] + ".ffs"
        rows += [("PE image version", pe_image_version, efi, major_minor),
                 ("VERSION section", version_section, ffs, section),
                 ("fwimage.py list", listed_version, ffs, section)]
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--build-number", required=True)
    parser.add_argument("--simulators", nargs="+", required=True)
    parser.add_argument("--images", nargs="*", default=[])
    args = parser.parse_args()
    failed = 0
    for place, reader, path, expected in places(args):
        try:
            found = reader(path)
        except OSError as error:
            found = str(error)
        ok = found == expected
        failed += not ok
        print(f"{os.path.basename(path)}: {place}: {found}" + ("" if ok else f": FAIL, expected {expected}"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
