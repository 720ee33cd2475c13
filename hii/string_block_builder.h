// SPDX-License-Identifier: BSD-2-Clause-Patent
// Compile-time builders for a string package: the EFI_HII_STRING_PACKAGE_HDR
// fields after the package header, and the string information blocks. Each
// text becomes one EFI_HII_SIBT_STRING_UCS2 block; ids follow block order.
#pragma once

#include "hii/byte_string.h"
#include "platform/hii.h"

namespace hii_build {

// Block type, then the UCS-2 text with its terminating 0x0000.
constexpr void PutUcs2Block(BYTE_SINK &Out, const CHAR16 *Text) {
  Out.PutByte(EFI_HII_SIBT_STRING_UCS2);
  UINTN Index = 0;
  do {
    Out.PutByte(static_cast<UINT8>(Text[Index]));
    Out.PutByte(static_cast<UINT8>(Text[Index] >> 8));
  } while (Text[Index++] != 0);
}

// HdrSize, StringInfoOffset (both the header size: the blocks follow the
// header directly), an all-zero LanguageWindow, LanguageName and the
// NUL-terminated RFC 4646 language tag.
template <UINTN L>
constexpr auto StringPackageHeader(const CHAR8 (&Language)[L], EFI_STRING_ID LanguageName) {
  static_assert(L >= 2, "the language tag is not empty");
  constexpr UINT32 HEADER_SIZE = 46 + L;
  BYTE_STRING<L> Tag;
  for (UINTN Index = 0; Index < L; ++Index) {
    Tag.Bytes[Index] = static_cast<UINT8>(Language[Index]);
  }
  return Concat(Le32(HEADER_SIZE), Le32(HEADER_SIZE), BYTE_STRING<32>{}, Le16(LanguageName), Tag);
}

}  // namespace hii_build
