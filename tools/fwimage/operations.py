# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The tool's image operations: list, check, extract, and the two edits,
insert and remove. An edit reads the image (the target volume is the one
named, else the DXE volume), lays the target's files out again, rebuilds
every container above it, and reads the whole result back against the
original before handing it over."""
from . import ffs, guids, layout, rebuild, verify
from .errors import FwError, need
from .limits import Budget
from .listing import Listing
from .nodes import File, Image, Reader, Visitor, Volume
from .rules import Rules


def listing(image, emit, budget=None):
    """Each line of the listing to `emit`, as the walk reaches it."""
    lines = Listing(emit)
    Image(Reader(budget, strict=True, report=lines.warning), image).accept(lines)


def check(image, emit, budget=None):
    """Every problem to `emit`, one line each, as the walk finds it; returns
    (how many, what was read)."""
    problems = 0

    def report(problem):
        nonlocal problems
        problems += 1
        emit(str(problem))

    rules = Rules()
    Image(Reader(budget, strict=False, report=report), image).accept(rules)
    return problems, rules.counts


class _Found(Exception):
    pass


class _Extract(Visitor):
    def __init__(self, name):
        self.name = name

    def visit_file(self, file):
        if file.name == self.name and file.alive:
            raise _Found(ffs.with_polarity(bytes(file.raw), 0))
        self.descend(file)


def extract(image, guid, budget=None):
    """The first file of that name, in the standalone state convention."""
    try:
        Image(Reader(budget), image).accept(_Extract(guid))
    except _Found as found:
        return found.args[0]
    raise FwError(f"no file {guids.text(guid)} in the image")


def insert(image, files, volume_guid=None, budget=None):
    """The image with the driver files ([(path, whole-file bytes)]) in the
    target volume: a file of the same name replaced in its place, the
    others added after the volume's last file; and report lines."""
    drivers = [ffs.load_driver(raw, path) for path, raw in files]
    names = [d.name for d in drivers]
    for name in names:
        need(names.count(name) == 1, f"file {guids.text(name)} is given twice")
    edit = _Edit(image, volume_guid, budget)
    polarity = edit.target.header.polarity
    entries, replaced = layout.plan_insert(edit.files, [(d.name, ffs.with_polarity(d.raw, polarity)) for d in drivers])
    return edit.apply(entries, set(names), "insert", "a file replaced" if replaced else None)


def remove(image, guids_to_remove, volume_guid=None, budget=None):
    """The image without the named files of the target volume; the volume
    keeps its length, the space becomes free (or a pad file where files
    follow)."""
    edit = _Edit(image, volume_guid, budget)
    names = set(guids_to_remove)
    entries = layout.plan_remove(edit.files, names, edit.target.where)
    return edit.apply(entries, names, "remove", None, grow=False)


class _Edit:
    """One edit of one image: the read, the target and its files."""

    def __init__(self, image, volume_guid, budget):
        self.image, self.volume_guid = image, volume_guid
        self.budget = budget or Budget()
        self.before = survey(image, self.budget, volume_guid)
        self.target = _target(self.before, volume_guid)
        self.files = list(self.target.files())

    def apply(self, entries, changed, verb, note, grow=True):
        target = self.target
        in_flash = isinstance(target.parent, Image)
        changes = rebuild.Changes()
        out = rebuild.replace(self.image, target, layout.lay_out(target, self.files, entries, grow and not in_flash),
                              changes)
        keys = _path_keys(target)
        expected = verify.expected_files(entries, target.header.polarity)
        costs = [_cost(section, old_size, new_size, verb) for section, old_size, new_size in changes.compressed]
        old, top = target.header, _top(target)
        at, length, free = top.offset, top.length, top.free
        # What was read of the old image goes before the new one is read.
        del changes, entries, self.files, self.target, target, top
        self.before.target = None
        after = survey(out, self.budget.fresh(), None, find_target=False)
        verify.compare(self.before, after, *keys, expected, changed)
        need(out[:at] == self.image[:at] and out[at + length:] == self.image[at + length:],
             "the new image changed outside the volume it edits; nothing written")
        new = after.volumes[keys[0]]
        lines = [f"volume {_name(old)}: 0x{old.length:X} -> 0x{new.length:X} bytes, 0x{new.free:X} free"
                 + (f" ({note})" if note else "")] + costs
        if not in_flash:
            lines.append(f"volume at 0x{at:X} (flash): 0x{free:X} -> 0x{after.volumes[(at,)].free:X} bytes free")
        return out, lines


def survey(image, budget, volume_guid, find_target=True):
    survey = verify.Survey(volume_guid, find_target)
    Image(Reader(budget, strict=True, report=survey.report), image).accept(survey)
    return survey


def _target(survey, volume_guid):
    target = survey.target
    if target is None:
        what = f"no volume named {guids.text(volume_guid)}" if volume_guid else "no volume holds DXE drivers"
        if survey.opaque:
            what += f"; {len(survey.opaque)} section(s) could not be opened, first {survey.opaque[0]}"
        raise FwError(what)
    rebuild.check_path(target)
    return target


def _path_keys(target):
    """(the target's key, {key of each volume above it: the file leading down})."""
    above, node = {}, target.parent
    while node is not None:
        if isinstance(node, Volume):
            step = target.key[len(node.key)]
            above[node.key] = step[:2]
        node = node.parent
    return target.key, above


def _name(header):
    return guids.text(header.name) if header.name else "(no name)"


def _top(node):
    while not isinstance(node.parent, Image):
        node = node.parent
    return node


# Only an old payload up to this size is packed a second time, unchanged,
# to measure what the change costs in compressed bytes.
MEASURED_PAYLOAD = 8 << 20


def _cost(section, old_size, new_size, verb):
    """What the change costs in compressed bytes, against the old content
    packed alike (the old payload may come from another encoder)."""
    file = section.parent
    while not isinstance(file, File):
        file = file.parent
    line = f"{section.codec.name} section of file {guids.text(file.name)}: 0x{old_size:X} -> 0x{new_size:X} bytes"
    if old_size > MEASURED_PAYLOAD:
        return f"{line} (cost not measured: over 0x{MEASURED_PAYLOAD:X} bytes)"
    baseline = len(section.codec.encode(section.content, section.payload))
    return f"{line}; this {verb} costs {new_size - baseline} compressed bytes (against the old content recompressed alike)"
