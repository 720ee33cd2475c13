# SPDX-License-Identifier: BSD-2-Clause-Patent
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
# The encoder needs about eleven times its dictionary (190 MB for the 16 MiB
# of the stock images); a header may ask for up to 4 GiB.
MAX_DICTIONARY = 16 << 20
_PIECE = 1 << 20


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
    out, done, data, extra = bytearray(size), 0, payload, b""
    try:
        # A piece at a time into the one buffer, so the output is never held twice.
        while done < size and not decoder.eof:
            piece = decoder.decompress(data, max_length=min(_PIECE, size - done))
            data = b""
            if not piece:       # the data ran out
                break
            out[done:done + len(piece)] = piece
            done += len(piece)
        if done == size and not decoder.eof:
            extra = decoder.decompress(b"", max_length=1)     # an end marker, or more than the header says
    except lzma.LZMAError as error:
        raise FwError(f"LZMA data does not decode ({error})") from None
    need(done == size and not extra, f"LZMA data gives {'more than ' if extra else ''}0x{done:X} bytes, "
                                     f"its header says 0x{size:X}")
    need(decoder.eof and not decoder.unused_data, "LZMA stream does not end where the section does")
    return out


def encode(content, old_payload):
    """`content` packed with the old payload's settings (literal and position
    bits, dictionary size up to MAX_DICTIONARY), the real size in the header."""
    properties, dict_size, _ = header(old_payload)
    lc, rest = properties % 9, properties // 9
    lzma1 = {"id": lzma.FILTER_LZMA1, "preset": PRESET, "dict_size": max(4096, min(dict_size, MAX_DICTIONARY)),
             "lc": lc, "lp": rest % 5, "pb": rest // 5}
    out = bytearray(lzma.compress(content, format=lzma.FORMAT_ALONE, filters=[lzma1]))
    struct.pack_into("<Q", out, 5, len(content))
    return bytes(out)


def describe(payload):
    return f"0x{unpacked_size(payload):X} bytes unpacked"
