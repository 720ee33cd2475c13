# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The compressions of encapsulating sections, one entry each: GUID-defined
sections name theirs by GUID, compression sections by a type byte. An
entry without `decode` is shown but not opened (an opaque section); one
without `encode` cannot be written back. A new compression is one entry."""
from dataclasses import dataclass
from typing import Callable, Optional

from . import guids, lzma_section


@dataclass
class Codec:
    name: str
    guid: Optional[bytes] = None            # GUID-defined section
    compression_type: Optional[int] = None  # compression section
    decode: Optional[Callable] = None       # (payload, budget, where) -> content
    encode: Optional[Callable] = None       # (content, old payload) -> payload
    describe: Optional[Callable] = None     # (payload) -> text for the listing


def _stored(payload, budget, where):
    return payload


def _stored_again(content, old_payload):
    return bytes(content)


def _efi_sizes(payload):
    """The EFI compression header: compressed and original sizes."""
    if len(payload) < 8:
        return "header cut short"
    return f"0x{int.from_bytes(payload[4:8], 'little'):X} bytes unpacked"


LZMA = Codec("LZMA", guid=guids.parse("EE4E5898-3914-4259-9D6E-DC7BD79403CF"),
             decode=lzma_section.decode, encode=lzma_section.encode, describe=lzma_section.describe)
CODECS = (
    LZMA,
    Codec("LZMA-F86", guid=guids.parse("D42AE6BD-1352-4BFB-909A-CA72A6EAE889"), describe=lzma_section.describe),
    Codec("Brotli", guid=guids.parse("3D532050-5CDA-4FD0-879E-0F7F630D5AFB")),
    Codec("Tiano", guid=guids.parse("A31280AD-481E-41B6-95E8-127F4C984779"), describe=_efi_sizes),
    Codec("not compressed", compression_type=0, decode=_stored, encode=_stored_again),
    Codec("EFI standard compression", compression_type=1),
)


def by_guid(guid):
    return next((c for c in CODECS if c.guid == bytes(guid)), None)


def by_type(compression_type):
    return next((c for c in CODECS if c.compression_type == compression_type), None)
