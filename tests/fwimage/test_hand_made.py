# SPDX-License-Identifier: BSD-2-Clause-Patent
"""One table of hand-made images, each run through the tool's commands with
its expected outcome: refused with a message, or accepted (and then what
the result must show). Every run leaves its input as it was; a refused run
prints one line, writes nothing and leaves the output path as it found it.
The images are small volumes built here; a DXE volume sits compressed in
an FV_IMAGE file of a flash volume, as in the emulator firmware."""
import os
import stat
import tempfile
import unittest
from dataclasses import dataclass, field
from typing import Callable
from unittest import mock

import support
from support import firmware_file, lzma_section, volume
from fwimage import depex, ffs, guids, limits, operations, sections

CORE = "D6A2CB7F-6A18-4E2F-B43B-9920A733700A"
DRIVER_A = "11111111-2222-4333-8444-555555555501"
DRIVER_B = "11111111-2222-4333-8444-555555555502"
FIXED = "11111111-2222-4333-8444-555555555503"
ALIGNED = "11111111-2222-4333-8444-555555555504"
NEW = "11111111-2222-4333-8444-555555555505"
HOLDER = "9E21FD93-9C72-4C15-8C4B-E77F1DB2D792"
DXE_NAME = "64074AFE-340A-4BE6-94BA-91B5B4D0F71E"
OTHER_GUID = "3D532050-5CDA-4FD0-879E-0F7F630D5AFC"    # no compression the tool knows


def section(kind, body):
    return sections.build(kind, body)


def driver(guid, size=0x40, attributes=0, polarity=1):
    """A DRIVER file: TRUE END expression, a PE32 section of `size` bytes."""
    data = sections.join([section(sections.DXE_DEPEX, depex.all_of([])), section(sections.PE32, b"MZ" + bytes(size))])
    return ffs.build(guids.parse(guid), ffs.DRIVER, bytes(data), polarity, attributes)


def core(polarity=1):
    return firmware_file(CORE, ffs.DXE_CORE, section(sections.PE32, b"MZ" + bytes(0x40)), polarity)


def dxe_volume(*extra, **options):
    return volume([core(), driver(DRIVER_A), driver(DRIVER_B), *extra], name=DXE_NAME, **options)


def in_flash(inner, encapsulate=lzma_section, length=0x8000, fs=support.FFS2):
    """A flash volume holding `inner` in an FV_IMAGE file, packed by `encapsulate`."""
    holder = firmware_file(HOLDER, ffs.FIRMWARE_VOLUME_IMAGE, encapsulate(section(sections.FIRMWARE_VOLUME_IMAGE, inner)))
    return volume([holder], length, block=0x1000, fs=fs)


def base():
    return in_flash(dxe_volume())


def corrupt(raw, at, value=None):
    out = bytearray(raw)
    out[at] = out[at] ^ 0xFF if value is None else value
    return bytes(out)


def resealed(raw, at):
    """`raw` with the header checksum of the file at `at` made right again."""
    out = bytearray(raw)
    out[at + 16] = 0
    out[at + 16] = ffs.checksum8(out[at:at + 16] + out[at + 18:at + 23])
    return bytes(out)


def nested_volumes(levels):
    """`levels` volumes, each in an LZMA section of a file of the next."""
    inner = dxe_volume()
    for _ in range(levels - 1):
        inner = volume([firmware_file(HOLDER, ffs.FIRMWARE_VOLUME_IMAGE,
                                      lzma_section(section(sections.FIRMWARE_VOLUME_IMAGE, inner)))])
    return inner


def nested_sections(levels):
    inner = section(sections.RAW, b"x")
    for _ in range(levels):
        inner = lzma_section(inner)
    return volume([core(), firmware_file(DRIVER_A, ffs.FREEFORM, inner)], 0x4000)


def unpacking(size):
    """A flash volume whose DXE volume unpacks to `size` bytes, mostly free space."""
    return in_flash(dxe_volume(length=size))


def files_of(image_bytes, volume_name=DXE_NAME):
    """[(name, offset)] of the named volume's files, as the tool reads them."""
    target = operations.survey(image_bytes, None, guids.parse(volume_name)).target
    return [(guids.text(f.name), f.offset) for f in target.files() if f.type != ffs.PAD]


def make_output(kind, work, image, out):
    """The output path as the case wants it before the run; the path the
    command is given."""
    if kind == "the input":
        return image
    if kind == "a hard link to the input":
        os.link(image, out)
    elif kind == "a symbolic link to the input":
        os.symlink(image, out)
    elif kind == "a directory":
        os.mkdir(out)
    elif kind == "a FIFO":
        os.mkfifo(out)
    elif kind == "a symbolic link to another file":
        with open(os.path.join(work, "other.fd"), "wb") as sink:
            sink.write(b"old")
        os.symlink(os.path.join(work, "other.fd"), out)
    return out


