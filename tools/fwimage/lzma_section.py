"""The LZMA GUID-defined section's payload: the LZMA "alone" format, a
13-byte header (properties byte, dictionary size, uncompressed size) and
the raw stream. The firmware's decoder sizes its output buffer from the
header's uncompressed size, so the real size is written there."""
import lzma
import struct

from .errors import FwError, need

HEADER = 13
UNKNOWN_SIZE = 0xFFFFFFFFFFFFFFFF
# The decoder's own memory (mostly the dictionary; the stock images use 16 MiB).
DECODER_MEMORY = 128 << 20
# Preset 6 packs the stock 7.8 MB DXE volume in 1.2-1.5 s (one idle core),
# 3.5 KB smaller than the stock image's own encoder; preset 0 takes 0.45 s
# but is 186 KB larger.
PRESET = 6


def header(payload):
    """(properties byte, dictionary size, uncompressed size) of a payload."""
    need(len(payload) >= HEADER, f"LZMA data cut short ({len(payload)} bytes)")
    return struct.unpack_from("<BIQ", payload)


def unpacked_size(payload):
    return header(payload)[2]


def decode(payload, budget, where):
    """The unpacked bytes; their size is counted in `budget` before any work."""
    properties, _, size = header(payload)
    need(properties < 9 * 5 * 5, f"LZMA properties byte 0x{properties:02X} is not valid")
    need(size != UNKNOWN_SIZE, "LZMA header gives no uncompressed size")
    budget.unpack(size, where)
    decoder = lzma.LZMADecompressor(format=lzma.FORMAT_ALONE, memlimit=DECODER_MEMORY)
    try:
        out = decoder.decompress(payload, max_length=size + 1)
    except lzma.LZMAError as error:
        raise FwError(f"LZMA data does not decode ({error})") from None
    need(len(out) == size, f"LZMA data gives 0x{len(out):X} bytes, its header says 0x{size:X}")
    need(decoder.eof and not decoder.unused_data,
         "LZMA stream does not end where the section does")
    return out


def encode(content, old_payload):
    """`content` packed with the old payload's settings (literal and position
    bits, dictionary size), the real size in the header."""
    properties, dict_size, _ = header(old_payload)
    lc, rest = properties % 9, properties // 9
    lzma1 = {"id": lzma.FILTER_LZMA1, "preset": PRESET, "dict_size": dict_size,
             "lc": lc, "lp": rest % 5, "pb": rest // 5}
    out = bytearray(lzma.compress(content, format=lzma.FORMAT_ALONE, filters=[lzma1]))
    struct.pack_into("<Q", out, 5, len(content))
    return bytes(out)


def describe(payload):
    return f"0x{unpacked_size(payload):X} bytes unpacked"
