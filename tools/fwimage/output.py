# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Writing an output without putting an input at risk. An output that is
one of the inputs (the same path, a hard link or a symbolic link to it) is
refused, and so is an existing output that is not a regular file (a
directory, FIFO or device stays as it was). A symbolic link as the output
is written through: the file it names gets the new bytes, the link stays a
link. The bytes go to a temporary file in the directory of the file being
replaced, flushed to disk, then renamed over it."""
import os
import stat
import tempfile

from .errors import FwError, need


def _kind(mode):
    for test, name in ((stat.S_ISDIR, "a directory"), (stat.S_ISFIFO, "a FIFO"), (stat.S_ISCHR, "a character device"),
                       (stat.S_ISBLK, "a block device"), (stat.S_ISSOCK, "a socket")):
        if test(mode):
            return name
    return "not a regular file"


def _stat(path):
    try:
        return os.stat(path)
    except FileNotFoundError:
        return None
    except OSError as error:
        raise FwError(f"cannot write {path}: {error.strerror}") from None


def target(path, inputs=()):
    """The file `path` makes the tool write (a symbolic link followed),
    checked: not an input, and a regular file if it exists."""
    final = os.path.realpath(path)
    found = _stat(final)
    for source in inputs:
        same = os.path.realpath(source) == final
        if found is not None and not same:
            other = _stat(source)
            same = other is not None and (other.st_dev, other.st_ino) == (found.st_dev, found.st_ino)
        need(not same, f"output {path} is the input {source}: refused, the input is never overwritten")
    if found is not None:
        need(stat.S_ISREG(found.st_mode), f"output {path} is {_kind(found.st_mode)}: refused, left as it is")
    return final, found


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def write(path, data, inputs=()):
    """`data` to `path` (see the module's rules); `inputs` are the files
    the command read."""
    final, found = target(path, inputs)
    mode = stat.S_IMODE(found.st_mode) if found else 0o666 & ~_umask()
    directory = os.path.dirname(final)
    temporary = None
    try:
        handle, temporary = tempfile.mkstemp(dir=directory, prefix=".fwimage-")
        with os.fdopen(handle, "wb") as sink:
            sink.write(data)
            sink.flush()
            os.fchmod(sink.fileno(), mode)
            os.fsync(sink.fileno())
        target(path, inputs)        # nothing changed under us while the bytes were written
        os.replace(temporary, final)
        temporary = None
        _sync_directory(directory)
    except OSError as error:
        raise FwError(f"cannot write {path}: {error.strerror}") from None
    finally:
        if temporary:
            os.unlink(temporary)


def _sync_directory(directory):
    """The rename itself on disk."""
    handle = os.open(directory, os.O_RDONLY)
    try:
        os.fsync(handle)
    finally:
        os.close(handle)
