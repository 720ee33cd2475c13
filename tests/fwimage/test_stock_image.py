"""The tool on Debian's AArch64 emulator firmware: its driver files rebuilt
byte for byte, insert/list/extract round trips, replacing a file, and every
kind of bad input refused with the input untouched and nothing written."""
import os
import re
import struct
import tempfile
import unittest

import support
from fwimage import depex, errors, ffs, guids, lzma_section, operations, sections, volume, walk


@support.needs_stock
class StockLayout(unittest.TestCase):
    def test_the_volumes_found_by_hand(self):
        found, dxe = support.stock_dxe()
        outer = found[0].volume
        self.assertEqual((found[0].path, outer.length, outer.polarity), ((("image", 0x1000),), 0x1FF000, 1))
        self.assertEqual((dxe.volume.length, dxe.volume.free, dxe.volume.polarity), (0x76FC00, 0x14, 1))
        self.assertGreater(outer.free, 0xB5000)
        holder = outer.files[dxe.path[1][1]][1]
        self.assertEqual(holder.name, support.COMPRESSED_FILE)
        info, payload = sections.guid_defined(sections.parse(holder.data, "")[0])
        self.assertEqual((info.guid, info.data_offset, info.attributes), (guids.LZMA, 0x18, 1))
        self.assertEqual(lzma_section.header(payload)[0], 0x5D)     # lc=3, lp=0, pb=2

    def test_driver_files_rebuild_byte_for_byte(self):
        """Every driver file's sections and header, rebuilt from what the
        tool read, give the stored bytes; so do the volume's header and the
        GUID-defined section around it."""
        found, dxe = support.stock_dxe()
        drivers = [f for _, f in dxe.volume.files if f.type == ffs.DRIVER]
        self.assertGreater(len(drivers), 50)
        for file in drivers:
            with self.subTest(guids.text(file.name)):
                parts = sections.parse(file.data, "")
                data = sections.join([sections.build(s.type, s.body) for s in parts])
                self.assertEqual(data, file.data)
                self.assertEqual(ffs.rebuilt(file, data, dxe.volume.polarity), file.raw)
                depex_parts = [s for s in parts if s.type == sections.DXE_DEPEX]
                if depex_parts:
                    self.assertEqual(depex.decode(depex_parts[0].body)[-1], "END")
        self.assertEqual(volume.header_bytes(dxe.volume, dxe.volume.length), dxe.volume.raw[:dxe.volume.header_length])
        outer = found[0].volume
        guided = sections.parse(outer.files[dxe.path[1][1]][1].data, "")[0]
        info, payload = sections.guid_defined(guided)
        self.assertEqual(sections.build_guid_defined(info, payload), guided.raw)

    def test_files_that_run_in_place_keep_their_offsets(self):
        """The PEI core grown in the flash volume: by less than the pad file
        after it, the next PEIM stays where it runs; by more, it is refused."""
        outer = support.stock_dxe()[0][0].volume
        pei_core = outer.files[1][1]
        self.assertEqual(pei_core.type, ffs.PEI_CORE)
        for growth, fits in ((0x100, True), (0x1000, False)):
            with self.subTest(growth=growth):
                bigger = ffs.rebuilt(pei_core, pei_core.data + bytes(growth), outer.polarity)
                files = [bigger] + volume.kept_files(outer, 2)
                if fits:
                    raw = volume.with_files(outer, 1, files, grow=False)
                    self.assertEqual(raw[outer.files[3][0]:], outer.raw[outer.files[3][0]:])
                else:
                    with self.assertRaisesRegex(errors.FwError, "runs in place"):
                        volume.with_files(outer, 1, files, grow=False)


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
            found = walk.walk(read(twice))
            dxe = walk.dxe_volume(found).volume
            ours = [f for _, f in dxe.files if guids.text(f.name) == support.DRIVER_GUID]
            self.assertEqual([ffs.with_polarity(f.raw, 0) for f in ours], [read(second)])
            tail = [guids.text(f.name) for _, f in dxe.files[-2:]]
            self.assertEqual(tail, ["D743C962-01A5-4D38-AF6E-9CE2B39173EE", support.DRIVER_GUID])
            stock_dxe = support.stock_dxe()[1].volume
            self.assertEqual([f.raw for _, f in dxe.files[:-2]], [f.raw for _, f in stock_dxe.files])
            # Everything outside the compressed file's volume is as it was.
            self.assertEqual(read(twice)[0x200000:], support.stock()[0x200000:])


    def test_insert_into_a_volume_in_flash(self):
        """The DXE volume laid uncompressed in flash, named by --volume: the
        file goes into its free space and the volume keeps its length; with
        no free space it is refused."""
        dxe = support.stock_dxe()[1].volume
        roomy = volume.header_bytes(dxe, dxe.length + 0x4000) + dxe.raw[dxe.header_length:] + b"\xff" * 0x4000
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


