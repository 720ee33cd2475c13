"""Command line: depex, ffs, list, insert, extract. Bad input: one line on
stderr, exit status 1, nothing written (outputs go through a temporary file
renamed into place); misuse of the command line: status 2."""
import argparse
import os
import sys
import tempfile

from . import depex, ffs, guids, operations
from .errors import FwError

def _read(path, what):
    try:
        with open(path, "rb") as source:
            return source.read()
    except OSError as error:
        raise FwError(f"cannot read {what} {path}: {error.strerror}") from None


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def _write(path, data):
    """`data` to `path` through a temporary file in the same directory."""
    directory = os.path.dirname(os.path.abspath(path))
    temporary = None
    try:
        handle, temporary = tempfile.mkstemp(dir=directory, prefix=".fwimage-")
        os.fchmod(handle, 0o666 & ~_umask())  # as a plain open() would create it, not mkstemp's 0600
        with os.fdopen(handle, "wb") as sink:
            sink.write(data)
        os.replace(temporary, path)
    except OSError as error:
        if temporary and os.path.exists(temporary):
            os.unlink(temporary)
        raise FwError(f"cannot write {path}: {error.strerror}") from None


def _depex(args):
    _write(args.output, depex.all_of([guids.protocol(p) for p in args.protocol]))


def _ffs(args):
    program = _read(args.depex, "dependency expression") if args.depex else None
    if program is not None:
        depex.decode(program)
    pe32 = _read(args.pe32, "PE32 image")
    if pe32[:2] != b"MZ":
        raise FwError(f"{args.pe32}: not a PE32 image (no MZ header)")
    _write(args.output, ffs.driver(guids.parse(args.guid), pe32, program, args.ui, args.version))


def _list(args):
    print("\n".join(operations.listing(_read(args.image, "image"))))


def _insert(args):
    image = _read(args.image, "image")
    files = [(path, _read(path, "firmware file")) for path in args.files]
    volume_guid = guids.parse(args.volume) if args.volume else None
    out, report = operations.insert(image, files, volume_guid)
    _write(args.output, out)
    print("\n".join(report))


def _extract(args):
    _write(args.output, operations.extract(_read(args.image, "image"), guids.parse(args.guid)))


def parser():
    top = argparse.ArgumentParser(prog="fwimage", description="Firmware files and firmware images.")
    commands = top.add_subparsers(dest="command", required=True)

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
    command.add_argument("--version")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_ffs)

    command = commands.add_parser("list", help="volumes, files and sections of an image")
    command.add_argument("image")
    command.set_defaults(run=_list)

    command = commands.add_parser("insert", help="put driver files into the image's DXE volume")
    command.add_argument("image")
    command.add_argument("files", nargs="+", metavar="FILE.ffs")
    command.add_argument("-o", "--output", required=True)
    command.add_argument("--volume", help="GUID of the target volume (default: the DXE volume)")
    command.set_defaults(run=_insert)

    command = commands.add_parser("extract", help="one file of the image, by GUID")
    command.add_argument("image")
    command.add_argument("guid")
    command.add_argument("-o", "--output", required=True)
    command.set_defaults(run=_extract)
    return top


def main(argv=None):
    args = parser().parse_args(argv)
    try:
        args.run(args)
    except FwError as error:
        print(f"fwimage: {error}", file=sys.stderr)
        return 1
    return 0
