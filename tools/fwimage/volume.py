# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Firmware volume headers: the fixed part, the block map, the 16-bit
checksum, the extended header (its name), the attributes the tool uses
(erase polarity, alignment), and the header for a new length."""
import struct
from dataclasses import dataclass

from . import guids
from .errors import need

SIGNATURE = b"_FVH"
FIXED_HEADER = 0x38         # up to and including Revision; the block map follows
ERASE_POLARITY = 0x00000800  # EFI_FVB2_ERASE_POLARITY
ALIGNMENT_SHIFT, ALIGNMENT_MASK = 16, 0x1F   # EFI_FVB2_ALIGNMENT: 2^n bytes
FILE_ALIGNMENT = 8          # every file header starts 8-byte aligned
_LENGTH, _SIGNATURE, _ATTRIBUTES, _CHECKSUM = 32, 40, 44, 50


def checksum16(data):
    """The sum of `data` as little-endian 16-bit words, modulo 2^16."""
    return sum(struct.unpack(f"<{len(data) // 2}H", data)) & 0xFFFF


def is_header(buf, at):
    return buf[at + _SIGNATURE:at + _SIGNATURE + 4] == SIGNATURE


@dataclass
class Header:
    fs_guid: bytes
    length: int
    attributes: int
    header_length: int
    block_map: list             # [(blocks, block length)]
    name: bytes = None          # from the extended header, if any

    @property
    def polarity(self):
        return 1 if self.attributes & ERASE_POLARITY else 0

    @property
    def erased(self):
        return 0xFF if self.polarity else 0x00

    @property
    def alignment(self):
        return 1 << (self.attributes >> ALIGNMENT_SHIFT & ALIGNMENT_MASK)

    @property
    def has_files(self):
        return self.fs_guid in (guids.FFS2, guids.FFS3)

    @property
    def ffs3(self):
        return self.fs_guid == guids.FFS3

    @property
    def mapped(self):
        """Bytes the block map covers."""
        return sum(n * size for n, size in self.block_map)


def read_header(buf, at):
    """The header of the volume at `at` of `buf`, and what is wrong with it
    that does not stop reading it: [(rule, message)]. FwError (without a
    place) where the volume cannot be read at all."""
    need(at + FIXED_HEADER + 8 <= len(buf) and is_header(buf, at), "no volume header")
    length, = struct.unpack_from("<Q", buf, at + _LENGTH)
    attributes, header_length, _, ext_offset = struct.unpack_from("<IHHH", buf, at + _ATTRIBUTES)
    need(FIXED_HEADER + 8 <= header_length <= length and header_length % 2 == 0,
         f"header length 0x{header_length:X} does not fit")
    need(at + length <= len(buf), f"truncated (0x{length:X} bytes, 0x{len(buf) - at:X} left)")
    problems = []
    if checksum16(buf[at:at + header_length]):
        problems.append(("checksum", "header checksum fails"))
    header = Header(bytes(buf[at + 16:at + 32]), length, attributes, header_length, _block_map(buf, at, header_length))
    if header.mapped != length:
        problems.append(("block-map", f"block map covers 0x{header.mapped:X} bytes, not the length 0x{length:X}"))
    if ext_offset:
        # The extended header lies in the data of the volume's first file, a pad file.
        need(header_length <= ext_offset and ext_offset + 20 <= length, "extended header outside the volume")
        ext_size, = struct.unpack_from("<I", buf, at + ext_offset + 16)
        need(ext_size >= 20 and ext_offset + ext_size <= length, f"extended header size 0x{ext_size:X} does not fit")
        header.name = bytes(buf[at + ext_offset:at + ext_offset + 16])
    return header, problems


def _block_map(buf, at, header_length):
    entries, entry = [], at + FIXED_HEADER
    while True:
        need(entry + 8 <= at + header_length, "block map runs past the header")
        blocks, block_length = struct.unpack_from("<II", buf, entry)
        entry += 8
        if blocks == 0 and block_length == 0:
            return entries
        need(blocks and block_length, f"block map entry ({blocks}, 0x{block_length:X}) is empty")
        entries.append((blocks, block_length))


def header_bytes(raw, header, length):
    """The header of the volume `raw` for a new length: last block-map entry
    grown, checksum redone."""
    head = bytearray(raw[:header.header_length])
    blocks, block_length = header.block_map[-1]
    before = header.mapped - blocks * block_length
    need((length - before) % block_length == 0, "volume length is not a whole number of blocks")
    struct.pack_into("<Q", head, _LENGTH, length)
    struct.pack_into("<I", head, FIXED_HEADER + 8 * (len(header.block_map) - 1), (length - before) // block_length)
    struct.pack_into("<H", head, _CHECKSUM, 0)
    struct.pack_into("<H", head, _CHECKSUM, -checksum16(head) & 0xFFFF)
    return head


def grown_length(header, used):
    """The length, in whole blocks of the last block-map entry, that holds `used` bytes."""
    if used <= header.length:
        return header.length
    block_length = header.block_map[-1][1]
    return header.length + (used - header.length + block_length - 1) // block_length * block_length

