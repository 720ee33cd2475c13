#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Names against the .clang-tidy of each file's directory (docs/style.md).

Runs clang-tidy (its checks come from the .clang-tidy files) over the
translation units of a compile database, one process per unit and as
many at a time as there are processors, and over the headers they
include from the given directories and from the top-level source
directories of the units themselves. Each unit is checked once, with the
first of its compile commands. Exit status: 0 no violation, 1 a violation
(or a unit clang-tidy cannot read), 77 (skipped) without clang-tidy or
without the compile database.
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
DIAGNOSTIC = re.compile(r"^(\S+:\d+:\d+: )?(error|warning): ")
COUNTS = re.compile(r"^\d+ warnings? (generated|treated as errors)\.?$")


def under(path, directories):
    return any(path == d or path.startswith(d + os.sep) for d in directories)


def units(database, files, includes, excludes):
    """The database's entries to check, one per file, in file order."""
    chosen = {}
    for entry in database:
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        wanted = (path in files or under(path, includes)) if (files or includes) else True
        if wanted and not under(path, excludes) and path not in chosen:
            chosen[path] = dict(entry, file=path)
    return [chosen[path] for path in sorted(chosen)]


def header_directories(root, paths, given):
    """The given directories and the top-level source directories (those
    with a CMakeLists.txt) of the units, as one --header-filter."""
    directories = set(given)
    for path in paths:
        relative = os.path.relpath(path, root)
        top = relative.split(os.sep)[0]
        if not relative.startswith("..") and os.path.exists(os.path.join(root, top, "CMakeLists.txt")):
            directories.add(os.path.join(root, top))
    return "^(" + "|".join(re.escape(d) for d in sorted(directories)) + ")/"


def configuration(path, root):
    """--config-file for a unit generated outside the source tree, which
    finds no .clang-tidy of its own: the root's, as for the driver's."""
    directory = os.path.dirname(path)
    while True:
        if os.path.exists(os.path.join(directory, ".clang-tidy")):
            return []
        parent = os.path.dirname(directory)
        if parent == directory:
            return [f"--config-file={os.path.join(root, '.clang-tidy')}"]
        directory = parent


def diagnostics(output):
    """clang-tidy's output as diagnostics, each with its source lines."""
    blocks = []
    for line in output.splitlines():
        if COUNTS.match(line):
            continue
        if DIAGNOSTIC.match(line) or not blocks:
            blocks.append([line])
        else:
            blocks[-1].append(line)
    return ["\n".join(block) for block in blocks]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--clang-tidy", default="", help="the clang-tidy program")
    parser.add_argument("--root", required=True, help="the source directory")
    parser.add_argument("--database", required=True, help="the directory of compile_commands.json")
    parser.add_argument("--files", nargs="*", default=[], help="check these units")
    parser.add_argument("--include", nargs="*", default=[], help="check the units under these directories")
    parser.add_argument("--exclude", nargs="*", default=[], help="but not those under these")
    parser.add_argument("--headers", nargs="*", default=[], help="check the headers of these directories too")
    args = parser.parse_args()

    program = shutil.which(args.clang_tidy) if args.clang_tidy else None
    if program is None:
        print("skipped: clang-tidy not found (scripts/packages.sh installs it)")
        return SKIPPED
    database_file = os.path.join(args.database, "compile_commands.json")
    if not os.path.exists(database_file):
        print(f"skipped: no {database_file}")
        return SKIPPED
    with open(database_file, encoding="utf-8") as stream:
        database = json.load(stream)
    root = os.path.normpath(args.root)
    files, includes, excludes, headers = ({os.path.normpath(p) for p in paths}
                                          for paths in (args.files, args.include, args.exclude, args.headers))
    chosen = units(database, files, includes, excludes)
    if not chosen:
        print("naming: no translation unit to check", file=sys.stderr)
        return 1
    header_filter = header_directories(root, [u["file"] for u in chosen], headers)

    with tempfile.TemporaryDirectory() as scratch:
        with open(os.path.join(scratch, "compile_commands.json"), "w", encoding="utf-8") as stream:
            json.dump(chosen, stream)

        def check(unit):
            command = [program, "--quiet", "-p", scratch, f"--header-filter={header_filter}",
                       *configuration(unit["file"], root), unit["file"]]
            result = subprocess.run(command, capture_output=True, text=True, check=False)
            return result.returncode, result.stdout + result.stderr

        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
            results = list(pool.map(check, chosen))

    failed = [output for status, output in results if status != 0]
    reported = []
    for output in failed:
        for diagnostic in diagnostics(output):
            if diagnostic not in reported:
                reported.append(diagnostic)
    for diagnostic in reported:
        print(diagnostic, file=sys.stderr)
    violations = sum(1 for d in reported if DIAGNOSTIC.match(d))
    print(f"naming: {len(chosen)} translation units checked, {violations} violations"
          f"{f', {len(failed)} units failed' if failed else ''}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
