# SPDX-License-Identifier: BSD-2-Clause-Patent
"""What one read of an image may cost, so that any input ends, or is
refused, in bounded time and memory: the bytes unpacked from compressed
sections, all of them together; the number of volumes, files and sections;
and how deeply volumes and encapsulating sections nest."""
from .errors import FwError

# Real images unpack a few tens of MiB (Debian's AAVMF 7.8 MB, OVMF 13.5
# MB); an edit holds what it unpacked about three times over.
DEFAULT_UNPACKED = 128 << 20
# Volumes, files and sections read: real images hold a few thousand; a
# listing of this many takes seconds.
MAX_ITEMS = 1 << 18
# Volumes and encapsulating sections above an item: a volume in a
# compressed section counts two, so 16 such volumes nest 32 deep.
MAX_NESTING = 64


class LimitError(FwError):
    """A limit reached: it ends the read whatever else is tolerated."""


class Budget:
    """The limits of one read of one image."""

    def __init__(self, unpacked=DEFAULT_UNPACKED):
        self.limit = unpacked
        self.unpacked = 0
        self.items = 0

    def fresh(self):
        """The same limits for another read."""
        return Budget(self.limit)

    def unpack(self, size, where):
        """Count `size` bytes about to be unpacked, before unpacking them."""
        if self.unpacked + size > self.limit:
            raise LimitError(f"{where}: unpacking 0x{size:X} more bytes would pass the limit of 0x{self.limit:X} "
                             f"bytes unpacked per read (--max-unpacked; 0x{self.unpacked:X} already unpacked)")
        self.unpacked += size

    def item(self, node):
        """Count one volume, file or section read."""
        self.items += 1
        if self.items > MAX_ITEMS:
            raise LimitError(f"{node.where}: more than {MAX_ITEMS} volumes, files and sections in one image")

    @staticmethod
    def nest(depth, node):
        if depth > MAX_NESTING:
            raise LimitError(f"{node.where}: volumes and encapsulating sections nested more than {MAX_NESTING} deep")
