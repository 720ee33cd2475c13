// SPDX-License-Identifier: BSD-2-Clause-Patent
// GUID equality for the emulator run's programs, byte by byte: a GUID inside
// a package list or a firmware table may lie at any address.
#pragma once

#include "platform/types.h"

inline bool SameGuid(const void *Left, const EFI_GUID &Right) {
  const auto *LeftBytes = static_cast<const UINT8 *>(Left);
  const auto *RightBytes = reinterpret_cast<const UINT8 *>(&Right);
  for (UINTN Index = 0; Index < sizeof(EFI_GUID); ++Index) {
    if (LeftBytes[Index] != RightBytes[Index]) {
      return false;
    }
  }
  return true;
}
