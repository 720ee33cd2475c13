// SPDX-License-Identifier: BSD-2-Clause-Patent
// The %r texts, packed from the one list of status codes.
#include "platform/status_codes.h"
#include "text/format_convert.h"
#include "text/packed_texts.h"

#define STATUS_PACKED_TEXT(Name, Code, Text) Text "\0"
#define RESERVED_PACKED_TEXT(Code, Text) Text "\0"

extern constexpr CHAR8 mStatusSuccessNames[] = EFI_SUCCESS_STATUS_LIST(STATUS_PACKED_TEXT);

// Entry 0 is never shown: an error code of 0 prints as a number.
extern constexpr CHAR8 mStatusErrorNames[] = "\0" EFI_ERROR_STATUS_LIST(STATUS_PACKED_TEXT, RESERVED_PACKED_TEXT);

#undef STATUS_PACKED_TEXT
#undef RESERVED_PACKED_TEXT

namespace {

// The tables are indexed by code, so each list must count up from its
// first code without a gap. Kept from clang-format, which takes the
// trailing && for a reference.
// clang-format off
#define STATUS_NEXT_CODE(Name, Code, Text) Code == next++ &&
#define RESERVED_NEXT_CODE(Code, Text) Code == next++ &&
// clang-format on

constexpr bool SuccessCodesCountUp() {
  UINTN next = 0;
  return EFI_SUCCESS_STATUS_LIST(STATUS_NEXT_CODE) true;
}

constexpr bool ErrorCodesCountUp() {
  UINTN next = 1;
  return EFI_ERROR_STATUS_LIST(STATUS_NEXT_CODE, RESERVED_NEXT_CODE) true;
}

#undef STATUS_NEXT_CODE
#undef RESERVED_NEXT_CODE

}  // namespace

static_assert(SuccessCodesCountUp(), "success codes 0, 1, 2, ... without a gap");
static_assert(ErrorCodesCountUp(), "error codes 1, 2, 3, ... without a gap");
static_assert(PackedTextCount(mStatusSuccessNames) == STATUS_SUCCESS_NAME_COUNT, "one name per success code");
static_assert(PackedTextCount(mStatusErrorNames) == STATUS_ERROR_NAME_COUNT, "one name per error code");