def corrupt(image, at, value=None, fix_file_header=None):
    out = bytearray(image)
    out[at] = value if value is not None else out[at] ^ 0xFF
    if fix_file_header is not None:
        out[fix_file_header + 16] = 0
        out[fix_file_header + 16] = ffs.checksum8(out[fix_file_header:fix_file_header + 16] +
                                                  out[fix_file_header + 18:fix_file_header + 23])
    return bytes(out)


@support.needs_stock
class BadInputRefused(unittest.TestCase):
    """Each bad input: exit status 1, one line on stderr, the input as it
    was and no output file. Images are the stock image cut after its first
    volume (the rest of the flash is empty and plays no part)."""

    def cases(self):
        image = support.stock()[:0x200000]
        found, dxe = support.stock_dxe()
        outer_at = 0x1000
        holder_at = outer_at + found[0].volume.files[dxe.path[1][1]][0]
        guided_at = holder_at + ffs.HEADER
        big_size = struct.pack("<I", 0x1FFFFF)[:3]
        truncated = bytearray(image)
        truncated[holder_at + 20:holder_at + 23] = big_size
        return [
            ("not a firmware image", "image", b"MZ" + bytes(5000), "not a firmware image"),
            ("volume header checksum", "image", corrupt(image, outer_at + 50), "header checksum fails"),
            ("file header checksum", "image", corrupt(image, holder_at + 16), "header checksum fails"),
            ("truncated file", "image", corrupt(bytes(truncated), holder_at + 20, 0xFF, holder_at), "truncated"),
            ("truncated image", "image", image[:holder_at + 0x1000], "truncated"),
            ("unknown compression GUID", "image", corrupt(image, guided_at + 4), "unknown compression GUID"),
            ("broken LZMA data", "image", corrupt(image, guided_at + 0x18 + 13 + 100), "LZMA"),
            ("no room", "driver", 0x100000, "no room"),
        ]

    def test_refused(self):
        with tempfile.TemporaryDirectory() as work:
            good = driver_file(work, "good.ffs")
            for name, kind, data, message in self.cases():
                with self.subTest(name):
                    image = support.STOCK
                    driver = good
                    if kind == "image":
                        image = write(os.path.join(work, "bad.fd"), data)
                    else:
                        driver = driver_file(work, "big.ffs", os.urandom(data))    # incompressible
                    before = support.digest(image)
                    out = os.path.join(work, "out.fd")
                    commands = [("insert", image, driver, "-o", out)]
                    if kind == "image":
                        commands += [("list", image), ("extract", image, support.DRIVER_GUID, "-o", out)]
                    for command in commands:
                        status, printed, err = support.run(*command)
                        self.assertEqual((status, printed, len(err.splitlines())), (1, "", 1), (command[0], err))
                        self.assertIn(message, err, command[0])
                        self.assertFalse(os.path.exists(out))
                        self.assertEqual(sorted(n for n in os.listdir(work) if n.startswith(".")), [])
                    self.assertEqual(support.digest(image), before)

    def test_command_line_misuse(self):
        self.assertEqual(support.run("insert", support.STOCK)[0], 2)
        self.assertEqual(support.run("depex", "--protocol", "NOT_A_PROTOCOL", "-o", "/nonexistent/x")[0], 1)


if __name__ == "__main__":
    unittest.main()
