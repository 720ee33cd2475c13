"""The LZMA GUID-defined section's payload: the LZMA "alone" format, a
13-byte header (properties byte, dictionary size, uncompressed size) and
the raw stream. The firmware's decoder sizes its output buffer from the
header's uncompressed size, so the real size is written there."""
import lzma
import struct

from .errors import FwError, need

HEADER = 13
UNKNOWN_SIZE = 0xFFFFFFFFFFFFFFFF
MAX_OUTPUT = 256 << 20      # larger than any firmware volume this tool opens
LC, LP, PB = 3, 0, 2        # the literal/position settings the firmware's decoder expects
# Preset 6 packs the stock 7.8 MB DXE volume in 1.2-1.5 s (one idle core),
# 3.5 KB smaller than the stock image's own encoder; preset 0 takes 0.45 s
# but is 186 KB larger.
PRESET = 6


def header(payload):
    """(properties byte, dictionary size, uncompressed size) of a payload."""
    need(len(payload) >= HEADER, f"LZMA data cut short ({len(payload)} bytes)")
    return struct.unpack_from("<BIQ", payload)


def decompress(payload, where):
    properties, dict_size, size = header(payload)
    need(properties < 9 * 5 * 5, f"{where}: LZMA properties byte 0x{properties:02X} is not valid")
    need(size != UNKNOWN_SIZE, f"{where}: LZMA header gives no uncompressed size")
    need(size <= MAX_OUTPUT, f"{where}: LZMA uncompressed size 0x{size:X} is beyond any volume")
    try:
        out = lzma.LZMADecompressor(format=lzma.FORMAT_ALONE, memlimit=1 << 30).decompress(payload, max_length=size + 1)
    except lzma.LZMAError as error:
        raise FwError(f"{where}: LZMA data does not decode ({error})") from None
    need(len(out) == size, f"{where}: LZMA data gives 0x{len(out):X} bytes, its header says 0x{size:X}")
    return out


def compress(data, dict_size, preset=PRESET):
    """`data` in the alone format with the given dictionary size and the real size in the header."""
    lzma1 = {"id": lzma.FILTER_LZMA1, "preset": preset, "dict_size": dict_size, "lc": LC, "lp": LP, "pb": PB}
    out = bytearray(lzma.compress(data, format=lzma.FORMAT_ALONE, filters=[lzma1]))
    struct.pack_into("<Q", out, 5, len(data))
    return bytes(out)
