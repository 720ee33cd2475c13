"""The image walk: every firmware volume of an image, and every volume inside
its files' sections (LZMA GUID-defined sections and volume-image sections),
to any depth. Each volume is found with its path, the steps that lead to it
from the image, so that it can be replaced there (see rebuild.py)."""
import struct
from dataclasses import dataclass

from . import ffs, guids, lzma_section, sections, volume
from .errors import FwError, need

# Files whose data is a sequence of sections.
_SECTIONED = set(range(0x02, 0x10))


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
    """Every volume, depth first; `visit(kind, depth, item, path, extra)` is
    called for volumes, files and sections in order (for listing)."""
    out = []
    for offset, top in top_volumes(image):
        _volume(top, (("image", offset),), 0, f"volume at 0x{offset:X}", out, visit)
    return out


def _volume(vol, path, depth, where, out, visit):
    out.append(Found(vol, path, where))
    if visit:
        visit("volume", depth, vol, path, where)
    for index, (offset, file) in enumerate(vol.files):
        file_path = path + (("file", index),)
        if visit:
            visit("file", depth + 1, file, file_path, offset)
        if file.alive and file.type in _SECTIONED:
            _sections(file.data, file_path, depth + 2, f"{where}: file {guids.text(file.name)}", out, visit)


def _sections(data, path, depth, where, out, visit):
    for index, section in enumerate(sections.parse(data, where)):
        section_path = path + (("section", index),)
        if visit:
            visit("section", depth, section, section_path, None)
        if section.type == sections.FIRMWARE_VOLUME_IMAGE:
            inner = volume.parse(section.body, 0, where)
            _volume(inner, section_path, depth + 1, f"{where}: inner volume", out, visit)
            continue
        inner = encapsulated(section, where)
        if inner is not None:
            _sections(inner, section_path, depth + 1, where, out, visit)


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
    """The volume whose extended-header name (or file-system GUID) is `guid`."""
    for f in found:
        if f.volume.name == guid:
            return f
    raise FwError(f"no volume named {guids.text(guid)}")
