"""Firmware volumes: the header (block map, 16-bit checksum, extended header),
the files of an FFS2/FFS3 volume, free space, and laying files out again
when a volume is grown or a file in it is replaced."""
import struct
from dataclasses import dataclass, field

from . import ffs, guids
from .errors import need
from .sections import align

SIGNATURE = b"_FVH"
FIXED_HEADER = 0x38         # up to and including Revision; the block map follows
ERASE_POLARITY = 0x00000800  # EFI_FVB2_ERASE_POLARITY
FILE_ALIGNMENT = 8
_LENGTH, _SIGNATURE, _ATTRIBUTES, _CHECKSUM = 32, 40, 44, 50


def checksum16(data):
    """The sum of `data` as little-endian 16-bit words, modulo 2^16."""
    return sum(struct.unpack(f"<{len(data) // 2}H", data)) & 0xFFFF


@dataclass
class Volume:
    raw: bytes
    fs_guid: bytes
    attributes: int
    header_length: int
    block_map: list             # [(blocks, block length)]
    name: bytes = None          # from the extended header, if any
    files: list = field(default_factory=list)   # [(offset, ffs.File)]
    free_start: int = 0         # the erased space from here to the end

    @property
    def length(self):
        return len(self.raw)

    @property
    def polarity(self):
        return 1 if self.attributes & ERASE_POLARITY else 0

    @property
    def erased(self):
        return 0xFF if self.polarity else 0x00

    @property
    def has_files(self):
        return self.fs_guid in (guids.FFS2, guids.FFS3)

    @property
    def free(self):
        """Bytes after the last file."""
        return self.length - self.free_start


def is_header(buf, at):
    return buf[at + _SIGNATURE:at + _SIGNATURE + 4] == SIGNATURE


def parse(buf, at, where):
    """The volume whose header starts at `at` of `buf`."""
    where = f"{where}: volume at 0x{at:X}"
    need(at + FIXED_HEADER + 8 <= len(buf) and is_header(buf, at), f"{where}: no volume header")
    length, = struct.unpack_from("<Q", buf, at + _LENGTH)
    attributes, header_length, _, ext_offset = struct.unpack_from("<IHHH", buf, at + _ATTRIBUTES)
    need(FIXED_HEADER + 8 <= header_length <= length and header_length % 2 == 0,
         f"{where}: header length 0x{header_length:X} does not fit")
    need(at + length <= len(buf), f"{where}: truncated (0x{length:X} bytes, 0x{len(buf) - at:X} left)")
    need(checksum16(buf[at:at + header_length]) == 0, f"{where}: header checksum fails")
    block_map, entry = [], at + FIXED_HEADER
    while True:
        need(entry + 8 <= at + header_length, f"{where}: block map runs past the header")
        blocks, block_length = struct.unpack_from("<II", buf, entry)
        entry += 8
        if blocks == 0 and block_length == 0:
            break
        need(blocks and block_length, f"{where}: block map entry ({blocks}, 0x{block_length:X}) is empty")
        block_map.append((blocks, block_length))
    need(sum(n * size for n, size in block_map) == length,
         f"{where}: block map covers 0x{sum(n * s for n, s in block_map):X} bytes, not the length 0x{length:X}")
    raw = bytes(buf[at:at + length])
    volume = Volume(raw, raw[16:32], attributes, header_length, block_map)
    if ext_offset:
        # The extended header lies in the data of the volume's first file, a pad file.
        need(header_length <= ext_offset and ext_offset + 20 <= length, f"{where}: extended header outside the volume")
        ext_size, = struct.unpack_from("<I", raw, ext_offset + 16)
        need(ext_size >= 20 and ext_offset + ext_size <= length, f"{where}: extended header size 0x{ext_size:X} does not fit")
        volume.name = raw[ext_offset:ext_offset + 16]
    if volume.has_files:
        _read_files(volume, where)
    else:
        volume.free_start = length
    return volume


