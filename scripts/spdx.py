#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The licence line of every source file: `SPDX-License-Identifier:
BSD-2-Clause-Patent`, in a comment among the file's first lines.

    scripts/spdx.py --check   name each file without it; exit 1 if any
    scripts/spdx.py --add     write it into each file without it

The files are git's (tracked, and untracked ones not ignored) in a git
checkout, else every file of the tree but the build folders. A file's name
decides how it carries the line; a file that matches no rule is an error
too, so that each new kind of file is decided here once.
"""
import fnmatch
import os
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
IDENTIFIER = "SPDX-License-Identifier: BSD-2-Clause-Patent"
NEAR_TOP = 5        # the line must be among a file's first lines

# Files that cannot carry a comment, or are no source: (pattern, why).
EXCLUDED = [
    ("*.json", "JSON has no comments"),
    ("*.png", "an image"),
    ("fuzz/corpus/*", "a fuzz seed: the raw input, which a line would change"),
    ("LICENSE", "the licence's own text"),
]
# (patterns, the line as a comment); a file with none of these names but a
# "#!" first line takes "#".
COMMENTS = [
    (("*.cpp", "*.h", "*.cpp.in", "*.h.in"), "// {}"),
    (("*.py", "*.sh", "*.cmake", "CMakeLists.txt", "*.board", ".gitignore", ".clang-format",
      ".clang-tidy"), "# {}"),
    (("*.md",), "<!-- {} -->"),
]
# Build outputs when the tree is walked without git (as .gitignore has them).
NOT_SOURCE_DIRS = ("build*", "out", ".git", "__pycache__")


def source_files():
    """The tree's files, relative to ROOT."""
    if os.path.exists(os.path.join(ROOT, ".git")):     # a folder, or a file in a worktree
        listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                                cwd=ROOT, check=True, capture_output=True).stdout
        names = set(listed.decode().split("\0"))
    else:
        names = set()
        for folder, dirs, files in os.walk(ROOT):
            dirs[:] = [d for d in dirs if not any(fnmatch.fnmatch(d, p) for p in NOT_SOURCE_DIRS)]
            names.update(os.path.relpath(os.path.join(folder, name), ROOT) for name in files)
    # A symbolic link is judged by the file it names, which is listed itself.
    return sorted(name for name in names
                  if name and os.path.isfile(os.path.join(ROOT, name)) and not os.path.islink(os.path.join(ROOT, name)))


def matches(path, patterns):
    return any(fnmatch.fnmatch(path, p) or fnmatch.fnmatch(os.path.basename(path), p) for p in patterns)


def comment_for(path, text):
    """The licence line as this file writes it; None for an excluded file.
    ValueError for a file no rule covers."""
    if matches(path, [pattern for pattern, _ in EXCLUDED]):
        return None
    for patterns, form in COMMENTS:
        if matches(path, patterns):
            return form.format(IDENTIFIER)
    if text.startswith("#!"):
        return "# " + IDENTIFIER
    raise ValueError(f"{path}: no rule says how this kind of file carries the licence line (scripts/spdx.py)")


def has_line(text):
    return any(IDENTIFIER in line for line in text.splitlines()[:NEAR_TOP])


def with_line(text, comment):
    """`text` with the comment as its first line, after a "#!" line."""
    if text.startswith("#!"):
        first, _, rest = text.partition("\n")
        return f"{first}\n{comment}\n{rest}"
    return f"{comment}\n{text}"


def main(argv):
    if argv not in (["--check"], ["--add"]):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    missing, errors = [], []
    for path in source_files():
        with open(os.path.join(ROOT, path), "rb") as source:
            text = source.read().decode("utf-8", errors="surrogateescape")
        try:
            comment = comment_for(path, text)
        except ValueError as error:
            errors.append(str(error))
            continue
        if comment is None or has_line(text):
            continue
        missing.append(path)
        if argv == ["--add"]:
            with open(os.path.join(ROOT, path), "wb") as sink:
                sink.write(with_line(text, comment).encode("utf-8", errors="surrogateescape"))
    for path in missing:
        print(f"{path}: {'licence line added' if argv == ['--add'] else 'no SPDX-License-Identifier line'}")
    for error in errors:
        print(error)
    if argv == ["--check"] and not missing and not errors:
        print(f"every source file carries '{IDENTIFIER}'")
    return 1 if errors or (missing and argv == ["--check"]) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
