// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/string_ops.h"

void WidenAscii(const CHAR8 *Source, CHAR16 *Destination) {
  UINTN Index = 0;
  do {
    Destination[Index] = static_cast<UINT8>(Source[Index]);
  } while (Source[Index++] != 0);
}

UINTN AsciiLength(const CHAR8 *String) {
  UINTN Length = 0;
  while (String[Length] != 0) {
    ++Length;
  }
  return Length;
}

INTN CompareAsciiN(const CHAR8 *First, const CHAR8 *Second, UINTN Length) {
  if (Length == 0) {
    return 0;
  }
  UINTN Index = 0;
  for (;;) {
    const UINT8 FirstByte = static_cast<UINT8>(First[Index]);
    const UINT8 SecondByte = static_cast<UINT8>(Second[Index]);
    if (FirstByte == 0 || SecondByte == 0 || FirstByte != SecondByte || ++Index == Length) {
      return static_cast<INTN>(FirstByte) - static_cast<INTN>(SecondByte);
    }
  }
}

INTN CompareWide(const CHAR16 *First, const CHAR16 *Second) {
  UINTN Index = 0;
  while (First[Index] != 0 && First[Index] == Second[Index]) {
    ++Index;
  }
  return static_cast<INTN>(First[Index]) - static_cast<INTN>(Second[Index]);
}
