// The page's carried packages. Each array is a little-endian UINT32 total
// length (its own four bytes included) followed by one complete HII
// package. The arrays carry no alignment guarantee: read them byte-wise.
#pragma once

#include "platform/types.h"

inline constexpr UINT16 PAGE_FORM_ID = 0x2000;

inline constexpr UINTN PAGE_FORM_ARRAY_LENGTH = 386;
inline constexpr UINTN PAGE_STRING_ARRAY_LENGTH = 994;

// The form set with its one form (form package).
extern const UINT8 (&mPageFormPackage)[PAGE_FORM_ARRAY_LENGTH];

// Every text of the page in "en-US" (string package).
extern const UINT8 (&mPageStringPackage)[PAGE_STRING_ARRAY_LENGTH];
