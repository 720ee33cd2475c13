// Value-to-text conversion of the format engine: the digits and field of a
// number, the measure of a text, and the texts of GUIDs, times and status
// values. Nothing here stores into the caller's buffer.
#pragma once

#include "platform/status_codes.h"
#include "platform/types.h"
#include "text/format_parse.h"

// 64-bit decimal needs 20 digits, hexadecimal 16.
inline constexpr UINTN NUMBER_DIGITS_MAX = 20;

struct NUMBER_TEXT {
  CHAR8 Sign;            // '-', '+', ' ' or 0 for none
  BOOLEAN Grouped;       // a ',' between groups of three digits
  UINT8 DigitCount;      // 0..NUMBER_DIGITS_MAX
  INT64 Length;          // digits, commas and sign
  INT64 Field;           // Length plus the leading zeros
  CHAR8 Digits[NUMBER_DIGITS_MAX];  // the last DigitCount hold the digits
};

inline const CHAR8 *NumberDigits(const NUMBER_TEXT *Number) {
  return Number->Digits + (NUMBER_DIGITS_MAX - Number->DigitCount);
}

// A measured text: Length units at Units (bytes, or 16-bit little-endian
// units when Wide), right-aligned in a field of Field characters.
struct TEXT_FIELD {
  const UINT8 *Units;
  BOOLEAN Wide;
  INT64 Length;
  INT64 Field;
};

// The number text of a d u x X p directive for the argument slot.
void ConvertNumber(UINT64 Slot, const FORMAT_SPEC *Spec, NUMBER_TEXT *Number);

// Measures the NUL-terminated text at Text. With a given precision no unit
// at or beyond the precision is read.
void MeasureText(const void *Text, BOOLEAN Wide, const FORMAT_SPEC *Spec, TEXT_FIELD *Field);

// Texts of the 'g', 't' and 'r' directives: a constant text, or one built
// in Scratch (FORMAT_SCRATCH_SIZE bytes) by a nested format call.
const CHAR8 *GuidText(const void *Guid, CHAR8 *Scratch);
const CHAR8 *TimeText(const void *Time, CHAR8 *Scratch);
const CHAR8 *StatusText(UINT64 Status, CHAR8 *Scratch);

// Status names, packed back to back, each ended by its NUL: the success
// and warning names indexed by the value, the error names by the value
// without bit 63 (entry 0 is empty). Packed rather than fixed-width to keep
// the image small. Both come from platform/status_codes.h.
#define STATUS_COUNT_ONE(...) +1
inline constexpr UINTN STATUS_SUCCESS_NAME_COUNT = 0 EFI_SUCCESS_STATUS_LIST(STATUS_COUNT_ONE);
inline constexpr UINTN STATUS_ERROR_NAME_COUNT = 1 EFI_ERROR_STATUS_LIST(STATUS_COUNT_ONE, STATUS_COUNT_ONE);
#undef STATUS_COUNT_ONE
extern const CHAR8 mStatusSuccessNames[];
extern const CHAR8 mStatusErrorNames[];
