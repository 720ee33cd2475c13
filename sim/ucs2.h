// SPDX-License-Identifier: BSD-2-Clause-Patent
// Conversions between the firmware's UCS-2 texts and the host's UTF-8, for
// traces, read-back and rendering.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace sim {

// Always valid UTF-8: a surrogate unit, which UCS-2 does not have, becomes
// U+FFFD.
std::string Utf8FromUcs2(std::u16string_view text);

// A NUL-terminated CHAR16 text; "" for a null pointer.
std::u16string Ucs2FromPointer(const CHAR16 *text);

}  // namespace sim
