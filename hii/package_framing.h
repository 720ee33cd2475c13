// SPDX-License-Identifier: BSD-2-Clause-Patent
// Framing of carried packages: an EFI_HII_PACKAGE_HEADER in front of a
// package's body, and the 4-byte length in front of a package array.
#pragma once

#include "hii/byte_string.h"

namespace hii_build {

// Header (bits 0..23 length including the header, bits 24..31 type), then
// the body.
template <UINTN N>
constexpr BYTE_STRING<4 + N> Package(UINT8 Type, const BYTE_STRING<N> &Body) {
  static_assert(4 + N < (UINTN{1} << 24), "a package length has 24 bits");
  return Concat(Le32(static_cast<UINT32>(4 + N) | (static_cast<UINT32>(Type) << 24)), Body);
}

// A package array: its own total length as a little-endian UINT32 (these
// four bytes included), then the package.
template <UINTN N>
constexpr BYTE_STRING<4 + N> PackageArray(const BYTE_STRING<N> &Package) {
  static_assert(4 + N <= 0xFFFFFFFFu, "an array length has 32 bits");
  return Concat(Le32(static_cast<UINT32>(4 + N)), Package);
}

}  // namespace hii_build