@dataclass
class Case:
    name: str
    image: Callable
    steps: list                 # (arguments, status, text in the output): IMAGE, OUT, *.ffs are paths
    drivers: dict = field(default_factory=dict)     # file name -> bytes, written beside the image
    output: str = None          # what the output path is before the run (make_output)
    then: Callable = None       # (test, work directory) after the steps
    max_items: int = limits.MAX_ITEMS

    def __str__(self):
        return self.name


def keeps_place(test, work):
    test.assertEqual([name for name, _ in files_of(read(work, "OUT"))], [CORE, DRIVER_A, DRIVER_B])


def top_file_stays(test, work):
    files = files_of(read(work, "OUT"))
    test.assertEqual([name for name, _ in files], [CORE, NEW, support.VOLUME_TOP_FILE])
    test.assertEqual(files[-1], files_of(read(work, "IMAGE"))[-1])


def aligned_file_stays(test, work):
    test.assertEqual(files_of(read(work, "OUT"))[-1], files_of(read(work, "IMAGE"))[-1])


def stock_files_again(test, work):
    test.assertEqual([name for name, _ in files_of(read(work, "BACK"))], [CORE, DRIVER_A, DRIVER_B])


# The LZMA header's dictionary size in base(): flash volume, its first file
# at 0x48, the GUID-defined section after the file header, the LZMA header
# after the section's 0x18 bytes, the size after the properties byte.
DICTIONARY_AT = 0x48 + 24 + 0x18 + 1


def with_dictionary(raw, size):
    return raw[:DICTIONARY_AT] + size.to_bytes(4, "little") + raw[DICTIONARY_AT + 4:]


def dictionary_capped(test, work):
    test.assertEqual(read(work, "OUT")[DICTIONARY_AT:DICTIONARY_AT + 4], (16 << 20).to_bytes(4, "little"))


def written_through_link(test, work):
    test.assertTrue(os.path.islink(os.path.join(work, "OUT")))
    test.assertIn(NEW, [name for name, _ in files_of(read(work, "other.fd"))])


def vtf_volume():
    top = (0x1FA8, firmware_file(support.VOLUME_TOP_FILE, ffs.RAW, bytes(0x40)))
    return volume([core(), top], 0x2000, name=DXE_NAME)


def aligned_volume():
    aligned = firmware_file(ALIGNED, ffs.DRIVER, section(sections.RAW, bytes(8)), attributes=5 << 3)  # 4 KiB
    return in_flash(volume([core(), driver(DRIVER_A), (0x1000 - 24, aligned)], name=DXE_NAME, align_log2=12),
                    length=0x10000)


def fixed_volume():
    return volume([core(), driver(DRIVER_A), firmware_file(FIXED, ffs.RAW, bytes(16), attributes=ffs.ATTRIB_FIXED)],
                  0x2000, name=DXE_NAME)


def big(guid):
    return driver(guid, 0x1000000, polarity=0)


