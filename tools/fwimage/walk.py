"""The image walk: every firmware volume of an image, and every volume inside
its files' sections (LZMA GUID-defined sections and volume-image sections),
to any depth. Each volume is found with its path, the steps that lead to it
from the image, so that it can be replaced there (see rebuild.py)."""
import struct
from dataclasses import dataclass

from . import ffs, guids, lzma_section, sections, volume
from .errors import FwError, need

# Files whose data is a sequence of sections.
SECTIONED = set(range(0x02, 0x10))
MAX_DEPTH = 32              # nesting of sections and volumes; real images use a few


@dataclass
class Found:
    volume: volume.Volume
    path: tuple                 # (("image", offset), ("file", i), ("section", j), ...)
    where: str


def top_volumes(image):
    """(offset, volume) of each volume laid in the image itself."""
    found, at = [], 0
    while True:
        hit = image.find(volume.SIGNATURE, at + 40)
        if hit < 0:
            break
        start = hit - 40
        if start >= 0 and start % 8 == 0:
            found.append((start, volume.parse(image, start, "image")))
            at = start + found[-1][1].length
        else:
            at = hit - 40 + 1
    need(found, "not a firmware image: no firmware volume header found")
    return found


def encapsulated(section, where):
    """The bytes inside an encapsulation section, or None for a leaf section."""
    if section.type == sections.GUID_DEFINED:
        info, payload = sections.guid_defined(section)
        if info.guid == guids.LZMA:
            return lzma_section.decompress(payload, where)
        need(not info.attributes & sections.PROCESSING_REQUIRED,
             f"{where}: unknown compression GUID {guids.text(info.guid)} (section needs processing)")
        return payload
    if section.type == sections.COMPRESSION:
        need(len(section.body) >= 5, f"{where}: compression section header cut short")
        length, kind = struct.unpack_from("<IB", section.body)
        need(kind == 0, f"{where}: compression type {kind} is not supported")
        need(length == len(section.body) - 5, f"{where}: uncompressed length 0x{length:X} does not match")
        return section.body[5:]
    return None


def walk(image, visit=None):
    """Every volume, depth first. `visit(kind, depth, item, offset)`, if
    given, sees each volume, file and section in order (for listing);
    offsets are in the volume, the file's data or the section's container."""
    out = []
    for offset, top in top_volumes(image):
        volume_tree(top, (("image", offset),), f"volume at 0x{offset:X}", out, visit, offset)
    return out


def volume_tree(vol, path, where, out, visit=None, offset=0, depth=0):
    """`vol` and every volume inside its files, appended to `out`."""
    need(depth <= MAX_DEPTH, f"{where}: nested deeper than {MAX_DEPTH} levels")
    out.append(Found(vol, path, where))
    if visit:
        visit("volume", depth, vol, offset)
    for index, (at, file) in enumerate(vol.files):
        file_path = path + (("file", index),)
        if visit:
            visit("file", depth + 1, file, at)
        if file.alive and file.type in SECTIONED:
            _sections(file.data, file_path, f"{where}: file {guids.text(file.name)}", out, visit, depth + 2)


def _sections(data, path, where, out, visit, depth):
    need(depth <= MAX_DEPTH, f"{where}: nested deeper than {MAX_DEPTH} levels")
    at = 0
    for index, section in enumerate(sections.parse(data, where)):
        at = sections.align(at, sections.ALIGNMENT)
        section_path = path + (("section", index),)
        if visit:
            visit("section", depth, section, at)
        if section.type == sections.FIRMWARE_VOLUME_IMAGE:
            inner = volume.parse(section.body, 0, where)
            volume_tree(inner, section_path, f"{where}: inner volume", out, visit, at + section.header_size, depth + 1)
        else:
            inner = encapsulated(section, where)
            if inner is not None:
                _sections(inner, section_path, where, out, visit, depth + 1)
        at += len(section.raw)


def dxe_volume(found):
    """The volume holding the DXE drivers: the one with the DXE core, else the most drivers."""
    with_core = [f for f in found if any(file.type == ffs.DXE_CORE for _, file in f.volume.files)]
    if with_core:
        return with_core[0]
    ranked = sorted(found, key=lambda f: -sum(file.type == ffs.DRIVER for _, file in f.volume.files))
    need(ranked and any(file.type == ffs.DRIVER for _, file in ranked[0].volume.files),
         "no volume holds DXE drivers")
    return ranked[0]


def named_volume(found, guid):
    """The volume whose extended header names it `guid`."""
    for f in found:
        if f.volume.name == guid:
            return f
    raise FwError(f"no volume named {guids.text(guid)}")
