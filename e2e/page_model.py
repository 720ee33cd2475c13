# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The System Information page as the firmware must hold it: its strings,
its rows as a person sees them, and the bytes of its form and string
packages, written out independently of the driver's own tables."""

import struct
import uuid

PAGE_GUID = uuid.UUID("DBB34835-1A17-4F04-B00F-57DBA4D13C98")
PLATFORM_SETUP_CLASS_GUID = uuid.UUID("93039971-8545-4B04-B45E-32EB8326040E")
FORM_ID = 0x2000
LANGUAGE = "en-US"

PACKAGE_FORMS = 0x02
PACKAGE_STRINGS = 0x04
PACKAGE_DEVICE_PATH = 0x08
PACKAGE_END = 0xDF

# Initial texts by string id (1..47): labels, titles and value slots.
INITIAL_STRINGS = {
    1: "English", 2: "System Information",
    3: "Press <Enter> to view current system information.",
    4: "System Information", 5: "", 6: "Press ESC to exit.", 7: "Hardware Information",
    8: "PCB SKU", 9: " ", 10: "Memory Chip", 11: " ", 12: "Reserved Field", 13: "",
    14: "PMIC Version", 15: " ", 16: "PD Version", 17: " ", 18: "Firmware Information",
    19: "SE Version", 20: " ", 21: "PBL Version", 22: " ", 23: "ATF Version", 24: " ",
    25: "PM Version", 26: " ", 27: "TEE Version", 28: " ", 29: "UEFI Version", 30: " ",
    31: "STMM Version", 32: " ", 33: "EC Version", 34: " ", 35: "Total Memory", 36: " ",
    37: "Memory Frequency", 38: " ", 39: "Source Code Information", 40: "edk2-zun", 41: " ",
    42: "edk2", 43: " ", 44: "edk2-non-osi", 45: " ", 46: "edk2-platforms", 47: " ",
}
LAST_STRING_ID = 47

# What the form shows, top to bottom: ("subtitle", prompt id) or
# ("text", prompt id, value id, hidden).
LAYOUT = [
    ("subtitle", 5), ("subtitle", 7),
    ("text", 35, 36, False), ("text", 37, 38, False), ("text", 8, 9, False),
    ("text", 12, 13, True), ("text", 10, 11, False), ("text", 14, 15, True),
    ("text", 16, 17, False),
    ("subtitle", 5), ("subtitle", 18),
    ("text", 19, 20, False), ("text", 21, 22, False), ("text", 23, 24, False),
    ("text", 25, 26, False), ("text", 27, 28, False), ("text", 29, 30, False),
    ("text", 31, 32, False), ("text", 33, 34, True),
    ("subtitle", 5), ("subtitle", 39),
    ("text", 40, 41, False), ("text", 42, 43, False), ("text", 44, 45, False),
    ("text", 46, 47, False),
    ("subtitle", 5), ("subtitle", 5), ("subtitle", 6),
]


def visible_rows():
    """(label id, value id) of every row the browser shows."""
    return [(item[1], item[2]) for item in LAYOUT if item[0] == "text" and not item[3]]


def hidden_rows():
    return [(item[1], item[2]) for item in LAYOUT if item[0] == "text" and item[3]]


# IFR encoding ---------------------------------------------------------------

def _op(opcode, payload=b"", scope=False):
    return bytes([opcode, (2 + len(payload)) | (0x80 if scope else 0)]) + payload


_END = _op(0x29)


def _subtitle(prompt):
    return _op(0x02, struct.pack("<HHB", prompt, 0, 0), scope=True) + _END


def _text(prompt, value):
    return _op(0x03, struct.pack("<HHH", prompt, 5, value))


def _always_suppressed(inner):
    # suppress-if (0 == 0): UINT64 0 opens a scope holding UINT64 0, EQUAL.
    condition = (_op(0x45, struct.pack("<Q", 0), scope=True) + _op(0x45, struct.pack("<Q", 0))
                 + _op(0x2F) + _END)
    return _op(0x0A, scope=True) + condition + inner + _END


def form_package():
    body = _op(0x0E, PAGE_GUID.bytes_le + struct.pack("<HHB", 2, 3, 1)
               + PLATFORM_SETUP_CLASS_GUID.bytes_le, scope=True)
    body += _op(0x5C, struct.pack("<HH", 0, 0)) + _op(0x5C, struct.pack("<HH", 0, 1))
    body += _op(0x01, struct.pack("<HH", FORM_ID, 4), scope=True)
    for item in LAYOUT:
        if item[0] == "subtitle":
            body += _subtitle(item[1])
        elif item[3]:
            body += _always_suppressed(_text(item[1], item[2]))
        else:
            body += _text(item[1], item[2])
    body += _END + _END
    return package_header(PACKAGE_FORMS, 4 + len(body)) + body


def device_path():
    """The driver handle's device path: a vendor hardware node carrying the
    page GUID, then the end-of-path node."""
    return bytes([0x01, 0x04, 20, 0]) + PAGE_GUID.bytes_le + bytes([0x7F, 0xFF, 4, 0])


# String package ---------------------------------------------------------------

def package_header(package_type, length):
    return struct.pack("<I", length | (package_type << 24))


def string_package(strings):
    """String package of `strings` (id -> text, ids 1..n) as UCS-2 blocks."""
    header_size = 46 + len(LANGUAGE) + 1
    blocks = b"".join(b"\x14" + strings[i].encode("utf-16-le") + b"\x00\x00"
                      for i in range(1, max(strings) + 1)) + b"\x00"
    header = struct.pack("<II", header_size, header_size) + bytes(32) + struct.pack("<H", 1)
    header += LANGUAGE.encode("ascii") + b"\x00"
    return package_header(PACKAGE_STRINGS, 4 + len(header) + len(blocks)) + header + blocks


def parse_string_package(package):
    """Language and id -> text of a string package; raises ValueError on a
    block type this page has no business holding."""
    header_size, info_offset = struct.unpack_from("<II", package, 4)
    language_end = package.index(b"\x00", 46)
    language = package[46:language_end].decode("ascii")
    strings, next_id, offset = {}, 1, info_offset
    while True:
        block = package[offset]
        if block == 0x00:
            return language, strings
        if block == 0x14:
            end = offset + 1
            while package[end:end + 2] != b"\x00\x00":
                end += 2
            strings[next_id] = package[offset + 1:end].decode("utf-16-le")
            next_id, offset = next_id + 1, end + 2
        elif block == 0x21:
            next_id += struct.unpack_from("<H", package, offset + 1)[0]
            offset += 3
        elif block == 0x22:
            next_id += package[offset + 1]
            offset += 2
        else:
            raise ValueError("string block type 0x%02X at offset %d" % (block, offset))


def split_package_list(data):
    """GUID, length field and (type, bytes) of each package of a list."""
    guid = uuid.UUID(bytes_le=bytes(data[:16]))
    (length,) = struct.unpack_from("<I", data, 16)
    packages, offset = [], 20
    while offset + 4 <= len(data):
        (word,) = struct.unpack_from("<I", data, offset)
        size, kind = word & 0xFFFFFF, word >> 24
        if size < 4:
            raise ValueError("package of length %d at offset %d" % (size, offset))
        packages.append((kind, bytes(data[offset:offset + size])))
        offset += size
        if kind == PACKAGE_END:
            break
    return guid, length, packages