INSERT = ("insert", "IMAGE", "-o", "OUT")
NEW_FFS = {"new.ffs": driver(NEW, polarity=0)}
CASES = [
    # Bad input: refused by every command that reads it.
    Case("not a firmware image", lambda: b"MZ" + bytes(5000),
         [(("list", "IMAGE"), 1, "not a firmware image"), (INSERT + ("new.ffs",), 1, "not a firmware image")],
         NEW_FFS),
    Case("volume header checksum", lambda: corrupt(base(), 50),
         [(("list", "IMAGE"), 1, "header checksum fails"), (("check", "IMAGE"), 1, "header checksum fails"),
          (("extract", "IMAGE", CORE, "-o", "OUT"), 1, "header checksum fails")]),
    Case("file header checksum", lambda: corrupt(base(), 0x48 + 16),
         [(("list", "IMAGE"), 1, "header checksum fails"), (INSERT + ("new.ffs",), 1, "header checksum fails")],
         NEW_FFS),
    Case("file runs past its volume", lambda: resealed(corrupt(base(), 0x48 + 22, 0x7F), 0x48),
         [(("list", "IMAGE"), 1, "truncated")]),
    Case("image cut short", lambda: base()[:0x2000], [(("list", "IMAGE"), 1, "truncated")]),
    Case("broken LZMA data", lambda: corrupt(base(), 0x48 + 24 + 0x18 + 13 + 20),
         [(("list", "IMAGE"), 1, "LZMA data does not decode"), (("check", "IMAGE"), 1, "LZMA data does not decode")]),
    Case("every problem checked, each on its line", lambda: corrupt(corrupt(base(), 0x48 + 16), 0x48 + 17),
         [(("check", "IMAGE"), 1, ("header checksum fails\n", "data checksum byte 0x55, not 0xAA\n", ": 2 problems"))]),
    # What the tool shows but does not open or change.
    Case("unknown compression", lambda: in_flash(dxe_volume(), lambda s: lzma_section(s, OTHER_GUID)),
         [(("list", "IMAGE"), 0, f"{OTHER_GUID}, opaque (unknown GUID: not opened)"),
          (("check", "IMAGE"), 0, "(1 not opened): 0 problems"),
          (INSERT + ("new.ffs",), 1, "could not be opened, first volume at 0x0: file")],
         NEW_FFS),
    Case("EFI standard compression",
         lambda: in_flash(dxe_volume(), lambda s: section(sections.COMPRESSION, len(s).to_bytes(4, "little") + b"\x01"
                                                          + bytes(8))),
         [(("list", "IMAGE"), 0, "EFI standard compression, 0x"), (INSERT + ("new.ffs",), 1, "could not be opened")],
         NEW_FFS),
    Case("block map disagrees with the length", lambda: dxe_volume(blocks=(0x4000, 0x10)),
         [(("list", "IMAGE"), 0, "warning: block map covers 0x40000 bytes"),
          (("check", "IMAGE"), 1, "block map covers"),
          (INSERT + ("new.ffs",), 1, "its block map disagrees with its length")],
         NEW_FFS),
    # The layout changes only where asked.
    Case("a new build replaces the file in its place", base,
         [(INSERT + ("a.ffs",), 0, "(a file replaced)")], {"a.ffs": driver(DRIVER_A, 0x400, polarity=0)},
         then=keeps_place),
    Case("the Volume Top File stays last", vtf_volume,
         [(INSERT + ("new.ffs",), 0, "0x2000 -> 0x2000 bytes"), (("check", "OUT"), 0, "0 problems")],
         NEW_FFS, then=top_file_stays),
    Case("no room before the Volume Top File", vtf_volume,
         [(INSERT + ("new.ffs",), 1, "is the Volume Top File at 0x1FA8")], {"new.ffs": driver(NEW, 0x2000, polarity=0)}),
    Case("a fixed file would move", fixed_volume,
         [(INSERT + ("a.ffs",), 1, "is fixed in place at 0x")], {"a.ffs": driver(DRIVER_A, 0x100, polarity=0)}),
    Case("a 4 KiB-aligned file keeps its place", aligned_volume,
         [(INSERT + ("a.ffs",), 0, "(a file replaced)"), (("check", "OUT"), 0, "0 problems")],
         {"a.ffs": driver(DRIVER_A, 0x400, polarity=0)}, then=aligned_file_stays),
    Case("a file aligned beyond its volume", base,
         [(INSERT + ("new.ffs",), 1, "beyond its volume's alignment of 0x10")],
         {"new.ffs": ffs.build(guids.parse(NEW), ffs.DRIVER, bytes(driver(NEW, polarity=0)[24:]), 0, 5 << 3)}),
    Case("a large file into an FFS2 volume", lambda: volume([core()], 0x1002000, block=0x1000, name=DXE_NAME),
         [(INSERT + ("big.ffs",), 1, "only an FFS3 volume may hold (limit 0xFFFFFF bytes)")], {"big.ffs": big(NEW)}),
    Case("a large file into an FFS3 volume",
         lambda: volume([core()], 0x1002000, block=0x1000, name=DXE_NAME, fs=support.FFS3),
         [(INSERT + ("big.ffs",), 0, "0x1002000 -> 0x1002000 bytes"), (("check", "OUT"), 0, "0 problems")],
         {"big.ffs": big(NEW)}),
    Case("insert, then remove", base,
         [(INSERT + ("new.ffs",), 0, "bytes free"), (("remove", "OUT", NEW, "-o", "BACK"), 0, "bytes free")],
         NEW_FFS, then=stock_files_again),
    Case("an LZMA header asking for a 100 MiB dictionary", lambda: with_dictionary(base(), 100 << 20),
         [(INSERT + ("new.ffs",), 0, "bytes free")], NEW_FFS, then=dictionary_capped),
    Case("no room in a flash volume", lambda: volume([core(), driver(DRIVER_A)], name=DXE_NAME),
         [(INSERT + ("new.ffs",), 1, "no room: the volume needs 0x")], NEW_FFS),
    Case("remove a file that is not there", base, [(("remove", "IMAGE", NEW, "-o", "OUT"), 1, "no file")]),
    # Bounded work.
    Case("unpacking past the limit", lambda: unpacking(0x200000),
         [(("list", "--max-unpacked", "1M", "IMAGE"), 1, "would pass the limit of 0x100000 bytes"),
          (("list", "--max-unpacked", "4M", "IMAGE"), 0, "size 0x200000")]),
    Case("16 volumes deep", lambda: nested_volumes(16), [(("list", "IMAGE"), 0, " volume 64074AFE")]),
    Case("sections nested 70 deep", lambda: nested_sections(70),
         [(("list", "IMAGE"), 1, "nested more than 64 deep"), (("check", "IMAGE"), 1, "nested more than 64 deep")]),
    Case("more items than the limit (1000 here)",
         lambda: volume([firmware_file(DRIVER_A, ffs.FREEFORM, section(sections.RAW, b"") * 1200)]),
         [(("list", "IMAGE"), 1, "more than 1000 volumes, files and sections")], max_items=1000),
    # Outputs that would put the input at risk.
    Case("output is the input", base, [(INSERT + ("new.ffs",), 1, "is the input")], NEW_FFS,
         output="the input"),
    Case("output is a hard link to the input", base, [(INSERT + ("new.ffs",), 1, "is the input")],
         NEW_FFS, output="a hard link to the input"),
    Case("output is a symbolic link to the input", base, [(("remove", "IMAGE", DRIVER_A, "-o", "OUT"), 1, "is the input")],
         output="a symbolic link to the input"),
    Case("output is a directory", base, [(INSERT + ("new.ffs",), 1, "is a directory")],
         NEW_FFS, output="a directory"),
    Case("output is a FIFO", base, [(("extract", "IMAGE", CORE, "-o", "OUT"), 1, "is a FIFO")], output="a FIFO"),
    Case("output is a symbolic link to another file", base, [(INSERT + ("new.ffs",), 0, "bytes free")],
         NEW_FFS, output="a symbolic link to another file", then=written_through_link),
]


