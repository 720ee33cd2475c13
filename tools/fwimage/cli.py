# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Command line: depex, ffs, list, check, insert, remove, extract. Bad
input: one line on stderr, exit status 1, nothing written (see output.py
for how outputs are written); misuse of the command line: status 2; a
problem `check` finds: status 1; standard output closed early (a pager or
`head` quitting): status 141, quietly."""
import argparse
import os
import re
import sys

from . import depex, ffs, guids, operations, output
from .errors import FwError
from .limits import DEFAULT_UNPACKED, Budget

_SIZE = re.compile(r"(\d+)([KMG]?)(i?B)?", re.I)


def _size(text):
    """A byte count: 1048576, 512K, 256M, 1G (binary units)."""
    found = _SIZE.fullmatch(text.strip())
    if not found:
        raise argparse.ArgumentTypeError(f"not a size: {text!r}")
    return int(found.group(1)) << {"": 0, "K": 10, "M": 20, "G": 30}[found.group(2).upper()]


def _build_number(text):
    """A VERSION section's build number: 0..65535."""
    if not (text.isascii() and text.isdigit()) or int(text) > 0xFFFF:
        raise argparse.ArgumentTypeError(f"not a build number 0..65535: {text!r}")
    return int(text)


def _read(path, what):
    try:
        with open(path, "rb") as source:
            return source.read()
    except OSError as error:
        raise FwError(f"cannot read {what} {path}: {error.strerror}") from None


def _depex(args):
    output.write(args.output, depex.all_of([guids.protocol(p) for p in args.protocol]))


def _ffs(args):
    inputs = [args.pe32] + ([args.depex] if args.depex else [])
    output.target(args.output, inputs)
    program = _read(args.depex, "dependency expression") if args.depex else None
    if program is not None:
        depex.decode(program)
    pe32 = _read(args.pe32, "PE32 image")
    if pe32[:2] != b"MZ":
        raise FwError(f"{args.pe32}: not a PE32 image (no MZ header)")
    if args.build_number is not None and args.version is None:
        raise FwError("--build-number belongs to a VERSION section: give --version too")
    file = ffs.driver(guids.parse(args.guid), pe32, program, args.ui, args.version, args.build_number or 0)
    output.write(args.output, file, inputs)


def _list(args):
    operations.listing(_read(args.image, "image"), print, Budget(args.max_unpacked))


def _check(args):
    problems, counts = operations.check(_read(args.image, "image"), print, Budget(args.max_unpacked))
    print(f"checked {counts['volumes']} volumes, {counts['files']} files, {counts['sections']} sections "
          f"({counts['not opened']} not opened): {problems} problems")
    return 1 if problems else 0


def _edit(args, run):
    inputs = [args.image] + getattr(args, "files", [])
    output.target(args.output, inputs)
    volume = guids.parse(args.volume) if args.volume else None
    out, report = run(_read(args.image, "image"), volume, Budget(args.max_unpacked))
    output.write(args.output, out, inputs)
    print("\n".join(report))


def _insert(args):
    files = [(path, _read(path, "firmware file")) for path in args.files]
    _edit(args, lambda image, volume, budget: operations.insert(image, files, volume, budget))


def _remove(args):
    names = [guids.parse(text) for text in args.guids]
    _edit(args, lambda image, volume, budget: operations.remove(image, names, volume, budget))


def _extract(args):
    output.target(args.output, [args.image])
    found = operations.extract(_read(args.image, "image"), guids.parse(args.guid), Budget(args.max_unpacked))
    output.write(args.output, found, [args.image])


def parser():
    top = argparse.ArgumentParser(prog="fwimage", description="Firmware files and firmware images.")
    commands = top.add_subparsers(dest="command", required=True)
    unpacked = argparse.ArgumentParser(add_help=False)
    unpacked.add_argument("--max-unpacked", type=_size, default=DEFAULT_UNPACKED, metavar="SIZE",
                          help=f"bytes one read of the image may unpack, all sections together "
                               f"(default {DEFAULT_UNPACKED >> 20}M)")
    volume = argparse.ArgumentParser(add_help=False)
    volume.add_argument("--volume", help="GUID of the target volume (default: the DXE volume)")

    command = commands.add_parser("depex", help="DXE dependency expression: all protocols installed")
    command.add_argument("--protocol", action="append", default=[],
                         help="constant name in platform/guids.h, or a GUID")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_depex)

    command = commands.add_parser("ffs", help="DXE driver firmware file")
    command.add_argument("--guid", required=True)
    command.add_argument("--pe32", required=True)
    command.add_argument("--depex")
    command.add_argument("--ui", required=True, help="the file's user-interface name")
    command.add_argument("--version", help="text of a VERSION section (none without it)")
    command.add_argument("--build-number", type=_build_number, help="the VERSION section's build number (default 0)")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_ffs)

    command = commands.add_parser("list", parents=[unpacked], help="volumes, files and sections of an image")
    command.add_argument("image")
    command.set_defaults(run=_list)

    command = commands.add_parser("check", parents=[unpacked],
                                  help="every rule the tool knows, over the whole image; exit 1 on any problem")
    command.add_argument("image")
    command.set_defaults(run=_check)

    command = commands.add_parser("insert", parents=[unpacked, volume],
                                  help="put driver files into the image's DXE volume")
    command.add_argument("image")
    command.add_argument("files", nargs="+", metavar="FILE.ffs")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_insert)

    command = commands.add_parser("remove", parents=[unpacked, volume],
                                  help="take files out of the image's DXE volume, by GUID")
    command.add_argument("image")
    command.add_argument("guids", nargs="+", metavar="GUID")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_remove)

    command = commands.add_parser("extract", parents=[unpacked], help="one file of the image, by GUID")
    command.add_argument("image")
    command.add_argument("guid")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_extract)
    return top


def main(argv=None):
    args = parser().parse_args(argv)
    try:
        return args.run(args) or 0
    except FwError as error:
        print(f"fwimage: {error}", file=sys.stderr)
        return 1
    except BrokenPipeError:
        # Nothing more can reach the reader; keep the interpreter's final
        # flush from complaining about it.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 141
