# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Firmware files: the 24-byte header (32 with FFS_ATTRIB_LARGE_FILE), its
two integrity bytes, the state bits and their erase polarity, and the
driver file the build makes."""
import struct
from dataclasses import dataclass

from . import guids, sections
from .errors import FwError, need

HEADER, HEADER2 = 24, 32
MAX_SMALL = 0xFFFFFF        # largest size a 24-byte header can give

# File types.
RAW, FREEFORM, SECURITY_CORE, PEI_CORE, DXE_CORE, PEIM, DRIVER = 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07
COMBINED_PEIM_DRIVER, APPLICATION, MM, FIRMWARE_VOLUME_IMAGE = 0x08, 0x09, 0x0A, 0x0B
PAD = 0xF0
TYPE_NAMES = {RAW: "RAW", FREEFORM: "FREEFORM", SECURITY_CORE: "SEC_CORE", PEI_CORE: "PEI_CORE",
              DXE_CORE: "DXE_CORE", PEIM: "PEIM", DRIVER: "DRIVER", COMBINED_PEIM_DRIVER: "PEIM_DRIVER",
              APPLICATION: "APPLICATION", MM: "MM", FIRMWARE_VOLUME_IMAGE: "FV_IMAGE", PAD: "PAD"}
# Files run in place from flash: their addresses are fixed once built.
EXECUTE_IN_PLACE = {SECURITY_CORE, PEI_CORE, PEIM, COMBINED_PEIM_DRIVER}

# Attributes.
ATTRIB_LARGE_FILE = 0x01
ATTRIB_DATA_ALIGNMENT_2 = 0x02
ATTRIB_FIXED = 0x04
ATTRIB_DATA_ALIGNMENT = 0x38
ATTRIB_CHECKSUM = 0x40
FIXED_CHECKSUM = 0xAA       # IntegrityCheck.File of a file without ATTRIB_CHECKSUM

# State bits, as set in a volume whose erased bytes read 0 (polarity 0).
HEADER_CONSTRUCTION, HEADER_VALID, DATA_VALID = 0x01, 0x02, 0x04
MARKED_FOR_UPDATE, DELETED, HEADER_INVALID = 0x08, 0x10, 0x20
STATE_VALID = HEADER_CONSTRUCTION | HEADER_VALID | DATA_VALID

# Offsets inside the header.
_HEADER_SUM, _FILE_SUM, _TYPE, _ATTRIBUTES, _SIZE, _STATE = 16, 17, 18, 19, 20, 23


def checksum8(data):
    """The byte that makes `data` plus itself sum to 0 modulo 256."""
    return -sum(data) & 0xFF


def state_byte(state, polarity):
    """A state as stored: polarity-1 volumes store the bits inverted."""
    return state ^ 0xFF if polarity else state


def attributes_of(raw):
    """The attributes byte of a whole file's bytes."""
    return raw[_ATTRIBUTES]


def header_size_of(raw):
    return HEADER2 if raw[_ATTRIBUTES] & ATTRIB_LARGE_FILE else HEADER


def alignment(attributes):
    """Data alignment in bytes given by the attributes."""
    index = (attributes & ATTRIB_DATA_ALIGNMENT) >> 3
    if attributes & ATTRIB_DATA_ALIGNMENT_2:
        return 0x20000 << index
    return (1, 16, 128, 512, 1024, 4096, 32768, 65536)[index]


@dataclass
class File:
    name: bytes
    type: int
    attributes: int
    state: int                  # state bits as set (polarity removed)
    raw: bytes                  # the whole file, header included

    @property
    def header_size(self):
        return HEADER2 if self.attributes & ATTRIB_LARGE_FILE else HEADER

    @property
    def data(self):
        return self.raw[self.header_size:]

    @property
    def alive(self):
        return alive(self.state)

    def describe(self):
        return TYPE_NAMES.get(self.type, f"0x{self.type:02X}")


def alive(state):
    """A file in use: the highest state bit set is DATA_VALID or MARKED_FOR_UPDATE
    (not deleted, header not invalid, not still being written)."""
    return 1 << (state & 0x3F).bit_length() >> 1 in (DATA_VALID, MARKED_FOR_UPDATE)


def header_sum_ok(head):
    """IntegrityCheck.Header: the header sums to 0 with State and IntegrityCheck.File taken as 0."""
    return (sum(head) - head[_STATE] - head[_FILE_SUM]) & 0xFF == 0


def read_header(buf, at, limit):
    """(header size, size) of the file whose header starts at `at`, checked
    to end by `limit`; FwError (without a place) if it does not."""
    if at + HEADER > limit:
        raise FwError(f"file header cut short at 0x{at:X}")
    if buf[at + _ATTRIBUTES] & ATTRIB_LARGE_FILE:
        if at + HEADER2 > limit:
            raise FwError(f"large-file header cut short at 0x{at:X}")
        head_size, size = HEADER2, struct.unpack_from("<Q", buf, at + HEADER)[0]
    else:
        head_size, size = HEADER, buf[at + _SIZE] | buf[at + _SIZE + 1] << 8 | buf[at + _SIZE + 2] << 16
    if size < head_size:
        raise FwError(f"size 0x{size:X} is below its header")
    if at + size > limit:
        raise FwError(f"truncated (0x{size:X} bytes, 0x{limit - at:X} left)")
    return head_size, size


