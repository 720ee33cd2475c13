// SPDX-License-Identifier: BSD-2-Clause-Patent
// String packages as the simulated HII database keeps them: the header's
// fields and the strings by id, parsed from and serialised back to the
// EFI_HII_STRING_PACKAGE_HDR layout with its string information blocks.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace sim {

struct StringPackage {
  std::array<CHAR16, 16> language_window{};
  EFI_STRING_ID language_name = 0;
  std::string language;            // RFC 4646 tag, e.g. "en-US"
  std::vector<UINT8> header_tail;  // header bytes after the tag's NUL, up to HdrSize
  std::vector<UINT8> gap;          // bytes between HdrSize and StringInfoOffset
  // Index id - 1. An absent string is skipped in this language, or its id
  // is reserved here because another language of the list has it.
  std::vector<std::optional<std::u16string>> strings;
};

// Parses the package of `size` bytes (its package header included). Block
// types understood: UCS-2 string, SKIP1, SKIP2 and END; anything else is
// rejected rather than guessed at. On failure `why` says what was wrong.
std::optional<StringPackage> ParseStringPackage(const UINT8 *bytes, std::size_t size, std::string *why);

// The package bytes, package header included: UCS-2 blocks for present
// strings, skip blocks for absent ones, the end block last.
std::vector<UINT8> SerializeStringPackage(const StringPackage &package);

}  // namespace sim
