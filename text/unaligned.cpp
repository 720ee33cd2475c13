// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/unaligned.h"

UINT16 ReadLe16(const void *Address) {
  const auto *Bytes = static_cast<const UINT8 *>(Address);
  return static_cast<UINT16>(Bytes[0] | (Bytes[1] << 8));
}

UINT32 ReadLe32(const void *Address) {
  const auto *Bytes = static_cast<const UINT8 *>(Address);
  return ReadLe16(Bytes) | (static_cast<UINT32>(ReadLe16(Bytes + 2)) << 16);
}

UINT64 ReadLe64(const void *Address) {
  const auto *Bytes = static_cast<const UINT8 *>(Address);
  return ReadLe32(Bytes) | (static_cast<UINT64>(ReadLe32(Bytes + 4)) << 32);
}

void *WriteLe64(void *Address, UINT64 Value) {
  auto *Bytes = static_cast<UINT8 *>(Address);
  for (UINTN Index = 0; Index < 8; ++Index) {
    Bytes[Index] = static_cast<UINT8>(Value >> (8 * Index));
  }
  return Address;
}

BOOLEAN CompareGuidTo(const void *Guid, const void *Reference) {
  const auto *GuidBytes = static_cast<const UINT8 *>(Guid);
  const auto *ReferenceBytes = static_cast<const UINT8 *>(Reference);
  return ReadLe64(GuidBytes) == ReadLe64(ReferenceBytes) && ReadLe64(GuidBytes + 8) == ReadLe64(ReferenceBytes + 8);
}

void *WriteGuid(void *Destination, const void *Source) {
  auto *To = static_cast<UINT8 *>(Destination);
  const auto *From = static_cast<const UINT8 *>(Source);
  WriteLe64(To, ReadLe64(From));
  WriteLe64(To + 8, ReadLe64(From + 8));
  return Destination;
}
