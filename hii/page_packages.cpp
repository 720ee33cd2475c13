// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page's packages as the module carries them: only the finished bytes.
#include "hii/page_packages.h"

namespace {

constexpr auto FORM_ARRAY = hii_build::PageFormArray();
constexpr auto STRING_ARRAY = hii_build::PageStringArray();

}  // namespace

constinit const UINT8 (&mPageFormPackage)[PAGE_FORM_ARRAY_LENGTH] = FORM_ARRAY.Bytes;
constinit const UINT8 (&mPageStringPackage)[PAGE_STRING_ARRAY_LENGTH] = STRING_ARRAY.Bytes;
