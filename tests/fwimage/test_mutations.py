# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Mutation sweep over the stock emulator firmware's headers: each header
byte is changed (all bits, then the lowest bit flipped) and the image read
again; in volume and file headers each change is tried once more with the
header's checksum made right again, so that the checks behind the checksum
are reached. Every mutated image must be refused with the tool's error or
read whole; any other exception fails the sweep. The outer image is read through
the whole walk (decompression of an unchanged payload is memoised), cut
after its first volume: the rest of the flash is empty and only costs a
scan per read; the
headers inside the compressed volume are mutated in the decompressed
volume directly, read, and grown by one file as `insert` does."""
import sys
import time
import unittest
from collections import Counter
from unittest import mock

import support
from fwimage import codecs, depex, errors, ffs, guids, layout, lzma_section, nodes, operations, sections

MUTATIONS = (lambda b: b ^ 0xFF, lambda b: b ^ 0x01)
FIRST_VOLUME_END = 0x200000
INNER_FILE_STRIDE = 16      # every 16th file of the DXE volume from the first, and the last


def section_spans(data, base):
    """(offset, size) of each section header of a file's data."""
    return [(base + at, head) for at, _, head, _ in sections.headers(data)]


def file_spans(files, base):
    heads, sects = [], []
    for file in files:
        heads.append((base + file.offset, file.header_size))
        if file.type in nodes.SECTIONED:
            sects += section_spans(file.data, base + file.offset + file.header_size)
    return heads, sects


def reseal_volume(buffer, start, size):
    buffer[start + 50:start + 52] = b"\0\0"
    total = sum(int.from_bytes(buffer[at:at + 2], "little") for at in range(start, start + size, 2))
    buffer[start + 50:start + 52] = (-total & 0xFFFF).to_bytes(2, "little")


def reseal_file(buffer, start, size):
    buffer[start + 16] = 0
    buffer[start + 16] = ffs.checksum8(buffer[start:start + 16] + buffer[start + 18:start + 23] + buffer[start + 24:start + size])


def outer_kinds(dxe, outer):
    files = list(outer.files())
    holder = support.above(dxe, nodes.File)
    heads, sects = file_spans(files[:4] + [holder], outer.offset)
    guided_at = outer.offset + holder.offset + ffs.HEADER
    return [("outer volume header", [(outer.offset, outer.header.header_length)], reseal_volume),
            ("outer file headers", heads, reseal_file),
            ("outer section headers", sects, None),
            ("GUID-defined section header", [(guided_at, 0x18)], None),
            ("LZMA header", [(guided_at + 0x18, lzma_section.HEADER)], None)]


def inner_kinds(vol):
    files = list(vol.files())
    heads, sects = file_spans(files[::INNER_FILE_STRIDE] + files[-1:], 0)
    ext_offset = int.from_bytes(vol.raw[52:54], "little")
    return [("inner volume header", [(0, vol.header.header_length)], reseal_volume),
            ("inner extended header", [(ext_offset, 20)] if ext_offset else [], None),
            ("inner file headers", heads, reseal_file),
            ("inner section headers", sects, None)]


def read_outer(image):
    operations.listing(image, lambda line: None)


def volume_at_0(raw):
    return nodes.Volume(nodes.Reader(), nodes.Image(nodes.Reader(), raw), raw, 0, 0, 0)


def read_inner(raw, driver):
    """The DXE volume alone read whole (as an image of one volume), then
    grown by one file as `insert` does."""
    operations.listing(raw, lambda line: None)
    vol = volume_at_0(raw)
    files = list(vol.files())
    grown = volume_at_0(layout.lay_out(vol, files, files + [driver], grow=True))
    assert list(grown.files())[-1].raw == driver


@support.needs_stock
class MutationSweep(unittest.TestCase):
    def sweep(self, buffer, kinds, read, counts):
        unexpected = []
        for kind, spans, reseal in kinds:
            for start, size in spans:
                header = bytes(buffer[start:start + size])
                for at in range(start, start + size):
                    for mutate in MUTATIONS:
                        for sealed in (False, True) if reseal else (False,):
                            buffer[at] = mutate(header[at - start])
                            if sealed:
                                reseal(buffer, start, size)
                            try:
                                read(buffer)
                                counts[kind, "read"] += 1
                            except errors.FwError:
                                counts[kind, "refused"] += 1
                            except Exception as error:  # the sweep's finding
                                unexpected.append(f"{kind} byte 0x{at:X}={buffer[at]:02X} sealed={sealed}: {error!r}")
                            buffer[start:start + size] = header
        return unexpected

    def test_every_mutation_refused_or_read(self):
        started = time.monotonic()
        dxe, outer = support.stock_dxe(), support.outer_volume()
        counts = Counter()
        decoded = {}
        real = codecs.LZMA.decode

        def memoised(payload, budget, where):
            key = bytes(payload)
            if key not in decoded:
                decoded[key] = real(payload, budget, where)
            return decoded[key]

        with mock.patch.object(codecs.LZMA, "decode", memoised):
            flash = bytearray(support.stock()[:FIRST_VOLUME_END])
            unexpected = self.sweep(flash, outer_kinds(dxe, outer), read_outer, counts)
        driver = ffs.with_polarity(ffs.driver(guids.parse(support.DRIVER_GUID), b"MZ" + bytes(64),
                                              depex.all_of([]), "Sweep"), 1)
        unexpected += self.sweep(bytearray(dxe.raw), inner_kinds(dxe),
                                 lambda raw: read_inner(raw, driver), counts)
        kinds = sorted({kind for kind, _ in counts})
        for kind in kinds:
            print(f"{kind}: {counts[kind, 'refused'] + counts[kind, 'read']} mutations, "
                  f"{counts[kind, 'refused']} refused, {counts[kind, 'read']} read", file=sys.stderr)
        print(f"sweep: {sum(counts.values())} mutations in {time.monotonic() - started:.1f} s", file=sys.stderr)
        self.assertEqual(unexpected, [], "\n".join(unexpected))
        for kind in kinds:    # each kind both refuses (checksums) and reads (state, reserved bytes)
            self.assertGreater(counts[kind, "refused"], 0, kind)


if __name__ == "__main__":
    unittest.main()