def read(work, name):
    with open(os.path.join(work, name), "rb") as source:
        return source.read()


def shape(path):
    """What is at `path`: its kind, and a regular file's bytes."""
    if not os.path.lexists(path):
        return None
    mode = os.lstat(path).st_mode
    return (stat.S_IFMT(mode), os.readlink(path) if stat.S_ISLNK(mode) else
            read(os.path.dirname(path), os.path.basename(path)) if stat.S_ISREG(mode) else None)


class HandMadeImages(unittest.TestCase):
    def test_table(self):
        for case in CASES:
            with self.subTest(case.name), tempfile.TemporaryDirectory() as work, \
                    mock.patch.object(limits, "MAX_ITEMS", case.max_items):
                self.run_case(case, work)

    def run_case(self, case, work):
        image = os.path.join(work, "IMAGE")
        with open(image, "wb") as sink:
            sink.write(case.image())
        for name, raw in case.drivers.items():
            with open(os.path.join(work, name), "wb") as sink:
                sink.write(raw)
        out = make_output(case.output, work, image, os.path.join(work, "OUT"))
        paths = {"IMAGE": image, "OUT": out, "BACK": os.path.join(work, "BACK")}
        for arguments, status, texts in case.steps:
            argv = [paths.get(a, os.path.join(work, a) if a.endswith(".ffs") else a) for a in arguments]
            written = [argv[i + 1] for i, a in enumerate(argv) if a == "-o"]
            before, left = support.digest(image), [shape(p) for p in written]
            got, printed, err = support.run_here(*argv)
            self.assertEqual(got, status, f"{arguments[0]}: {err or printed}")
            for text in (texts,) if isinstance(texts, str) else texts:
                self.assertIn(text, printed + err, arguments[0])
            self.assertEqual(support.digest(image), before, f"{arguments[0]} changed its input")
            if status and arguments[0] != "check":
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertEqual([shape(p) for p in written], left, "a refused run touched its output")
            self.assertEqual([n for n in os.listdir(work) if n.startswith(".fwimage-")], [])
        if case.then:
            case.then(self, work)

    def test_a_closed_pipe_ends_the_listing_quietly(self):
        with tempfile.TemporaryDirectory() as work:
            image = os.path.join(work, "IMAGE")
            with open(image, "wb") as sink:
                sink.write(nested_volumes(3))
            read_end, write_end = os.pipe()
            os.close(read_end)
            import subprocess
            import sys
            done = subprocess.run([sys.executable, support.TOOL, "list", image], stdout=write_end, stderr=subprocess.PIPE)
            os.close(write_end)
            self.assertEqual((done.returncode, done.stderr), (141, b""))


if __name__ == "__main__":
    unittest.main()
