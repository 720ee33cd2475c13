# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The rules `check` applies beyond what reading needs, over every volume,
file and section the tool can open: state bits, data alignment (in the
volume and against the volume's own alignment), one file per name in a
volume, the Volume Top File last and ending at the volume's end, and
dependency expressions that decode. Reading itself finds the rest
(checksums, sizes, compressed sizes, the block map); the reader reports
both alike."""
from collections import Counter

from . import depex, ffs, guids, sections
from .errors import FwError
from .nodes import Visitor

_DEPEX = (sections.DXE_DEPEX, sections.PEI_DEPEX, sections.MM_DEPEX)


def state_problem(state):
    """What is wrong with a file's state bits (polarity removed), or None."""
    if state & 0xC0:
        return f"state 0x{state:02X} sets bits beyond HEADER_INVALID"
    highest = 1 << state.bit_length() >> 1
    if highest in (ffs.DELETED, ffs.HEADER_INVALID):
        return None
    if not ffs.alive(state):
        return f"state 0x{state:02X}: the file was not completely written"
    if state & (ffs.HEADER_CONSTRUCTION | ffs.HEADER_VALID) != ffs.HEADER_CONSTRUCTION | ffs.HEADER_VALID:
        return f"state 0x{state:02X}: data valid, header not"
    return None


class Rules(Visitor):
    def __init__(self):
        self.counts = Counter()     # volumes, files and sections read; sections not opened

    def visit_volume(self, vol):
        self.counts["volumes"] += 1
        names, last, top = Counter(), None, None
        for file in vol.files():
            if file.alive and file.type != ffs.PAD:
                names[file.name] += 1
            if file.name == guids.VOLUME_TOP_FILE:
                top = file
            last = file
            file.accept(self)
        for name, count in names.items():
            if count > 1:
                vol.reader.problem(vol, "duplicate", f"{count} files named {guids.text(name)}", fatal=False)
        if top and (top is not last or top.offset + len(top.raw) != vol.length):
            vol.reader.problem(vol, "top-file", "the Volume Top File is not last, ending at the volume's end",
                               fatal=False)

    def visit_file(self, file):
        self.counts["files"] += 1
        problem = state_problem(file.state)
        if problem:
            file.reader.problem(file, "state", problem, fatal=False)
        if file.alive and file.type != ffs.PAD:
            self._alignment(file)
        self.descend(file)

    @staticmethod
    def _alignment(file):
        want, limit = ffs.alignment(file.attributes), file.parent.header.alignment
        if want > limit:
            file.reader.problem(file, "alignment", f"data aligned to 0x{want:X} bytes, beyond its volume's 0x{limit:X}",
                                fatal=False)
        elif (file.offset + file.header_size) % want:
            file.reader.problem(file, "alignment", f"data at 0x{file.offset + file.header_size:X} "
                                                   f"is not aligned to its 0x{want:X} bytes", fatal=False)

    def visit_section(self, section):
        self.counts["sections"] += 1
        if section.opaque:
            self.counts["not opened"] += 1
        if section.type in _DEPEX:
            try:
                depex.decode(section.body)
            except FwError as error:
                section.reader.problem(section, "depex", str(error), fatal=False)
        self.descend(section)

