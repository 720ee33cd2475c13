# SPDX-License-Identifier: BSD-2-Clause-Patent
"""What an edit reads, and how its result is held to the original before
it is written. The survey of an image records each volume's files (name,
type and a digest of the bytes; the offsets of files that must not move),
counts the problems the rules find, and finds the volume to change. The
new image is surveyed the same way, and `compare` says what differs from
the edit asked for: a file not touched that changed, moved to another
volume or order, or vanished; a fixed file moved; a problem the old image
did not have."""
import hashlib
from collections import Counter
from dataclasses import dataclass, field

from . import ffs, guids
from .errors import FwError
from .rules import Rules


@dataclass
class Summary:
    files: list = field(default_factory=list)     # (name, occurrence, type, digest) of each file but pad files
    pinned: list = field(default_factory=list)    # (name, offset) of each file that must not move
    digest: bytes = b""
    length: int = 0
    free: int = 0


class Survey(Rules):
    """Rules, plus the summary of every volume (by key) and the target: the
    volume named `volume_name`, else the one with the DXE core, else the
    one with the most drivers. The target is kept with the nodes above it
    (and what they unpacked) for the rebuild."""

    def __init__(self, volume_name=None, find_target=True):
        super().__init__()
        self.volumes = {}
        self.problems = Counter()
        self.opaque = []
        self.volume_name, self.find_target = volume_name, find_target
        self.target, self._rank = None, None
        self._open = []         # summaries of the volumes being read, innermost last

    def report(self, problem):
        self.problems[problem.rule] += 1

    def visit_volume(self, vol):
        summary = Summary(digest=hashlib.sha1(vol.raw).digest(), length=vol.length, free=vol.free)
        self._open.append((summary, Counter()))
        super().visit_volume(vol)
        summary, kinds = self._open.pop()
        self.volumes[vol.key] = summary
        if self.find_target:
            self._consider(vol, kinds)

    def _consider(self, vol, kinds):
        if self.volume_name is not None:
            if vol.name == self.volume_name and self.target is None:
                self.target = vol
            return
        rank = (1, 0) if kinds[ffs.DXE_CORE] else (0, kinds[ffs.DRIVER])
        if rank > (0, 0) and (self.target is None or rank > self._rank):
            self.target, self._rank = vol, rank

    def visit_file(self, file):
        summary, kinds = self._open[-1]
        if file.type != ffs.PAD:
            summary.files.append((file.name, file.occurrence, file.type, file.digest()))
        if file.pinned:
            summary.pinned.append((file.name, file.offset))
        if file.alive:
            kinds[file.type] += 1
        super().visit_file(file)

    def visit_section(self, section):
        if section.opaque:
            self.opaque.append(f"{section.where} ({section.opaque})")
        super().visit_section(section)


def expected_files(entries, polarity):
    """The summary's file list for a volume laid as `entries` say."""
    found, seen = [], Counter()
    for entry in entries:
        if isinstance(entry, (bytes, bytearray)):
            name, kind, digest = bytes(entry[:16]), entry[18], hashlib.sha1(entry).digest()
        else:
            name, kind, digest = entry.name, entry.type, entry.digest()
        if kind != ffs.PAD:
            found.append((name, seen[name], kind, digest))
        seen[name] += 1
    return found


def compare(before, after, target_key, path_keys, expected, changed):
    """Raise FwError naming the first way the new image (surveyed as
    `after`) is not the old one (`before`) with the edit: volume
    `target_key` holding `expected`; the volumes of `path_keys` around it
    changed only in the file that leads to it; files named in `changed`
    (inserted, replaced, removed) free to hold volumes that come and go."""
    def fail(what):
        raise FwError(f"the new image does not read back as asked ({what}); nothing written")

    for rule, count in after.problems.items():
        if count > before.problems[rule]:
            fail(f"a new problem: {rule}")
    for key in set(before.volumes) | set(after.volumes):
        if _inside(key, target_key, changed):
            continue
        old, new = before.volumes.get(key), after.volumes.get(key)
        if old is None or new is None:
            fail(f"volume {_text(key)} {'appeared' if old is None else 'is gone'}")
        if key == target_key:
            if new.files != expected:
                fail(f"volume {_text(key)} does not hold the files asked for, in order")
        elif key in path_keys:
            step = path_keys[key]
            if [f[:3] for f in new.files] != [f[:3] for f in old.files] or \
                    [f for f in new.files if f[:2] != step] != [f for f in old.files if f[:2] != step]:
                fail(f"volume {_text(key)} changed beyond the file leading to the change")
        elif new.digest != old.digest:
            fail(f"volume {_text(key)} changed")
        kept = [p for p in old.pinned if p[0] not in changed or key != target_key]
        if not set(kept) <= set(new.pinned):
            fail(f"a fixed file of volume {_text(key)} moved")


def _inside(key, target_key, changed):
    """A volume inside a file the edit inserted, replaced or removed."""
    depth = len(target_key)
    return len(key) > depth and key[:depth] == target_key and key[depth][0] in changed


def _text(key):
    parts = [f"at 0x{key[0]:X}"] + [f"in file {guids.text(name)}" for name, _, _ in key[1:]]
    return " ".join(parts)
