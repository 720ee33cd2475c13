# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Putting a changed volume back where the read found it: each container
above it is rebuilt around the new bytes, innermost first (volume-image
and encapsulating sections, the files holding them with their sizes and
checksums, the volumes holding those files), up to the image. Sections
after a changed one keep 4-byte alignment, and a volume in a later section
keeps its own alignment or the change is refused; a volume in flash keeps
its length."""
from dataclasses import dataclass, field

from . import ffs, layout, sections, volume as fv
from .errors import FwError, need
from .nodes import File, Image, Section, Volume

# The most compressed data an edit packs again; packing takes about a
# second per MiB of incompressible data, and real DXE volumes pack to 1-2 MB.
MAX_REPACKED = 16 << 20


@dataclass
class Changes:
    """What the rebuild did to each compressed section on the way up."""
    compressed: list = field(default_factory=list)  # (section, old payload size, new payload size)


def check_path(target):
    """Refuse, before any work, to rebuild through what the tool does not
    change: a volume it does not edit, a section it cannot pack again or
    whose packed data is beyond MAX_REPACKED."""
    node = target
    while not isinstance(node, Image):
        if isinstance(node, Volume):
            need(node.editable is None, f"{node.where}: {node.editable}; the tool does not change it")
        elif isinstance(node, Section) and node.codec is not None:
            need(node.codec.encode, f"{node.where}: the tool cannot pack {node.codec.name} data again")
            need(len(node.payload) <= MAX_REPACKED, f"{node.where}: 0x{len(node.payload):X} bytes of "
                 f"{node.codec.name} data; the tool packs at most 0x{MAX_REPACKED:X} again")
        node = node.parent


def replace(image, target, new_volume, changes):
    """`image` (bytes) with volume node `target` replaced by `new_volume`."""
    node, new = target, new_volume
    while not isinstance(node.parent, Image):
        new = _container(node.parent, node, new, changes)
        node = node.parent
    need(len(new) == node.length, f"no room: the volume at 0x{node.offset:X} is flash and cannot grow")
    return b"".join((image[:node.offset], new, image[node.offset + node.length:]))


def _container(parent, child, new, changes):
    """The bytes of `parent` with its child `child` now `new`. A volume not
    laid in the image itself grows, by whole blocks, if it must."""
    if isinstance(parent, Volume):
        files = list(parent.files())
        return layout.lay_out(parent, files, layout.plan_replace(files, child.index, new),
                              grow=not isinstance(parent.parent, Image))
    large_ok = parent.volume.header.ffs3
    if isinstance(parent, File):
        data = _spliced(parent.data, child, new, parent.where)
        return ffs.rebuilt(parent, data, parent.volume.header.polarity, large_ok)
    if parent.type == sections.FIRMWARE_VOLUME_IMAGE:
        return sections.build(parent.type, new, large_ok)
    content = _spliced(parent.content, child, new, parent.where)
    codec = parent.codec
    payload = codec.encode(content, parent.payload) if codec else content
    if parent.type == sections.COMPRESSION:
        body = bytearray().join((len(content).to_bytes(4, "little"), bytes([codec.compression_type]), payload))
        return sections.build(parent.type, body, large_ok)
    if codec:
        changes.compressed.append((parent, len(parent.payload), len(payload)))
    return sections.build_guid_defined(parent.info, payload, large_ok)


def _spliced(data, child, new, where):
    """`data` (a sequence of sections) with section `child` now `new`; the
    sections after it laid again, 4-byte aligned."""
    out = bytearray().join((data[:child.offset], new))
    moved = []
    for at, kind, head, size in sections.headers(data):
        if at <= child.offset:
            continue
        sections.join([data[at:at + size]], out)
        moved.append((kind, head, at, len(out) - size))
    for kind, head, old, now in moved:
        if kind == sections.FIRMWARE_VOLUME_IMAGE:
            inner = old + head
            want = _volume_alignment(data, inner)
            need((now - old) % want == 0, f"{where}: the volume in the section at 0x{old:X} would move by "
                                          f"0x{now - old:X} bytes, off its 0x{want:X}-byte alignment")
    return out


def _volume_alignment(data, at):
    try:
        header, _ = fv.read_header(data, at)
    except FwError:         # not a volume the tool reads: the section's own alignment
        return sections.ALIGNMENT
    return header.alignment
