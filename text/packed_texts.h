// SPDX-License-Identifier: BSD-2-Clause-Patent
// Tables of texts stored back to back, each ended by its NUL (the literal
// adds one more at the very end): no pointer per entry, so the tables stay
// small and need no base relocations.
#pragma once

#include "platform/types.h"

// Number of texts in a packed table: one per NUL before the literal's own.
template <UINTN N>
constexpr UINTN PackedTextCount(const CHAR8 (&Texts)[N]) {
  UINTN Count = 0;
  for (UINTN Index = 0; Index + 1 < N; ++Index) {
    Count += Texts[Index] == 0 ? 1 : 0;
  }
  return Count;
}

// The text at Index of a packed table; Index must be below its count.
inline const CHAR8 *PackedTextAt(const CHAR8 *Texts, UINT64 Index) {
  for (; Index != 0; --Index) {
    while (*Texts++ != 0) {
    }
  }
  return Texts;
}
