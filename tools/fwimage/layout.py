# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Laying a volume's files out again after a change, moving as little as
possible. The bytes before the first change stay as they are. From there
each file goes to the first offset that keeps its header 8-byte aligned
and its data at its own alignment, a pad file filling any gap; but a file
whose old offset is still free stays there, and once a file stays and
nothing after it changed, the rest of the volume is copied as it was.
A file that must not move (the Volume Top File, a fixed file, a file that
runs in place) is refused rather than moved; an erased pad file in the way
is given up and its space reused."""
from . import ffs, guids, volume as fv
from .errors import need
from .nodes import File
from .sections import align


def insertion_point(files):
    """Where new files go: after the last file that is neither an erased pad
    file nor the Volume Top File (so before the free space, or before the
    pad files and the Volume Top File that end the volume)."""
    point = 0
    for index, file in enumerate(files):
        if not file.erased_pad and file.name != guids.VOLUME_TOP_FILE:
            point = index + 1
    return point


def plan_insert(files, new):
    """Entries for `new` ([(name, whole-file bytes)]) put into a volume of
    `files`: a file of the same name is replaced where it is, the others
    go in at the insertion point, in order. Also the names replaced."""
    entries = list(files)
    found = {}
    for index, file in enumerate(files):
        if file.alive and file.type != ffs.PAD:
            found.setdefault(file.name, index)
    appended, replaced = [], []
    for name, raw in new:
        if name in found:
            entries[found[name]] = raw
            replaced.append(name)
        else:
            appended.append(raw)
    point = insertion_point(files)
    entries[point:point] = appended
    return entries, replaced


def plan_remove(files, names, where):
    """Entries without the files named; the erased pad file right before a
    removed file (it carried that file's alignment) goes with it."""
    entries, gone = [], set()
    for file in files:
        if file.alive and file.type != ffs.PAD and file.name in names:
            gone.add(file.name)
            if entries and isinstance(entries[-1], File) and entries[-1].erased_pad:
                entries.pop()
            continue
        entries.append(file)
    for name in names:
        need(name in gone, f"{where}: no file {guids.text(name)} to remove")
    return entries


def plan_replace(files, index, raw):
    entries = list(files)
    entries[index] = raw
    return entries


def lay_out(vol, files, entries, grow):
    """The bytes of volume `vol` (its files `files`, in order) with its files
    laid as `entries` say: kept File nodes, or new files' whole bytes. If
    `grow`, the volume may grow by whole blocks of its last block-map entry
    to hold them; otherwise they must fit."""
    need(vol.editable is None, f"{vol.where}: {vol.editable}; the tool does not change it")
    first = 0
    while first < min(len(files), len(entries)) and entries[first] is files[first]:
        first += 1
    if first == len(files) == len(entries):
        return vol.raw
    header = vol.header
    start = files[first].offset if first < len(files) else vol.free_start
    pieces, used = [vol.raw[:start]], start     # joined once at the end: the volume may be large
    fill = bytes([header.erased])
    unchanged = _unchanged_tails(files, entries)

    def put(at, raw):
        nonlocal used
        cursor = align(used, fv.FILE_ALIGNMENT)
        pieces.append(fill * (cursor - used))
        if at > cursor:
            pieces.append(ffs.pad(at - cursor, header.polarity))
        pieces.append(raw)
        used = at + len(raw)

    for index in range(first, len(entries)):
        entry = entries[index]
        cursor = align(used, fv.FILE_ALIGNMENT)
        if isinstance(entry, File):
            if _fits(cursor, entry.offset):
                if unchanged[index]:
                    put(entry.offset, vol.raw[entry.offset:vol.free_start])
                    break
                put(entry.offset, entry.raw)
                continue
            if entry.erased_pad:
                continue
            need(not entry.pinned, f"no room: file {guids.text(entry.name)} {entry.pinned} at 0x{entry.offset:X} "
                                   f"and would have to move")
            raw = entry.raw
        else:
            raw = entry
            _fits_volume(raw, header)
        put(_place(cursor, raw), raw)
    length = fv.grown_length(header, used) if grow else header.length
    need(used <= length, f"no room: the volume needs 0x{used:X} bytes and holds 0x{length:X}")
    pieces.append(fill * (length - used))
    out = bytearray().join(pieces)
    if length != header.length:
        out[:header.header_length] = fv.header_bytes(vol.raw, header, length)
    return out


def _fits_volume(raw, header):
    """A new file asks nothing of the volume that the volume does not give."""
    name = guids.text(raw[:16])
    want = ffs.alignment(ffs.attributes_of(raw))
    need(want <= header.alignment, f"file {name} wants its data aligned to 0x{want:X} bytes, beyond its volume's "
                                   f"alignment of 0x{header.alignment:X}")
    need(ffs.header_size_of(raw) == ffs.HEADER or header.ffs3,
         f"file {name} of 0x{len(raw):X} bytes has the large-file header, which only an FFS3 volume may hold "
         f"(limit 0x{ffs.MAX_SMALL:X} bytes)")


def _fits(cursor, offset):
    """A file can stay at `offset` when nothing new reaches it and the gap
    before it is empty or can hold a pad file."""
    return offset == cursor or offset >= cursor + ffs.HEADER


def _place(cursor, raw):
    """The first offset from `cursor` where the file's data is aligned and
    any gap before it can hold a pad file."""
    want = ffs.alignment(ffs.attributes_of(raw))
    if want <= fv.FILE_ALIGNMENT:
        return cursor
    at = cursor + (-(cursor + ffs.header_size_of(raw))) % want
    while 0 < at - cursor < ffs.HEADER:
        at += want
    return at


def _unchanged_tails(files, entries):
    """For each entry: it and all after it are the volume's last files, unchanged."""
    position = {id(file): index for index, file in enumerate(files)}
    tails = [False] * len(entries)
    expected = len(files) - 1
    for index in range(len(entries) - 1, -1, -1):
        if position.get(id(entries[index])) != expected:
            break
        tails[index] = True
        expected -= 1
    return tails
