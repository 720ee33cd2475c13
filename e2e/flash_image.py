# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Firmware images for the flash cases, made with the project's image tool
(tools/fwimage.py): the test platform driver as a firmware file, and copies
of the stock AAVMF code image with firmware files inserted into its DXE
volume."""

import re
import subprocess
import sys
import uuid
from pathlib import Path

from qemu_session import AAVMF_CODE

FWIMAGE = Path(__file__).resolve().parent.parent / "tools" / "fwimage.py"

# Name of the test platform driver's firmware file (the driver's own file
# name is read from its .ffs).
PLATFORM_FILE_GUID = uuid.UUID("D743C962-01A5-4D38-AF6E-9CE2B39173EE")
PLATFORM_UI_NAME = "E2ePlatform"

GUID_TEXT = r"[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"
FILE_LINE = re.compile(r"^\s*file (%s)\b" % GUID_TEXT, re.M)


class ImageError(Exception):
    """The image tool refused or failed."""


def fwimage(*args):
    """Runs one sub-command of the image tool; returns its standard output."""
    command = [sys.executable, str(FWIMAGE), *map(str, args)]
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        raise ImageError("fwimage %s: exit %d: %s" % (args[0], done.returncode, done.stderr.strip()))
    return done.stdout


def file_guid(ffs):
    """The name GUID of a firmware file: the first field of its header."""
    return uuid.UUID(bytes_le=Path(ffs).read_bytes()[:16])


def platform_file(work, platform_efi):
    """The test platform driver as a firmware file with a TRUE dependency
    expression, so the dispatcher may run it as soon as it is reached."""
    depex = Path(work) / "e2e-platform.depex"
    ffs = Path(work) / "e2e-platform.ffs"
    fwimage("depex", "-o", depex)
    fwimage("ffs", "--guid", PLATFORM_FILE_GUID, "--pe32", platform_efi, "--depex", depex,
            "--ui", PLATFORM_UI_NAME, "-o", ffs)
    return ffs


def flash_image(work, files):
    """A copy of the stock code image with `files` appended, in this order,
    to its DXE volume; returns (image path, the tool's report line)."""
    out = Path(work) / "flash.fd"
    printed = fwimage("insert", AAVMF_CODE, "-o", out, *files)
    return out, " ".join(printed.split())


def listed_files(image):
    """Names of the files in the tool's listing of `image`, in the order
    listed (each volume's files in volume order)."""
    return [uuid.UUID(text) for text in FILE_LINE.findall(fwimage("list", image))]


def main():
    """For scripts/e2e-shell.sh --flash: the flash case's image, by hand."""
    import argparse
    parser = argparse.ArgumentParser(description="stock AAVMF code image with the driver's firmware file inserted")
    parser.add_argument("work", help="directory for the image (flash.fd) and the platform driver's file")
    parser.add_argument("driver_ffs", help="the driver's firmware file")
    parser.add_argument("--platform", help="test platform driver image, inserted first")
    args = parser.parse_args()
    try:
        files = [platform_file(args.work, args.platform)] if args.platform else []
        image, report = flash_image(args.work, files + [args.driver_ffs])
    except ImageError as error:
        sys.exit(str(error))
    print(report)
    print(image)


if __name__ == "__main__":
    main()
