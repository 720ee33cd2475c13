#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The tree's C++ sources against .clang-format (docs/style.md).

Checks every *.cpp, *.h, *.cpp.in and *.h.in under the source directory,
passing over hidden directories and build trees (directories with a
CMakeCache.txt), with `clang-format --dry-run --Werror`. Exit status: 0 all
formatted, 1 a file is not, 77 (skipped) without clang-format.
"""
import argparse
import os
import shutil
import subprocess
import sys

SUFFIXES = (".cpp", ".h", ".cpp.in", ".h.in")
SKIPPED = 77


def sources(root):
    for directory, subdirectories, files in os.walk(root):
        subdirectories[:] = sorted(
            name for name in subdirectories
            if not name.startswith(".") and not os.path.exists(os.path.join(directory, name, "CMakeCache.txt")))
        for name in sorted(files):
            if name.endswith(SUFFIXES):
                yield os.path.join(directory, name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--clang-format", default="", help="the clang-format program")
    parser.add_argument("--root", required=True, help="the source directory")
    args = parser.parse_args()

    program = shutil.which(args.clang_format) if args.clang_format else None
    if program is None:
        print("skipped: clang-format not found (scripts/packages.sh installs it)")
        return SKIPPED
    files = list(sources(args.root))
    result = subprocess.run([program, "--dry-run", "--Werror", *files], check=False)
    if result.returncode != 0:
        print("format: not as .clang-format has it (clang-format -i FILE reformats a file)", file=sys.stderr)
        return 1
    print(f"format: {len(files)} files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
