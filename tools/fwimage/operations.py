"""The tool's three image operations: insert, extract and the listing."""
from . import depex, ffs, guids, lzma_section, rebuild, sections, volume, walk
from .errors import FwError, need


def insert(image, files, volume_guid=None):
    """The image with the driver files (whole-file bytes) put into the DXE
    volume (or the one named), a same-named file replaced; and report lines."""
    drivers = [ffs.load_driver(raw, name) for name, raw in files]
    names = [d.name for d in drivers]
    for name in names:
        need(names.count(name) == 1, f"file {guids.text(name)} is given twice")
    found = walk.walk(image)
    target = walk.named_volume(found, volume_guid) if volume_guid else walk.dxe_volume(found)
    vol = target.volume
    first = next((i for i, (_, f) in enumerate(vol.files) if f.name in names and f.alive), len(vol.files))
    new_files = [ffs.with_polarity(d.raw, vol.polarity) for d in drivers]
    in_flash = len(target.path) == 1     # laid in the image itself: its length is fixed
    grown = volume.with_files(vol, first, volume.kept_files(vol, first, names) + new_files, grow=not in_flash)
    changes = rebuild.Changes()
    out = rebuild.replace(image, target.path, grown, changes)
    _check_inserted(out, target, drivers)
    lines = _report(vol, grown, changes, replaced=first < len(vol.files))
    if not in_flash:
        offset = target.path[0][1]
        before, after = (volume.parse(i, offset, "image").free for i in (image, out))
        lines.append(f"volume at 0x{offset:X} (flash): 0x{before:X} -> 0x{after:X} bytes free")
    return out, lines


def _check_inserted(image, target, drivers):
    """The written image read back: the files are there, byte for byte."""
    again = [f.volume for f in walk.walk(image) if f.path == target.path]
    need(again, "internal: the volume is not where it was")
    present = {f.name: f for _, f in again[0].files if f.alive}
    for d in drivers:
        need(d.name in present and _standalone(present[d.name].raw) == _standalone(d.raw),
             f"internal: file {guids.text(d.name)} did not read back")


def _standalone(raw):
    return ffs.with_polarity(raw, 0)


def _report(old, new_raw, changes, replaced):
    new = volume.parse(new_raw, 0, "new volume")
    lines = [f"volume {_name(old)}: 0x{old.length:X} -> 0x{new.length:X} bytes, 0x{new.free:X} free"
             + (" (a file replaced)" if replaced else "")]
    for what, old_payload, new_payload, old_content in changes.compressed:
        # The old payload may come from another encoder: the change's cost is
        # measured against the old content compressed alike.
        _, dict_size, _ = lzma_section.header(old_payload)
        baseline = len(lzma_section.compress(old_content, dict_size))
        lines.append(f"{what}: 0x{len(old_payload):X} -> 0x{len(new_payload):X} bytes; this insert costs "
                     f"{len(new_payload) - baseline} compressed bytes (against the old content recompressed alike)")
    return lines


def extract(image, guid):
    """A file of the image by name, in the standalone state convention."""
    for found in walk.walk(image):
        for _, f in found.volume.files:
            if f.name == guid and f.alive:
                return _standalone(f.raw)
    raise FwError(f"no file {guids.text(guid)} in the image")


def _name(vol):
    return guids.text(vol.name) if vol.name else "(no name)"


_FILE_SYSTEMS = {guids.FFS2: "FFS2", guids.FFS3: "FFS3"}


def listing(image):
    """Lines of the listing: volumes, their files and sections, indented by
    depth. A volume's offset is in the image, or in the data of the section
    that holds it; a file's in its volume; a section's in its file's data or
    in the data of the section that holds it."""
    lines = []

    def visit(kind, depth, item, offset):
        pad = "  " * depth
        if kind == "volume":
            system = _FILE_SYSTEMS.get(item.fs_guid, guids.text(item.fs_guid))
            lines.append(f"{pad}volume {_name(item)} at 0x{offset:X} size 0x{item.length:X} fs {system} "
                         f"erase-polarity {item.polarity} free 0x{item.free:X}")
        elif kind == "file":
            ui = _ui_name(item)
            lines.append(f"{pad}file {guids.text(item.name)} {item.describe()} at 0x{offset:X} size 0x{len(item.raw):X}"
                         + ("" if item.alive else f" state 0x{item.state:02X}") + (f' "{ui}"' if ui else ""))
        else:
            lines.append(f"{pad}section {sections.describe(item)} at 0x{offset:X} size 0x{len(item.raw):X}"
                         + _section_detail(item))

    walk.walk(image, visit)
    return lines


def _ui_name(file):
    if not file.alive or file.type not in walk.SECTIONED:
        return None
    for s in sections.parse(file.data, "file"):
        if s.type == sections.USER_INTERFACE:
            return sections.utf16_text(s.body)
    return None


def _section_detail(section):
    """What a section says of itself: GUID and unpacked size, expression, name."""
    if section.type == sections.GUID_DEFINED:
        info, payload = sections.guid_defined(section)
        if info.guid == guids.LZMA:
            return f" {guids.text(info.guid)} LZMA, 0x{lzma_section.header(payload)[2]:X} bytes unpacked"
        return f" {guids.text(info.guid)}"
    if section.type == sections.DXE_DEPEX:
        try:
            return ": " + " ".join(depex.decode(section.body))
        except FwError as error:
            return f" ({error})"
    if section.type == sections.USER_INTERFACE:
        return f' "{sections.utf16_text(section.body)}"'
    if section.type == sections.VERSION:
        return f' "{sections.utf16_text(section.body[2:])}"'
    return ""
