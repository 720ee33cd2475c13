# SPDX-License-Identifier: BSD-2-Clause-Patent
"""GUIDs: text form <-> the on-disk (mixed-endian) 16 bytes, the GUIDs the
tool recognises, and protocol names read from the driver's platform/guids.h
so that each GUID is written in one place."""
import os
import re
import uuid

from .errors import FwError


def parse(text):
    """16 on-disk bytes of a GUID written as 8-4-4-4-12 hex."""
    try:
        return uuid.UUID(text.strip()).bytes_le
    except ValueError:
        raise FwError(f"not a GUID: {text!r}") from None


def text(raw):
    return str(uuid.UUID(bytes_le=bytes(raw))).upper()


FFS2 = parse("8C8CE578-8A3D-4F1C-9935-896185C32DD3")
FFS3 = parse("5473C07A-3DCB-4DCA-BD6F-1E9689E7349A")
# The Volume Top File: last in its volume, ending at the volume's end.
VOLUME_TOP_FILE = parse("1BA0062E-C779-4582-8566-336AE8F78F09")
ERASED = b"\xff" * 16

GUIDS_HEADER = os.path.join(os.path.dirname(__file__), "..", "..", "platform", "guids.h")

# inline constexpr EFI_GUID NAME = {0x..., 0x..., 0x..., {0x.., ... 8 bytes}};
_DEFINITION = re.compile(
    r"EFI_GUID\s+(\w+)\s*=\s*\{\s*(0x[0-9A-Fa-f]+)\s*,\s*(0x[0-9A-Fa-f]+)\s*,\s*(0x[0-9A-Fa-f]+)\s*,"
    r"\s*\{([^}]*)\}\s*\}")


def header_guids(path=GUIDS_HEADER):
    """Name -> on-disk bytes of every EFI_GUID constant in the header."""
    try:
        with open(path, encoding="utf-8") as source:
            text = source.read()
    except OSError as error:
        raise FwError(f"cannot read protocol names from {os.path.normpath(path)}: {error.strerror}") from None
    found = {}
    for name, d1, d2, d3, rest in _DEFINITION.findall(text):
        tail = [int(b, 16) for b in rest.split(",")]
        fields = (int(d1, 16), int(d2, 16), int(d3, 16), tail[0], tail[1], int.from_bytes(bytes(tail[2:]), "big"))
        found[name] = uuid.UUID(fields=fields).bytes_le
    return found


def protocol(name_or_guid, path=GUIDS_HEADER):
    """A protocol named by a guids.h constant or written as a GUID literal."""
    if re.fullmatch(r"[0-9A-Fa-f-]{36}", name_or_guid):
        return parse(name_or_guid)
    known = header_guids(path)
    if name_or_guid not in known:
        raise FwError(f"unknown protocol name {name_or_guid} (not in platform/guids.h)")
    return known[name_or_guid]
