# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Shared by the image-tool tests: the tool's package, the stock emulator
firmware (tests that need it skip without it), and running the command."""
import contextlib
import hashlib
import io
import os
import subprocess
import sys
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "fwimage.py")
sys.path.insert(0, os.path.join(ROOT, "tools"))

from fwimage import guids, nodes, operations  # noqa: E402

STOCK = "/usr/share/AAVMF/AAVMF_CODE.fd"
DRIVER_GUID = "280AE76D-EEAF-4EB8-AC20-459C6DE93646"
# The stock image's compressed DXE volume (found by hand, checked here).
COMPRESSED_FILE = guids.parse("9E21FD93-9C72-4C15-8C4B-E77F1DB2D792")

needs_stock = unittest.skipUnless(os.path.exists(STOCK), f"{STOCK} not installed")
_stock = {}


def stock():
    if "image" not in _stock:
        with open(STOCK, "rb") as source:
            _stock["image"] = source.read()
    return _stock["image"]


def stock_dxe():
    """The stock image's DXE volume, as the tool's read finds it (its
    containers reachable through `parent`)."""
    if "dxe" not in _stock:
        _stock["dxe"] = operations.survey(stock(), None, None).target
    return _stock["dxe"]


def above(node, kind):
    """The nearest node of class `kind` above `node`."""
    node = node.parent
    while not isinstance(node, kind):
        node = node.parent
    return node


def outer_volume():
    """The stock image's flash volume, holding the compressed DXE volume."""
    node = stock_dxe()
    while not isinstance(node.parent, nodes.Image):
        node = node.parent
    return node


def run(*args):
    """The tool as a command: (exit status, stdout, stderr)."""
    done = subprocess.run([sys.executable, TOOL, *map(str, args)], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def run_here(*args):
    """The tool's command line in this process: (exit status, stdout, stderr)."""
    from fwimage import cli
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        status = cli.main([str(a) for a in args])
    return status, out.getvalue(), err.getvalue()


def digest(path):
    with open(path, "rb") as source:
        return hashlib.sha256(source.read()).hexdigest()


# Hand-made images. The volume header is written here from its layout, not
# with the tool's code: zero vector, file system GUID, length, "_FVH",
# attributes (erase polarity bit 11, alignment 2^n in bits 16-20), header
# length, 16-bit checksum, extended header offset, revision 2, block map.
FFS2 = "8C8CE578-8A3D-4F1C-9935-896185C32DD3"
FFS3 = "5473C07A-3DCB-4DCA-BD6F-1E9689E7349A"
LZMA = "EE4E5898-3914-4259-9D6E-DC7BD79403CF"
VOLUME_TOP_FILE = "1BA0062E-C779-4582-8566-336AE8F78F09"


def volume(files, length=None, *, polarity=1, fs=FFS2, align_log2=4, block=0x10, name=None, blocks=None):
    """A volume holding `files` (whole files laid one after the other,
    8-byte aligned; (offset, bytes) places one there, after a pad file),
    `length` bytes long or
    just long enough, named `name` (a pad file holding the extended
    header), its block map one entry: `blocks` (count, size), or whole
    blocks of `block` bytes."""
    erased = b"\xff" if polarity else b"\0"
    if name:
        files = [pad_file(guids.parse(name) + (20).to_bytes(4, "little"), polarity)] + list(files)
    body, at = bytearray(), 0x48
    for item in files:
        start = (at + 7) // 8 * 8
        place, raw = item if isinstance(item, tuple) else (start, item)
        body += erased * (start - at)
        if place > start:
            body += pad_file(erased * (place - start - 24), polarity)
        body += raw
        at = 0x48 + len(body)
    length = length or (at + block - 1) // block * block
    blocks = blocks or (length // block, block)
    head = bytearray(16) + guids.parse(fs) + length.to_bytes(8, "little") + b"_FVH"
    head += ((0x800 if polarity else 0) | align_log2 << 16).to_bytes(4, "little")
    head += (0x48).to_bytes(2, "little") + bytes(2)
    head += (0x60 if name else 0).to_bytes(2, "little") + bytes([0, 2])
    for count, size in (blocks, (0, 0)):
        head += count.to_bytes(4, "little") + size.to_bytes(4, "little")
    total = sum(int.from_bytes(head[i:i + 2], "little") for i in range(0, len(head), 2))
    head[50:52] = (-total & 0xFFFF).to_bytes(2, "little")
    raw = bytes(head) + bytes(body) + erased * (length - len(head) - len(body))
    assert len(raw) == length, "files overflow the volume"
    return raw


def firmware_file(guid, kind, data, polarity=1, attributes=0):
    from fwimage import ffs
    return ffs.build(guids.parse(guid), kind, data, polarity, attributes)


def pad_file(data, polarity=1):
    from fwimage import ffs
    return ffs.build(b"\xff" * 16, ffs.PAD, data, polarity)


def lzma_section(sections_bytes, guid=LZMA, attributes=1):
    """A GUID-defined section of the LZMA "alone" stream of `sections_bytes`."""
    import lzma
    from fwimage import sections
    lzma1 = {"id": lzma.FILTER_LZMA1, "dict_size": 1 << 20, "lc": 3, "lp": 0, "pb": 2}
    payload = bytearray(lzma.compress(sections_bytes, format=lzma.FORMAT_ALONE, filters=[lzma1]))
    payload[5:13] = len(sections_bytes).to_bytes(8, "little")
    return sections.build_guid_defined(sections.GuidDefined(guids.parse(guid), 0x18, attributes, b""), bytes(payload))
