"""Mutation sweep over the stock emulator firmware's headers: each header
byte is changed (all bits, then the lowest bit flipped) and the image read
again. Every mutated image must be refused with the tool's error or read
whole; any other exception fails the sweep. The outer image is read through
the whole walk (decompression of an unchanged payload is memoised); the
headers inside the compressed volume are mutated in the decompressed
volume directly, read, and grown by one file as `insert` does."""
import sys
import time
import unittest
from collections import Counter
from unittest import mock

import support
from fwimage import depex, errors, ffs, guids, lzma_section, operations, sections, volume, walk

MUTATIONS = (lambda b: b ^ 0xFF, lambda b: b ^ 0x01)
INNER_FILE_STRIDE = 8       # every 8th file of the DXE volume, and the first and last


def section_spans(data, base):
    """(offset, size) of each section header of a file's data."""
    spans, at = [], 0
    for s in sections.parse(data, ""):
        at = sections.align(at, sections.ALIGNMENT)
        spans.append((base + at, s.header_size))
        at += len(s.raw)
    return spans


def file_spans(vol, base, files):
    heads, sects = [], []
    for at, file in files:
        heads.append((base + at, file.header_size))
        if file.type in walk.SECTIONED:
            sects += section_spans(file.data, base + at + file.header_size)
    return heads, sects


def outer_kinds(found, dxe):
    outer, base = found[0].volume, found[0].path[0][1]
    holder_index = dxe.path[1][1]
    chosen = outer.files[:4] + [outer.files[holder_index]]
    heads, sects = file_spans(outer, base, chosen)
    guided_at = base + outer.files[holder_index][0] + ffs.HEADER
    return [("outer volume header", [(base, outer.header_length)]),
            ("outer file headers", heads),
            ("outer section headers", sects),
            ("GUID-defined section header", [(guided_at, 0x18)]),
            ("LZMA header", [(guided_at + 0x18, lzma_section.HEADER)])]


def inner_kinds(vol):
    chosen = vol.files[::INNER_FILE_STRIDE] + vol.files[-1:]
    heads, sects = file_spans(vol, 0, chosen)
    ext = struct_ext(vol)
    return [("inner volume header", [(0, vol.header_length)] + ext),
            ("inner file headers", heads),
            ("inner section headers", sects)]


def struct_ext(vol):
    ext_offset = int.from_bytes(vol.raw[52:54], "little")
    return [(ext_offset, 20)] if ext_offset else []


def read_outer(image):
    operations.listing(image)


def read_inner(raw, driver):
    vol = volume.parse(raw, 0, "inner")
    walk.volume_tree(vol, (), "inner", [])
    grown, _ = volume.with_files(vol, len(vol.files), [driver], grow=True)
    assert volume.parse(grown, 0, "grown").files[-1][1].raw == driver


@support.needs_stock
class MutationSweep(unittest.TestCase):
    def sweep(self, buffer, kinds, read, counts):
        unexpected = []
        for kind, spans in kinds:
            for start, size in spans:
                for at in range(start, start + size):
                    original = buffer[at]
                    for mutate in MUTATIONS:
                        buffer[at] = mutate(original)
                        try:
                            read(buffer)
                            counts[kind, "handled"] += 1
                        except errors.FwError:
                            counts[kind, "refused"] += 1
                        except Exception as error:  # the sweep's finding
                            unexpected.append(f"{kind} byte 0x{at:X}={buffer[at]:02X}: {error!r}")
                    buffer[at] = original
        return unexpected

    def test_every_mutation_refused_or_read(self):
        started = time.monotonic()
        found, dxe = support.stock_dxe()
        counts = Counter()
        decoded = {}
        real = lzma_section.decompress

        def memoised(payload, where):
            key = bytes(payload)
            if key not in decoded:
                decoded[key] = real(payload, where)
            return decoded[key]

        with mock.patch.object(lzma_section, "decompress", memoised):
            unexpected = self.sweep(bytearray(support.stock()), outer_kinds(found, dxe), read_outer, counts)
        driver = ffs.with_polarity(ffs.driver(guids.parse(support.DRIVER_GUID), b"MZ" + bytes(64),
                                              depex.all_of([]), "Sweep"), 1)
        unexpected += self.sweep(bytearray(dxe.volume.raw), inner_kinds(dxe.volume),
                                 lambda raw: read_inner(raw, driver), counts)
        kinds = sorted({kind for kind, _ in counts})
        for kind in kinds:
            print(f"{kind}: {counts[kind, 'refused'] + counts[kind, 'handled']} mutations, "
                  f"{counts[kind, 'refused']} refused, {counts[kind, 'handled']} read", file=sys.stderr)
        print(f"sweep: {sum(counts.values())} mutations in {time.monotonic() - started:.1f} s", file=sys.stderr)
        self.assertEqual(unexpected, [])
        for kind in kinds:    # each kind both refuses (checksums) and reads (state, reserved bytes)
            self.assertGreater(counts[kind, "refused"], 0, kind)


if __name__ == "__main__":
    unittest.main()
