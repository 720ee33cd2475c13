// SPDX-License-Identifier: BSD-2-Clause-Patent
// Parsers for option values: numbers, versions, firmware components and
// texts. Each returns nothing for text it cannot take whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace sysinfo_tool {

// Decimal, or hexadecimal with a 0x prefix, no larger than `max`.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max);

// "MAJOR.MINOR.PATCH" with a 16-bit major and 8-bit minor and patch.
struct TripleVersion {
  UINT16 major;
  UINT8 minor;
  UINT8 patch;
};
std::optional<TripleVersion> ParseTripleVersion(std::string_view text);

// A firmware component by its row name (SE, PM, PBL, ATF, TEE, EC, STMM,
// UEFI; any case) or its index 0..7.
std::optional<UINT32> ParseComponent(std::string_view text);
// The component names in index order, for the help text.
std::string ComponentNameList();

// UTF-8 text as UCS-2; nothing for malformed UTF-8 or characters beyond
// the basic multilingual plane.
std::optional<std::u16string> Ucs2FromUtf8(std::string_view text);

// A language tag: printable ASCII without ';', 1 to 32 characters.
bool IsLanguageTag(std::string_view text);

// `text` cut at every `separator`.
std::vector<std::string_view> SplitOn(std::string_view text, char separator);

}  // namespace sysinfo_tool
