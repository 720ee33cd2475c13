"""Putting a changed volume back where the walk found it: every container on
the path is rebuilt around it (volume-image and GUID-defined sections, their
files with sizes and checksums, the volumes holding those files), outermost
last. Containers in flash keep their length; files that run in place or are
marked fixed must keep their offsets."""
import struct

from . import ffs, guids, lzma_section, sections, volume, walk
from .errors import need


class Changes:
    """What the rebuild did to each compressed section on the path."""

    def __init__(self):
        self.compressed = []    # (description, old payload, new payload, old content)


def replace(image, path, new_volume, changes):
    """`image` with the volume at `path` replaced by the bytes `new_volume`."""
    (kind, offset), rest = path[0], path[1:]
    assert kind == "image"
    top = volume.parse(image, offset, "image")
    raw = _in_volume(top, rest, new_volume, changes)
    need(len(raw) == top.length, f"no room: the volume at 0x{offset:X} is flash and cannot grow")
    return image[:offset] + raw + image[offset + top.length:]


def _in_volume(vol, rest, leaf, changes):
    if not rest:
        return leaf
    (_, index), rest = rest[0], rest[1:]
    file = vol.files[index][1]
    data = _in_sections(file.data, rest, leaf, changes, guids.text(file.name))
    new_file = ffs.rebuilt(file, data, vol.polarity)
    return volume.with_files(vol, index, [new_file] + volume.kept_files(vol, index + 1), grow=False)


def _in_sections(data, rest, leaf, changes, where):
    found = sections.parse(data, where)
    (_, index), rest = rest[0], rest[1:]
    section = found[index]
    if section.type == sections.FIRMWARE_VOLUME_IMAGE:
        inner = volume.parse(section.body, 0, where)
        new = sections.build(section.type, _in_volume(inner, rest, leaf, changes))
    elif section.type == sections.GUID_DEFINED:
        info, payload = sections.guid_defined(section)
        old_inner = walk.encapsulated(section, where)
        inner = _in_sections(old_inner, rest, leaf, changes, where)
        if info.guid == guids.LZMA:
            _, dict_size, _ = lzma_section.header(payload)
            new_payload = lzma_section.compress(inner, dict_size)
            changes.compressed.append((f"LZMA section of file {where}", payload, new_payload, old_inner))
        else:
            new_payload = inner
        new = sections.build_guid_defined(info, new_payload)
    else:
        assert section.type == sections.COMPRESSION
        inner = _in_sections(walk.encapsulated(section, where), rest, leaf, changes, where)
        new = sections.build(section.type, struct.pack("<IB", len(inner), 0) + inner)
    start = _offset_of(found, index)
    return data[:start] + sections.join([new] + [s.raw for s in found[index + 1:]])


def _offset_of(found, index):
    """Where section `index` starts: the sections before it laid 4-byte aligned."""
    at = 0
    for section in found[:index]:
        at = sections.align(at, sections.ALIGNMENT) + len(section.raw)
    return sections.align(at, sections.ALIGNMENT)
