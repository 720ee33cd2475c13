// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/string_ops.h"

void WidenAscii(const CHAR8 *Source, CHAR16 *Destination) {
  UINTN i = 0;
  do {
    Destination[i] = static_cast<UINT8>(Source[i]);
  } while (Source[i++] != 0);
}

UINTN AsciiLength(const CHAR8 *String) {
  UINTN length = 0;
  while (String[length] != 0) {
    ++length;
  }
  return length;
}

INTN CompareAsciiN(const CHAR8 *First, const CHAR8 *Second, UINTN Length) {
  if (Length == 0) {
    return 0;
  }
  UINTN i = 0;
  for (;;) {
    const UINT8 a = static_cast<UINT8>(First[i]);
    const UINT8 b = static_cast<UINT8>(Second[i]);
    if (a == 0 || b == 0 || a != b || ++i == Length) {
      return static_cast<INTN>(a) - static_cast<INTN>(b);
    }
  }
}

INTN CompareWide(const CHAR16 *First, const CHAR16 *Second) {
  UINTN i = 0;
  while (First[i] != 0 && First[i] == Second[i]) {
    ++i;
  }
  return static_cast<INTN>(First[i]) - static_cast<INTN>(Second[i]);
}
