// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page's carried packages, built by the compiler from the page's list
// (page_lines.h): the form line by line in the list's order, the strings in
// id order. Each array is a little-endian UINT32 total length (its own four
// bytes included) followed by one complete HII package. The arrays carry
// no alignment guarantee: read them byte-wise.
#pragma once

#include "hii/ifr_builder.h"
#include "hii/package_framing.h"
#include "hii/page_strings.h"
#include "hii/string_block_builder.h"
#include "platform/guids.h"

inline constexpr UINT16 PAGE_FORM_ID = 0x2000;

namespace hii_build {

// 0 == 0: always true. The first operand holds the rest of the expression
// in its scope.
inline constexpr auto ALWAYS_TRUE = Scope(Uint64(0), Uint64(0), Equal());

constexpr auto PageRow(const PAGE_LINE &Line) { return Text(Line.Id, STRING_EMPTY, Line.Id + 1); }

constexpr void PutPageFormLines(BYTE_SINK &Out) {
  for (const PAGE_LINE &Line : mPageLines) {
    switch (Line.Kind) {
      case PAGE_SUBTITLE:
        Out.Put(Subtitle(Line.Id));
        break;
      case PAGE_ROW:
        Out.Put(PageRow(Line));
        break;
      case PAGE_HIDDEN_ROW:
        Out.Put(SuppressIf(ALWAYS_TRUE, PageRow(Line)));
        break;
      case PAGE_NO_LINE:
        break;
    }
  }
}

constexpr void PutPageStringBlocks(BYTE_SINK &Out) {
  for (EFI_STRING_ID Id = 1; Id <= PAGE_STRING_COUNT; ++Id) {
    PutUcs2Block(Out, PageStringText(Id));
  }
  Out.PutByte(EFI_HII_SIBT_END);
}

constexpr auto PageFormArray() {
  return PackageArray(Package(
      EFI_HII_PACKAGE_FORMS,
      FormSet(PAGE_GUID, STRING_FORM_SET_TITLE, STRING_FORM_SET_HELP, EFI_HII_PLATFORM_SETUP_FORMSET_GUID,
              DefaultStore(0, EFI_HII_DEFAULT_CLASS_STANDARD), DefaultStore(0, EFI_HII_DEFAULT_CLASS_MANUFACTURING),
              Form(PAGE_FORM_ID, STRING_FORM_TITLE, Written<PutPageFormLines>()))));
}

// Every text of the page in "en-US".
constexpr auto PageStringArray() {
  return PackageArray(Package(EFI_HII_PACKAGE_STRINGS, Concat(StringPackageHeader("en-US", STRING_LANGUAGE_NAME),
                                                              Written<PutPageStringBlocks>())));
}

}  // namespace hii_build

inline constexpr UINTN PAGE_FORM_ARRAY_LENGTH = decltype(hii_build::PageFormArray())::SIZE;
inline constexpr UINTN PAGE_STRING_ARRAY_LENGTH = decltype(hii_build::PageStringArray())::SIZE;

// The form set with its one form (form package).
extern const UINT8 (&mPageFormPackage)[PAGE_FORM_ARRAY_LENGTH];

// Every text of the page (string package).
extern const UINT8 (&mPageStringPackage)[PAGE_STRING_ARRAY_LENGTH];