def integrity_problems(raw, head_size, polarity):
    """What fails of a whole file's two integrity bytes (the data's only
    while the file is in use)."""
    found = [] if header_sum_ok(raw[:head_size]) else ["header checksum fails"]
    if alive(state_byte(raw[_STATE], polarity)):
        file_sum = raw[_FILE_SUM]
        if raw[_ATTRIBUTES] & ATTRIB_CHECKSUM:
            if (sum(raw[head_size:]) + file_sum) & 0xFF:
                found.append("data checksum fails")
        elif file_sum != FIXED_CHECKSUM:
            found.append(f"data checksum byte 0x{file_sum:02X}, not 0x{FIXED_CHECKSUM:02X}")
    return found


def parse(buf, at, limit, polarity, where):
    """The file whose header starts at `at`; it must end by `limit` and its
    integrity bytes hold."""
    try:
        head_size, size = read_header(buf, at, limit)
    except FwError as error:
        raise FwError(f"{where}: {error}") from None
    raw = bytes(buf[at:at + size])
    what = f"{where}: file {guids.text(raw[:16])} at 0x{at:X}"
    for problem in integrity_problems(raw, head_size, polarity):
        raise FwError(f"{what}: {problem}")
    return File(raw[:16], raw[_TYPE], raw[_ATTRIBUTES], state_byte(raw[_STATE], polarity), raw)


def build(name, file_type, data, polarity=0, attributes=0, large_ok=True, state=None):
    """A whole file: header with both integrity bytes and `state` as stored
    (default: valid, for the polarity), then `data`. `large_ok`: the file
    goes into an FFS3 volume, which alone may hold the large-file header."""
    size = HEADER + len(data)
    if size > MAX_SMALL:
        need(large_ok, f"a file of 0x{size:X} bytes needs the large-file header, which only an FFS3 volume "
                       f"may hold (limit 0x{MAX_SMALL:X} bytes)")
        attributes |= ATTRIB_LARGE_FILE
        size = HEADER2 + len(data)
    head = bytearray(name + struct.pack("<BBBB", 0, 0, file_type, attributes) + bytes(4))
    if attributes & ATTRIB_LARGE_FILE:
        head += struct.pack("<Q", size)
    else:
        head[_SIZE:_SIZE + 3] = size.to_bytes(3, "little")
    head[_HEADER_SUM] = checksum8(head)
    head[_FILE_SUM] = checksum8(data) if attributes & ATTRIB_CHECKSUM else FIXED_CHECKSUM
    head[_STATE] = state_byte(STATE_VALID, polarity) if state is None else state
    return bytes(head) + data


def rebuilt(file, data, polarity, large_ok=True):
    """`file` with new data: same name, type, attributes (size bits redone)
    and state."""
    return build(file.name, file.type, data, polarity, file.attributes & ~ATTRIB_LARGE_FILE, large_ok,
                 state_byte(file.state, polarity))


def with_polarity(raw, polarity):
    """A valid file's bytes with the state stored for a volume of this polarity."""
    out = bytearray(raw)
    out[_STATE] = state_byte(STATE_VALID, polarity)
    return bytes(out)


def pad(size, polarity):
    """A pad file of exactly `size` bytes, its data erased."""
    need(size >= HEADER, f"pad of 0x{size:X} bytes is below a file header")
    return build(guids.ERASED, PAD, bytes([0xFF if polarity else 0]) * (size - HEADER), polarity)


def driver(name, pe32, depex, ui, version=None, build_number=0):
    """A DXE driver file: DXE_DEPEX (if any), PE32, USER_INTERFACE and VERSION (if any)."""
    parts = [sections.build(sections.DXE_DEPEX, depex)] if depex is not None else []
    parts += [sections.build(sections.PE32, pe32), sections.user_interface(ui)]
    if version is not None:
        parts.append(sections.version(version, build_number))
    return build(name, DRIVER, sections.join(parts))


def load_driver(raw, where):
    """A standalone driver file, checked: one file, type DRIVER, one PE32, well-formed sections."""
    need(len(raw) >= HEADER, f"{where}: not a firmware file ({len(raw)} bytes)")
    need(header_sum_ok(raw[:header_size_of(raw)]), f"{where}: not a firmware file (header checksum fails)")
    polarity = 1 if raw[_STATE] & 0x80 else 0
    found = parse(raw, 0, len(raw), polarity, where)
    need(len(found.raw) == len(raw), f"{where}: 0x{len(raw) - len(found.raw):X} bytes after the file")
    need(found.alive, f"{where}: file state 0x{raw[_STATE]:02X} is not a valid file")
    need(found.type == DRIVER, f"{where}: file type {found.describe()}, not DRIVER")
    kinds = [s.type for s in sections.parse(found.data, where)]
    need(kinds.count(sections.PE32) == 1, f"{where}: a driver file holds one PE32 section, this one {kinds.count(sections.PE32)}")
    need(kinds.count(sections.DXE_DEPEX) <= 1, f"{where}: more than one DXE_DEPEX section")
    return found
