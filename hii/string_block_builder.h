// Compile-time builders for a string package: the EFI_HII_STRING_PACKAGE_HDR
// fields after the package header, and the string information blocks. Each
// text becomes one EFI_HII_SIBT_STRING_UCS2 block; ids follow block order,
// so every block carries the id it is meant to have and the list is checked
// to run 1, 2, 3, ... without gaps.
#pragma once

#include "hii/byte_string.h"
#include "platform/hii.h"

namespace hii_build {

// One string block together with the id it must land on.
template <EFI_STRING_ID Id, UINTN N>
struct IdBlock {
  ByteString<N> Block;
};

// Block type, then the UCS-2 text with its terminating 0x0000.
template <EFI_STRING_ID Id, UINTN L>
constexpr IdBlock<Id, 1 + 2 * L> Ucs2String(const CHAR16 (&Text)[L]) {
  static_assert(Id != 0, "string id 0 means no string");
  ByteString<2 * L> units;
  for (UINTN i = 0; i < L; ++i) {
    units.Bytes[2 * i] = static_cast<UINT8>(Text[i]);
    units.Bytes[2 * i + 1] = static_cast<UINT8>(Text[i] >> 8);
  }
  return {Concat(U8(EFI_HII_SIBT_STRING_UCS2), units)};
}

template <UINTN Count>
constexpr bool IdsRunFromOne(const EFI_STRING_ID (&Ids)[Count]) {
  for (UINTN i = 0; i < Count; ++i) {
    if (Ids[i] != i + 1) {
      return false;
    }
  }
  return true;
}

// The blocks in id order, then the EFI_HII_SIBT_END block.
template <EFI_STRING_ID... Ids, UINTN... N>
constexpr auto StringBlocks(const IdBlock<Ids, N> &...Blocks) {
  constexpr EFI_STRING_ID ids[] = {Ids...};
  static_assert(IdsRunFromOne(ids), "string blocks must be listed as ids 1, 2, 3, ... without gaps");
  return Concat(Blocks.Block..., U8(EFI_HII_SIBT_END));
}

// HdrSize, StringInfoOffset (both the header size: the blocks follow the
// header directly), an all-zero LanguageWindow, LanguageName and the
// NUL-terminated RFC 4646 language tag.
template <UINTN L>
constexpr auto StringPackageHeader(const CHAR8 (&Language)[L], EFI_STRING_ID LanguageName) {
  static_assert(L >= 2, "the language tag is not empty");
  constexpr UINT32 header_size = 46 + L;
  ByteString<L> tag;
  for (UINTN i = 0; i < L; ++i) {
    tag.Bytes[i] = static_cast<UINT8>(Language[i]);
  }
  return Concat(Le32(header_size), Le32(header_size), ByteString<32>{}, Le16(LanguageName), tag);
}

}  // namespace hii_build
