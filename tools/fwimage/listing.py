# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The listing: one line per volume, file and section, indented by depth,
printed as the walk reaches it. A volume's offset is in the image, or in
the data of the section that holds it; a file's in its volume; a section's
in its file's data or in the data of the section that holds it. What the
tool tolerates but would not edit through (a block map that disagrees with
the volume's length) follows its item as a warning line; a section the
tool cannot open is marked opaque."""
from . import depex, guids, sections
from .errors import FwError
from .nodes import ENCAPSULATIONS, SECTIONED, Visitor

_FILE_SYSTEMS = {guids.FFS2: "FFS2", guids.FFS3: "FFS3"}


class Listing(Visitor):
    def __init__(self, emit):
        self.emit = emit
        self.pending = []       # warnings of an item read but not yet listed

    def line(self, node, text):
        self.emit("  " * node.depth + text)
        node.listed = True
        for problem in self.pending:
            self.warning(problem)
        self.pending = []

    def warning(self, problem):
        """The reader's report of a problem that does not stop the listing,
        after the line of the item it concerns."""
        if problem.node.listed:
            self.emit("  " * (problem.node.depth + 1) + f"warning: {problem.message}")
        else:
            self.pending.append(problem)

    def visit_volume(self, vol):
        head = vol.header
        system = _FILE_SYSTEMS.get(head.fs_guid, guids.text(head.fs_guid))
        self.line(vol, f"volume {_name(vol)} at 0x{vol.offset:X} size 0x{vol.length:X} fs {system} "
                       f"erase-polarity {head.polarity} free 0x{vol.free:X}")
        self.descend(vol)

    def visit_file(self, file):
        ui = _ui_name(file)
        self.line(file, f"file {guids.text(file.name)} {file.describe()} at 0x{file.offset:X} size 0x{len(file.raw):X}"
                        + ("" if file.alive else f" state 0x{file.state:02X}") + (f' "{ui}"' if ui else ""))
        self.descend(file)

    def visit_section(self, section):
        self.line(section, f"section {section.describe()} at 0x{section.offset:X} size 0x{len(section.raw):X}"
                           + detail(section))
        self.descend(section)


def _name(vol):
    return guids.text(vol.name) if vol.name else "(no name)"


def _ui_name(file):
    """The file's USER_INTERFACE name, from its own sections (not unpacked)."""
    if not file.alive or file.type not in SECTIONED:
        return None
    data = file.data
    try:
        for at, kind, head, size in sections.headers(data):
            if kind == sections.USER_INTERFACE:
                return sections.utf16_text(data[at + head:at + size])
    except FwError:
        pass
    return None


def detail(section):
    """What a section says of itself: GUID, compression and unpacked size,
    expression, name, version."""
    if section.readable and section.type in ENCAPSULATIONS:
        return _encapsulation(section)
    body = section.body
    if section.type in (sections.DXE_DEPEX, sections.PEI_DEPEX, sections.MM_DEPEX):
        try:
            return ": " + " ".join(depex.decode(body))
        except FwError as error:
            return f" ({error})"
    if section.type == sections.USER_INTERFACE:
        return f' "{sections.utf16_text(body)}"'
    if section.type == sections.VERSION:
        return _version(body)
    return ""


def _version(body):
    """A VERSION section's text and build number (a UINT16 before the text)."""
    if len(body) < 2:
        return " (cut short: no build number)"
    return f' "{sections.utf16_text(body[2:])}" build {int.from_bytes(body[:2], "little")}'


def _encapsulation(section):
    text = f" {guids.text(section.info.guid)}" if section.info else ""
    codec = section.codec
    if codec:
        text += f" {codec.name}"
    if codec and codec.describe:
        text += f", {codec.describe(section.payload)}"
    elif section.type == sections.COMPRESSION:
        text += f", 0x{section.unpacked_length:X} bytes unpacked"
    if section.opaque:
        text += f", opaque ({section.opaque}: not opened)"
    return text
