# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The release archive as an integrator gets it: made with cpack into a
scratch folder, unpacked with tar, checked with `sha256sum -c`, its file
list against what a release holds, its drivers against the build's, and
the unpacked image tool at work on its own: it makes the emulator board's
dependency expression again from its protocol names (read from the
archive's platform/guids.h) and inserts that board's .ffs into the stock
AAVMF image, whose listing then shows the file with its version (skipped
without AAVMF).

Usage: archive_test.py --cpack CPACK --config CPackConfig.cmake --name sysinfo-X.Y.Z
           --version X.Y.Z --build-number N --image-dir DIR --guid GUID [--signed]
           --boards BOARD... --protocols NAME...   (the emulator board's)
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
STOCK = "/usr/share/AAVMF/AAVMF_CODE.fd"
EMULATOR_BOARD = "qemu-virt"


def run(*command, cwd=None):
    done = subprocess.run([str(part) for part in command], cwd=cwd, capture_output=True, text=True, timeout=300)
    if done.returncode:
        raise RuntimeError(f"{' '.join(map(str, command))}: exit {done.returncode}: {done.stderr.strip()}")
    return done.stdout


def expected_files(args):
    """Every file a release holds, by its path in the top folder."""
    kinds = [".efi", ".depex", ".ffs"] + ([".signed.efi"] if args.signed else [])
    tool_package = [f"tools/fwimage/{name}" for name in os.listdir(os.path.join(ROOT, "tools", "fwimage"))
                    if name.endswith(".py")]
    return sorted(["CHANGELOG.md", "LICENSE", "SHA256SUMS", "SHIPPING.md", "docs/flash.md", "platform/guids.h",
                   "tools/fwimage.py", *tool_package] +
                  [f"drivers/sysinfo-{board}{kind}" for board in args.boards for kind in kinds])


def files_under(top):
    return sorted(os.path.relpath(os.path.join(folder, name), top)
                  for folder, _, names in os.walk(top) for name in names)


def read(path):
    with open(path, "rb") as source:
        return source.read()


def unpacked_tool(args, top, work):
    """The unpacked tool's depex and, with AAVMF, its insert and list."""
    tool = os.path.join(top, "tools", "fwimage.py")
    drivers = os.path.join(top, "drivers")
    depex = os.path.join(work, "again.depex")
    run(sys.executable, tool, "depex", *[f"--protocol={name}" for name in args.protocols], "-o", depex, cwd=work)
    checks = [("unpacked tool makes the emulator board's .depex again",
               read(depex) == read(os.path.join(drivers, f"sysinfo-{EMULATOR_BOARD}.depex")))]
    if not os.path.exists(STOCK):
        print(f"skipped: insert into {STOCK} (not installed)")
        return checks
    flash = os.path.join(work, "flash.fd")
    run(sys.executable, tool, "insert", STOCK, os.path.join(drivers, f"sysinfo-{EMULATOR_BOARD}.ffs"), "-o", flash,
        cwd=work)
    listing = run(sys.executable, tool, "list", flash, cwd=work)
    ours = re.search(rf"^ *file {args.guid} DRIVER .*\n((?: +section .*\n)+)", listing, re.M)
    version = f'section VERSION at 0x[0-9A-F]+ size 0x[0-9A-F]+ "{re.escape(args.version)}" build {args.build_number}$'
    return checks + [("unpacked tool inserts the .ffs into the stock image", ours is not None),
                     ("its listing shows the version", bool(ours and re.search(version, ours.group(1), re.M)))]


def checks(args, work):
    out = os.path.join(work, "out")
    run(args.cpack, "--config", args.config, "-B", out)
    archive = os.path.join(out, f"{args.name}.tar.gz")
    unpacked = os.path.join(work, "unpacked")
    os.mkdir(unpacked)
    run("tar", "-xzf", archive, "-C", unpacked)
    top = os.path.join(unpacked, args.name)
    found = files_under(unpacked)
    summed = sorted(line.split("  ", 1)[1] for line in read(os.path.join(top, "SHA256SUMS")).decode().splitlines())
    shipping = read(os.path.join(top, "SHIPPING.md")).decode()
    print(f"{os.path.basename(archive)}: {os.path.getsize(archive)} bytes, {len(found)} files")
    results = [
        ("everything in the top folder", os.listdir(unpacked) == [args.name]),
        ("file list", [os.path.relpath(path, args.name) for path in found] == expected_files(args)),
        ("SHA256SUMS names every other file", summed == [f for f in expected_files(args) if f != "SHA256SUMS"]),
        ("sha256sum -c", subprocess.run(["sha256sum", "-c", "--strict", "--quiet", "SHA256SUMS"],
                                        cwd=top).returncode == 0),
        ("drivers are the build's", all(read(os.path.join(top, "drivers", name)) ==
                                        read(os.path.join(args.image_dir, name))
                                        for name in os.listdir(os.path.join(top, "drivers")))),
        ("SHIPPING.md is the README's section", shipping.startswith("# Shipping the driver\n")
         and "\n## " not in shipping),
    ]
    return results + unpacked_tool(args, top, work)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--cpack", "--config", "--name", "--version", "--build-number", "--image-dir", "--guid"):
        parser.add_argument(option, required=True)
    parser.add_argument("--signed", action="store_true")
    parser.add_argument("--boards", nargs="+", required=True)
    parser.add_argument("--protocols", nargs="+", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        try:
            results = checks(args, work)
        except (OSError, RuntimeError) as error:
            print(f"release archive: {error}")
            return 1
    for name, ok in results:
        print(f"{args.name}: {name}: {'ok' if ok else 'FAIL'}")
    return 0 if all(ok for _, ok in results) else 1


if __name__ == "__main__":
    sys.exit(main())