def _read_files(volume, where):
    raw, at = volume.raw, align(volume.header_length, FILE_ALIGNMENT)
    erased_header = bytes([volume.erased]) * ffs.HEADER
    while at + ffs.HEADER <= volume.length and raw[at:at + ffs.HEADER] != erased_header:
        found = ffs.parse(raw, at, volume.length, volume.polarity, where)
        volume.files.append((at, found))
        at = align(at + len(found.raw), FILE_ALIGNMENT)
    volume.free_start = volume.files[-1][0] + len(volume.files[-1][1].raw) if volume.files else at
    tail = raw[volume.free_start:]
    need(tail.count(volume.erased) == len(tail), f"{where}: data in the free space after 0x{volume.free_start:X}")


def header_bytes(volume, length):
    """The volume's header for a new length: last block-map entry grown, checksum redone."""
    head = bytearray(volume.raw[:volume.header_length])
    blocks, block_length = volume.block_map[-1]
    before = sum(n * size for n, size in volume.block_map[:-1])
    need((length - before) % block_length == 0, "volume length is not a whole number of blocks")
    struct.pack_into("<Q", head, _LENGTH, length)
    struct.pack_into("<I", head, FIXED_HEADER + 8 * (len(volume.block_map) - 1), (length - before) // block_length)
    struct.pack_into("<H", head, _CHECKSUM, 0)
    struct.pack_into("<H", head, _CHECKSUM, -checksum16(head) & 0xFFFF)
    return bytes(head)


def lay_out(volume, files, start):
    """`files` (whole-file bytes) laid from `start`: each file 8-byte aligned,
    its data at its own alignment, a pad file before it where that needs a
    gap. Returns the bytes from `start` and each file's offset."""
    out, offsets = bytearray(), []
    fill = bytes([volume.erased])

    def skip_to(at):
        out.extend(fill * (at - start - len(out)))

    for raw in files:
        attributes = ffs.attributes_of(raw)
        head = ffs.HEADER2 if attributes & ffs.ATTRIB_LARGE_FILE else ffs.HEADER
        want = ffs.alignment(attributes)
        at = align(start + len(out), FILE_ALIGNMENT)
        if (at + head) % want:
            skip_to(at)
            out += ffs.pad(align(at + ffs.HEADER + head, want) - head - at, volume.polarity)
            at = start + len(out)
        skip_to(at)
        offsets.append(at)
        out += raw
    return bytes(out), offsets


def kept_files(volume, first, leave_out=()):
    """Whole-file bytes of the files from index `first` on that a new layout
    keeps: not pad files (the layout makes its own), not deleted ones, none
    named in `leave_out`."""
    return [f.raw for _, f in volume.files[first:] if f.alive and f.type != ffs.PAD and f.name not in leave_out]


def _pinned(file):
    return file.type in ffs.EXECUTE_IN_PLACE or file.attributes & ffs.ATTRIB_FIXED


def with_files(volume, first, files, grow):
    """The volume's bytes with its files from index `first` on replaced by
    `files` (whole-file bytes); the bytes before that file stay as they are.
    If `grow`, the length grows by whole blocks of the last block-map entry
    to hold them; otherwise they must fit. Files that run in place from
    flash, or are marked fixed, must keep their offsets."""
    need(volume.has_files, f"volume with file system {guids.text(volume.fs_guid)} holds no firmware files")
    start = volume.files[first][0] if first < len(volume.files) else align(volume.free_start, FILE_ALIGNMENT)
    body, offsets = lay_out(volume, files, start)
    placed = {raw[:16]: at for raw, at in zip(files, offsets)}
    for at, file in volume.files[first:]:
        need(not _pinned(file) or placed.get(file.name, at) == at,
             f"no room: file {guids.text(file.name)} runs in place at 0x{at:X} and would have to move")
    used = start + len(body)
    length = volume.length
    if grow and used > length:
        length += align(used - length, volume.block_map[-1][1])
    need(used <= length, f"no room: the volume needs 0x{used:X} bytes and holds 0x{length:X}")
    head = header_bytes(volume, length) if length != volume.length else volume.raw[:volume.header_length]
    return head + volume.raw[volume.header_length:start] + body + bytes([volume.erased]) * (length - used)
