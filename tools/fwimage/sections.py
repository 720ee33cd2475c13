# SPDX-License-Identifier: BSD-2-Clause-Patent
"""File sections: the common header (4 bytes, or 8 with the 0xFFFFFF size
escape for large sections), the leaf sections the tool builds, and the
GUID-defined encapsulation header."""
import struct
from dataclasses import dataclass

from . import guids
from .errors import FwError, need

COMPRESSION, GUID_DEFINED, DISPOSABLE = 0x01, 0x02, 0x03
PE32, PIC, TE, DXE_DEPEX, VERSION, USER_INTERFACE = 0x10, 0x11, 0x12, 0x13, 0x14, 0x15
COMPATIBILITY16, FIRMWARE_VOLUME_IMAGE, FREEFORM_SUBTYPE_GUID, RAW = 0x16, 0x17, 0x18, 0x19
PEI_DEPEX, MM_DEPEX = 0x1B, 0x1C
NAMES = {COMPRESSION: "COMPRESSION", GUID_DEFINED: "GUID_DEFINED", DISPOSABLE: "DISPOSABLE",
         PE32: "PE32", PIC: "PIC", TE: "TE", DXE_DEPEX: "DXE_DEPEX", VERSION: "VERSION",
         USER_INTERFACE: "USER_INTERFACE", COMPATIBILITY16: "COMPATIBILITY16",
         FIRMWARE_VOLUME_IMAGE: "FIRMWARE_VOLUME_IMAGE", FREEFORM_SUBTYPE_GUID: "FREEFORM_SUBTYPE_GUID",
         RAW: "RAW", PEI_DEPEX: "PEI_DEPEX", MM_DEPEX: "MM_DEPEX"}

LARGE = 0xFFFFFF            # Size value that says: the real size follows, 32 bits
ALIGNMENT = 4               # every section starts 4-byte aligned

PROCESSING_REQUIRED = 0x01  # GUID-defined section attribute: the data must be decoded


def align(value, to):
    return (value + to - 1) // to * to


@dataclass
class Section:
    type: int
    raw: bytes                  # the whole section, header included
    header_size: int            # 4 or 8 (common header only)

    @property
    def body(self):
        return self.raw[self.header_size:]


@dataclass
class GuidDefined:
    guid: bytes
    data_offset: int
    attributes: int
    extra: bytes                # GUID-specific header bytes before DataOffset


def header_size(rest):
    """Header size of a section whose header is followed by `rest` bytes."""
    return 4 if 4 + rest < LARGE else 8


def header(section_type, size, head):
    """Common section header (`head` bytes) of a section of `size` bytes in all."""
    if head == 4:
        return struct.pack("<I", size | section_type << 24)
    need(size <= 0xFFFFFFFF, "section larger than 4 GiB")
    return struct.pack("<II", LARGE | section_type << 24, size)


def build(section_type, body, large_ok=True):
    """A section: its header, then `body`. `large_ok`: its file lies in an
    FFS3 volume, which alone may hold the large section header."""
    head = header_size(len(body))
    need(head == 4 or large_ok, f"a section of 0x{head + len(body):X} bytes needs the large section header, "
                                f"which only an FFS3 volume may hold (limit 0x{LARGE - 1:X} bytes)")
    return header(section_type, head + len(body), head) + body


def ucs2(text):
    return (text + "\0").encode("utf-16-le")


def user_interface(name):
    return build(USER_INTERFACE, ucs2(name))


def version(text, build_number=0):
    return build(VERSION, struct.pack("<H", build_number) + ucs2(text))


def build_guid_defined(info, payload, large_ok=True):
    """A GUID-defined section: the header keeps the given DataOffset's layout."""
    common = header_size(20 + len(info.extra) + len(payload))
    need(common == 4 or large_ok, f"a GUID-defined section of 0x{24 + len(info.extra) + len(payload):X} bytes needs "
                                  f"the large section header, which only an FFS3 volume may hold (limit 0x{LARGE - 1:X} bytes)")
    data_offset = common + 20 + len(info.extra)
    fields = info.guid + struct.pack("<HH", data_offset, info.attributes) + info.extra
    return header(GUID_DEFINED, data_offset + len(payload), common) + fields + payload


def read_header(data, at):
    """(type, header size, size) of the section at `at` of `data`, checked
    to lie inside `data`; FwError (without a place) if it does not."""
    if at + 4 > len(data):
        raise FwError(f"section header cut short at 0x{at:X}")
    size, head = data[at] | data[at + 1] << 8 | data[at + 2] << 16, 4
    if size == LARGE:
        if at + 8 > len(data):
            raise FwError(f"large section header cut short at 0x{at:X}")
        size, head = struct.unpack_from("<I", data, at + 4)[0], 8
    if size < head:
        raise FwError(f"section at 0x{at:X} has size 0x{size:X}, below its header")
    if at + size > len(data):
        raise FwError(f"section at 0x{at:X} (0x{size:X} bytes) runs past its container")
    return data[at + 3], head, size


def headers(data):
    """(offset, type, header size, size) of each section of `data`, each
    4-byte aligned from the start."""
    at = 0
    while True:
        at = (at + ALIGNMENT - 1) & -ALIGNMENT
        if at >= len(data):
            return
        kind, head, size = read_header(data, at)
        yield at, kind, head, size
        at += size


def parse(data, where):
    """The sections of `data`, in order."""
    found = []
    try:
        for at, kind, head, size in headers(data):
            found.append(Section(kind, bytes(data[at:at + size]), head))
    except FwError as error:
        raise FwError(f"{where}: {error}") from None
    return found


def join(built, out=None):
    """Sections laid one after the other (after `out`, if given), each
    4-byte aligned (zero fill)."""
    out = bytearray() if out is None else out
    for raw in built:
        out += b"\0" * (align(len(out), ALIGNMENT) - len(out))
        out += raw
    return out


def guid_header(raw, head):
    """The GUID-defined header of a whole section's bytes (`head`: its common
    header's size)."""
    need(len(raw) >= head + 20, "GUID-defined section header cut short")
    guid = bytes(raw[head:head + 16])
    data_offset, attributes = struct.unpack_from("<HH", raw, head + 16)
    need(head + 20 <= data_offset <= len(raw),
         f"GUID-defined section {guids.text(guid)}: DataOffset 0x{data_offset:X} outside the section")
    return GuidDefined(guid, data_offset, attributes, bytes(raw[head + 20:data_offset]))


def guid_defined(section):
    """The GUID-defined header of a section and its payload."""
    info = guid_header(section.raw, section.header_size)
    return info, section.raw[info.data_offset:]


def utf16_text(body):
    """The NUL-terminated UCS-2 string of a USER_INTERFACE or VERSION body."""
    text = bytes(body[:len(body) // 2 * 2]).decode("utf-16-le", errors="replace")
    return text.split("\0", 1)[0]


def describe(section):
    return NAMES.get(section.type, f"0x{section.type:02X}")
