# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The tool on Debian's AArch64 emulator firmware: its driver files rebuilt
byte for byte, insert/list/extract round trips, replacing a file, and every
kind of bad input refused with the input untouched and nothing written."""
import os
import re
import tempfile
import unittest

import support
from fwimage import codecs, depex, errors, ffs, guids, layout, lzma_section, nodes, operations, sections, volume


@support.needs_stock
class StockLayout(unittest.TestCase):
    def test_the_volumes_found_by_hand(self):
        dxe, outer = support.stock_dxe(), support.outer_volume()
        self.assertEqual((outer.offset, outer.length, outer.header.polarity), (0x1000, 0x1FF000, 1))
        self.assertEqual((dxe.length, dxe.free, dxe.header.polarity), (0x76FC00, 0x14, 1))
        self.assertGreater(outer.free, 0xB5000)
        self.assertEqual(support.above(dxe, nodes.File).name, support.COMPRESSED_FILE)
        guided = support.above(dxe, nodes.Section).parent
        info = guided.info
        self.assertEqual((info.guid, info.data_offset, info.attributes), (codecs.LZMA.guid, 0x18, 1))
        self.assertEqual(lzma_section.header(guided.payload)[0], 0x5D)     # lc=3, lp=0, pb=2

    def test_driver_files_rebuild_byte_for_byte(self):
        """Every driver file's sections and header, rebuilt from what the
        tool read, give the stored bytes; so do the volume's header and the
        GUID-defined section around it."""
        dxe = support.stock_dxe()
        drivers = [f for f in dxe.files() if f.type == ffs.DRIVER]
        self.assertGreater(len(drivers), 50)
        for file in drivers:
            with self.subTest(guids.text(file.name)):
                parts = sections.parse(file.data, "")
                data = sections.join([sections.build(s.type, s.body) for s in parts])
                self.assertEqual(data, file.data)
                self.assertEqual(ffs.rebuilt(file, bytes(data), dxe.header.polarity), file.raw)
                depex_parts = [s for s in parts if s.type == sections.DXE_DEPEX]
                if depex_parts:
                    self.assertEqual(depex.decode(depex_parts[0].body)[-1], "END")
        self.assertEqual(volume.header_bytes(dxe.raw, dxe.header, dxe.length), dxe.raw[:dxe.header.header_length])
        guided = support.above(dxe, nodes.Section).parent
        self.assertEqual(sections.build_guid_defined(guided.info, bytes(guided.payload)), guided.raw)

    def test_files_that_run_in_place_keep_their_offsets(self):
        """The PEI core grown in the flash volume: by less than the pad file
        after it, the next PEIM stays where it runs; by more, it is refused."""
        outer = support.outer_volume()
        files = list(outer.files())
        pei_core = files[1]
        self.assertEqual(pei_core.type, ffs.PEI_CORE)
        for growth, fits in ((0x100, True), (0x1000, False)):
            with self.subTest(growth=growth):
                bigger = ffs.rebuilt(pei_core, bytes(pei_core.data) + bytes(growth), outer.header.polarity)
                entries = layout.plan_replace(files, 1, bigger)
                if fits:
                    raw = layout.lay_out(outer, files, entries, grow=False)
                    self.assertEqual(raw[files[3].offset:], outer.raw[files[3].offset:])
                else:
                    with self.assertRaisesRegex(errors.FwError, "would have to move"):
                        layout.lay_out(outer, files, entries, grow=False)


def write(path, data):
    with open(path, "wb") as sink:
        sink.write(data)
    return path


def driver_file(work, name, body=bytes(0x2000), guid=support.DRIVER_GUID):
    pe32 = b"MZ" + body
    program = depex.all_of([guids.protocol("EFI_HII_DATABASE_PROTOCOL_GUID")])
    return write(os.path.join(work, name), ffs.driver(guids.parse(guid), pe32, program, name))


def read(path):
    with open(path, "rb") as source:
        return source.read()


@support.needs_stock
class RoundTrips(unittest.TestCase):
    def test_insert_list_extract_then_replace(self):
        with tempfile.TemporaryDirectory() as work:
            first = driver_file(work, "first.ffs")
            other = driver_file(work, "other.ffs", guid="D743C962-01A5-4D38-AF6E-9CE2B39173EE")
            once = os.path.join(work, "once.fd")
            status, out, err = support.run("insert", support.STOCK, first, other, "-o", once)
            self.assertEqual(status, 0, err)
            self.assertRegex(out, r"this insert costs \d+ compressed bytes")
            self.assertEqual(os.path.getsize(once), len(support.stock()))

            status, listing, _ = support.run("list", once)
            names = re.findall(r"^\s*file (\S+) DRIVER .*\"(\w+)\.ffs\"$", listing, re.M)
            self.assertEqual(names, [(support.DRIVER_GUID, "first"),
                                     ("D743C962-01A5-4D38-AF6E-9CE2B39173EE", "other")])
            back = os.path.join(work, "back.ffs")
            self.assertEqual(support.run("extract", once, support.DRIVER_GUID, "-o", back)[0], 0)
            self.assertEqual(read(back), read(first))

            # A new build of the same file replaces the old one, in place of it.
            second = driver_file(work, "second.ffs", b"new build" * 0x400)
            twice = os.path.join(work, "twice.fd")
            self.assertEqual(support.run("insert", once, second, "-o", twice)[0], 0)
            dxe = operations.survey(read(twice), None, None).target
            files = [f for f in dxe.files()]
            ours = [f for f in files if guids.text(f.name) == support.DRIVER_GUID]
            self.assertEqual([ffs.with_polarity(f.raw, 0) for f in ours], [read(second)])
            tail = [guids.text(f.name) for f in files[-2:]]
            self.assertEqual(tail, [support.DRIVER_GUID, "D743C962-01A5-4D38-AF6E-9CE2B39173EE"])
            stock_files = list(support.stock_dxe().files())
            self.assertEqual([f.raw for f in files[:-2]], [f.raw for f in stock_files])
            # Everything outside the compressed file's volume is as it was.
            self.assertEqual(read(twice)[0x200000:], support.stock()[0x200000:])

    def test_insert_into_a_volume_in_flash(self):
        """The DXE volume laid uncompressed in flash, named by --volume: the
        file goes into its free space and the volume keeps its length; with
        no free space it is refused."""
        dxe = support.stock_dxe()
        roomy = (volume.header_bytes(dxe.raw, dxe.header, dxe.length + 0x4000) + dxe.raw[dxe.header.header_length:]
                 + b"\xff" * 0x4000)
        with tempfile.TemporaryDirectory() as work:
            driver = read(driver_file(work, "flash.ffs"))
        for raw, fits in ((roomy, True), (dxe.raw, False)):
            image = bytes(0x1000) + raw
            with self.subTest(fits=fits):
                if not fits:
                    with self.assertRaisesRegex(errors.FwError, "no room"):
                        operations.insert(image, [("flash.ffs", driver)], dxe.name)
                    continue
                out, report = operations.insert(image, [("flash.ffs", driver)], dxe.name)
                self.assertEqual(len(out), len(image))
                self.assertEqual(out[:0x1000 + dxe.free_start], image[:0x1000 + dxe.free_start])
                self.assertEqual(operations.extract(out, guids.parse(support.DRIVER_GUID)), driver)
                self.assertNotIn("LZMA", " ".join(report))


class CommandLine(unittest.TestCase):
    def test_command_line_misuse(self):
        self.assertEqual(support.run("insert", support.STOCK)[0], 2)
        self.assertEqual(support.run("depex", "--protocol", "NOT_A_PROTOCOL", "-o", "/nonexistent/x")[0], 1)


if __name__ == "__main__":
    unittest.main()
