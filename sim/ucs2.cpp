// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/ucs2.h"

namespace sim {

std::string Utf8FromUcs2(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      // UCS-2 has no surrogates: such a unit is no character, and encoding
      // it would not be UTF-8. It shows as the replacement character.
      out += "\xEF\xBF\xBD";
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

std::u16string Ucs2FromPointer(const CHAR16 *text) { return text == nullptr ? std::u16string() : std::u16string(text); }

}  // namespace sim
