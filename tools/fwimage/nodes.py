# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The image as a tree of typed nodes: Image, Volume, File, Section. A
node's children are read only when a visitor asks for them, and a
compressed section is unpacked only then and kept only while a node below
it lives, so a walk holds the path it is on and little more. A visitor
dispatches on the node's class: `node.accept(visitor)` calls
`visitor.visit_image/volume/file/section(node)`, whose default visits the
children."""
import hashlib
import itertools
from dataclasses import dataclass
from functools import cached_property

from . import codecs, ffs, guids, sections, volume as fv
from .errors import FwError
from .limits import Budget, LimitError

SECTIONED = set(range(0x02, 0x10))     # file types whose data is a sequence of sections
ENCAPSULATIONS = (sections.COMPRESSION, sections.GUID_DEFINED)


@dataclass
class Problem:
    node: "Node"
    rule: str                   # what kind of rule fails, for counting
    message: str

    def __str__(self):
        return f"{self.node.where}: {self.message}"


class Reader:
    """One read of an image: its budget, and what becomes of a problem.
    Strict (list, insert, extract): a fault ends the read with FwError;
    otherwise (check) every problem is reported and the read goes on where
    it can. Problems that do not stop a strict read are reported either way."""

    def __init__(self, budget=None, strict=True, report=None):
        self.budget = budget or Budget()
        self.strict = strict
        self.report = report or (lambda problem: None)

    def problem(self, node, rule, message, fatal=True):
        if fatal and self.strict:
            raise FwError(f"{node.where}: {message}")
        self.report(Problem(node, rule, message))


class Visitor:
    def visit_image(self, image):
        self.descend(image)

    def visit_volume(self, volume):
        self.descend(volume)

    def visit_file(self, file):
        self.descend(file)

    def visit_section(self, section):
        self.descend(section)

    def descend(self, node):
        for child in node.children():
            child.accept(self)


class Node:
    nests = False               # counts towards the nesting limit
    listed = False              # printed by the listing

    def __init__(self, reader, parent, offset, index):
        self.reader, self.parent, self.offset, self.index = reader, parent, offset, index
        self.depth = parent.depth + 1
        self.nesting = parent.nesting + self.nests
        reader.budget.item(self)
        reader.budget.nest(self.nesting, self)

    def children(self):
        return iter(())

    @property
    def volume(self):
        """The nearest volume above this node."""
        node = self.parent
        while not isinstance(node, Volume):
            node = node.parent
        return node

    def _problem(self, rule, message, fatal=True):
        self.reader.problem(self, rule, message, fatal)


class Image(Node):
    """The flash image: the volumes laid in it, each at an 8-byte aligned offset."""
    where = "image"
    listed = True

    def __init__(self, reader, data):
        self.reader, self.parent, self.offset, self.index = reader, None, 0, 0
        self.depth, self.nesting = -1, 0
        self.data = data

    def accept(self, visitor):
        return visitor.visit_image(self)

    @property
    def blank(self):
        """The value of every byte of an image that is all 0x00 or all 0xFF."""
        if self.data and self.data[0] in (0x00, 0xFF) and self.data.count(self.data[0]) == len(self.data):
            return self.data[0]
        return None

    def children(self):
        at, index = 0, 0
        while True:
            hit = self.data.find(fv.SIGNATURE, at + 40)
            if hit < 0:
                break
            start = hit - 40
            at = start + 1
            if start % 8:
                continue
            found = Volume(self.reader, self, self.data, start, index, start)
            if found.header:
                yield found
                index += 1
                at = start + found.length
        if not index:
            blank = self.blank
            if blank is None:
                self._problem("volume", "not a firmware image: no firmware volume header found")
            else:
                self._problem("volume", f"no firmware volume: every byte is 0x{blank:02X}", fatal=False)


class Volume(Node):
    nests = True

    def __init__(self, reader, parent, buf, at, index, shown_at):
        super().__init__(reader, parent, shown_at, index)
        self.header = None
        try:
            self.header, problems = fv.read_header(buf, at)
        except FwError as error:
            self._problem("volume", str(error))
            return
        self.raw = memoryview(buf)[at:at + self.header.length]
        for rule, message in problems:
            self._problem(rule, message, fatal=rule != "block-map")

    def accept(self, visitor):
        return visitor.visit_volume(self)

    @property
    def where(self):
        here = f"volume at 0x{self.offset:X}"
        return here if isinstance(self.parent, Image) else f"{self.parent.where}: {here}"

    @property
    def length(self):
        return self.header.length

    @property
    def name(self):
        return self.header.name

    @property
    def editable(self):
        """Why the tool will not change this volume, or None."""
        if not self.header.has_files:
            return f"its file system {guids.text(self.header.fs_guid)} holds no firmware files"
        if self.header.mapped != self.length:
            return "its block map disagrees with its length"
        return None

    @cached_property
    def key(self):
        """What names this volume in another read of the image, even when
        files around it moved: its offset in the image, or the volume above
        it, the file holding it (name, and how many files of that name come
        before it) and the section indices down to it."""
        if isinstance(self.parent, Image):
            return (self.offset,)
        steps, node = [], self.parent
        while not isinstance(node, File):
            steps.append(node.index)
            node = node.parent
        return node.parent.key + ((node.name, node.occurrence, tuple(reversed(steps))),)

    def spans(self):
        """(offset, header size, size, error) of each file, in order; after
        a file that does not fit (error set), none."""
        if not self.header.has_files:
            return
        raw, at = self.raw, sections.align(self.header.header_length, fv.FILE_ALIGNMENT)
        erased_header = bytes([self.header.erased]) * ffs.HEADER
        while at + ffs.HEADER <= self.length and raw[at:at + ffs.HEADER] != erased_header:
            try:
                head_size, size = ffs.read_header(raw, at, self.length)
            except FwError as error:
                yield at, 0, 0, str(error)
                return
            yield at, head_size, size, None
            at = sections.align(at + size, fv.FILE_ALIGNMENT)

    @cached_property
    def free_start(self):
        """Where the erased space after the last file begins."""
        end = sections.align(self.header.header_length, fv.FILE_ALIGNMENT)
        for at, _, size, error in self.spans():
            if error:
                return self.length
            end = at + size
        return end if self.header.has_files else self.length

    @property
    def free(self):
        return self.length - self.free_start

    def files(self):
        seen = {}
        for index, (at, head_size, size, error) in enumerate(self.spans()):
            if error:
                self._problem("size", f"file at 0x{at:X}: {error}")
                return
            name = bytes(self.raw[at:at + 16])
            seen[name] = seen.get(name, -1) + 1     # files of this name before this one
            yield File(self.reader, self, at, head_size, size, index, seen[name])
        if not _erased(self.raw[self.free_start:], self.header.erased):
            self._problem("free-space", f"data in the free space after 0x{self.free_start:X}")

    children = files


def _erased(view, value):
    """Every byte of `view` is `value` (compared a MiB at a time)."""
    chunk = bytes([value]) * min(len(view), 1 << 20)
    return not view or all(view[at:at + len(chunk)] == chunk[:len(view) - at] for at in range(0, len(view), len(chunk)))


class File(Node):
    def __init__(self, reader, parent, at, head_size, size, index, occurrence):
        self.name = bytes(parent.raw[at:at + 16])
        super().__init__(reader, parent, at, index)
        self.raw = parent.raw[at:at + size]
        self.header_size, self.occurrence = head_size, occurrence
        self.type, self.attributes = self.raw[18], self.raw[19]
        self.state = ffs.state_byte(self.raw[23], parent.header.polarity)
        for problem in ffs.integrity_problems(self.raw, head_size, parent.header.polarity):
            self._problem("checksum", problem)
        if head_size == ffs.HEADER2 and not parent.header.ffs3:
            self._problem("ffs3", "large-file header in an FFS2 volume (only FFS3 volumes hold files over 16 MiB)")

    def accept(self, visitor):
        return visitor.visit_file(self)

    @property
    def where(self):
        return f"{self.parent.where}: file {guids.text(self.name)} at 0x{self.offset:X}"

    @property
    def data(self):
        return self.raw[self.header_size:]

    @property
    def alive(self):
        return ffs.alive(self.state)

    @property
    def erased_pad(self):
        """A pad file holding nothing: free space the layout may reuse."""
        return self.type == ffs.PAD and _erased(self.data, self.parent.header.erased)

    @property
    def pinned(self):
        """Why this file must keep its offset, or None."""
        if self.name == guids.VOLUME_TOP_FILE:
            return "is the Volume Top File"
        if self.attributes & ffs.ATTRIB_FIXED:
            return "is fixed in place"
        if self.type in ffs.EXECUTE_IN_PLACE:
            return "runs in place"
        return None

    def describe(self):
        return ffs.TYPE_NAMES.get(self.type, f"0x{self.type:02X}")

    def digest(self):
        return hashlib.sha1(self.raw).digest()

    def sections(self):
        if self.alive and self.type in SECTIONED:
            yield from _sections(self, self.data)

    children = sections


def _sections(parent, data):
    found = sections.headers(data)
    for index in itertools.count():
        try:
            at, kind, head, size = next(found)
        except StopIteration:
            return
        except FwError as error:
            parent._problem("size", str(error))
            return
        yield Section(parent.reader, parent, data, at, kind, head, size, index)


class Section(Node):
    def __init__(self, reader, parent, data, at, kind, head, size, index):
        self.type = kind
        self.nests = kind in ENCAPSULATIONS
        super().__init__(reader, parent, at, index)
        self.raw, self.header_size = data[at:at + size], head
        self.info = self.codec = self.opaque = None
        self.readable = True
        if head == 8 and not self.volume.header.ffs3:
            self._problem("ffs3", "large section header in an FFS2 volume (only FFS3 volumes hold sections over 16 MiB)")
        try:
            self._read_encapsulation()
        except FwError as error:
            self.readable = False
            self._problem("encapsulation", str(error))

    def _read_encapsulation(self):
        """The codec of a compression or GUID-defined section; opaque: why
        the tool cannot open it."""
        if self.type == sections.GUID_DEFINED:
            self.info = sections.guid_header(self.raw, self.header_size)
            self.codec = codecs.by_guid(self.info.guid)
            if self.info.attributes & sections.PROCESSING_REQUIRED and not (self.codec and self.codec.decode):
                self.opaque = "not decoded by this tool" if self.codec else "unknown GUID"
        elif self.type == sections.COMPRESSION:
            if len(self.raw) < self.header_size + 5:
                raise FwError("compression section header cut short")
            kind = self.raw[self.header_size + 4]
            self.codec = codecs.by_type(kind)
            if self.codec is None:
                raise FwError(f"compression type {kind} is not known")
            if not self.codec.decode:
                self.opaque = "not decoded by this tool"

    def accept(self, visitor):
        return visitor.visit_section(self)

    @property
    def where(self):
        return f"{self.parent.where}: section {self.describe()} at 0x{self.offset:X}"

    @property
    def body(self):
        return self.raw[self.header_size:]

    @property
    def payload(self):
        """The data of an encapsulation, as stored."""
        if self.type == sections.GUID_DEFINED:
            return self.raw[self.info.data_offset:]
        return self.raw[self.header_size + 5:]

    @property
    def unpacked_length(self):
        """A compression section's own word on its content's size."""
        return int.from_bytes(self.raw[self.header_size:self.header_size + 4], "little")

    def describe(self):
        return sections.NAMES.get(self.type, f"0x{self.type:02X}")

    @cached_property
    def content(self):
        """The sections' bytes inside an encapsulation (unpacked), or None."""
        if not self.readable or self.opaque or self.type not in ENCAPSULATIONS:
            return None
        if self.codec is None or not self.codec.decode:    # a GUID that needs no processing
            return self.payload
        try:
            content = self.codec.decode(self.payload, self.reader.budget, self.where)
        except LimitError:
            raise
        except FwError as error:
            self._problem("compression", str(error))
            return None
        if self.type == sections.COMPRESSION and self.unpacked_length != len(content):
            self._problem("compression", f"uncompressed length 0x{self.unpacked_length:X}, "
                                         f"its data holds 0x{len(content):X}")
        return content

    def children(self):
        if self.type == sections.FIRMWARE_VOLUME_IMAGE:
            at = self.header_size
            inner = Volume(self.reader, self, self.raw, at, 0, self.offset + at)
            if inner.header:
                if inner.length != len(self.raw) - at:
                    self._problem("size", f"volume of 0x{inner.length:X} bytes in a section body of "
                                          f"0x{len(self.raw) - at:X}", fatal=False)
                yield inner
        elif self.content is not None:
            yield from _sections(self, memoryview(self.content))
