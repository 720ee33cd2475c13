// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  CHAR8 Sign;                       // '-', '+', ' ' or 0 for none
  BOOLEAN Grouped;                  // a ',' between groups of three digits
  UINT8 DigitCount;                 // 0..NUMBER_DIGITS_MAX
  INT64 Length;                     // digits, commas and sign
  INT64 Field;                      // Length plus the leading zeros
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

// Decimal digits of Value, least significant first, stored downward from
// At; returns the position of the most significant digit.
inline CHAR8 *StoreDecimal(UINT64 Value, CHAR8 *At) {
  for (; Value >= 10; Value /= 10) {
    *--At = static_cast<CHAR8>('0' + Value % 10);
  }
  *--At = static_cast<CHAR8>('0' + Value);
  return At;
}

// Digits of Value, least significant first, stored downward from End;
// returns their count. Base 16 by shifts (upper-case digits), base 10 by a
// constant divisor, which an optimising compiler turns into a multiply.
inline UINT8 StoreDigits(UINT64 Value, BOOLEAN Hex, CHAR8 *End) {
  CHAR8 *At = End;
  if (Hex) {
    do {
      const UINT8 Digit = static_cast<UINT8>(Value & 0xF);
      *--At = static_cast<CHAR8>(Digit < 10 ? '0' + Digit : 'A' - 10 + Digit);
      Value >>= 4;
    } while (Value != 0);
  } else {
    At = StoreDecimal(Value, At);
  }
  return static_cast<UINT8>(End - At);
}

// The sign and digits of a d u x X p directive's number for the argument
// slot (Sign, DigitCount and Digits).
inline void ConvertSignAndDigits(UINT64 Slot, UINT32 Flags, NUMBER_TEXT *Number) {
  // The sign of a number that is not negative: '+' with the plus flag, else
  // ' ' with the space flag, else none.
  static_assert(FORMAT_PLUS == 2 && FORMAT_SPACE == 4, "the sign table is indexed by these two flags");
  constexpr CHAR8 SIGN_BY_FLAGS[4] = {0, '+', ' ', '+'};
  UINT64 Value = Slot;
  CHAR8 Sign = SIGN_BY_FLAGS[(Flags >> 1) & 3];
  if ((Flags & (FORMAT_HEX | FORMAT_UNSIGNED)) == 0) {
    // Signed decimal: a 32-bit argument is its slot's low half, sign-extended.
    if ((Flags & FORMAT_LONG) == 0) {
      Value = static_cast<UINT64>(static_cast<INT64>(static_cast<INT32>(static_cast<UINT32>(Slot))));
    }
    if (static_cast<INT64>(Value) < 0) {
      Sign = '-';
      Value = 0 - Value;  // the magnitude, exact even for the most negative value
    }
  } else if ((Flags & FORMAT_LONG) == 0) {
    Value = static_cast<UINT32>(Slot);
  }
  const UINT8 Count = StoreDigits(Value, (Flags & FORMAT_HEX) != 0, Number->Digits + NUMBER_DIGITS_MAX);
  Number->Sign = Sign;
  Number->DigitCount = Count;
}

// The number text of a d u x X p directive for the argument slot: sign
// and digits, and the field that precision, grouping and zero padding
// give them.
void ConvertNumber(UINT64 Slot, const FORMAT_SPEC *Spec, NUMBER_TEXT *Number);

// Inlined into every caller in a build for speed (the compilers would not
// inline a loop they unroll); left to the compiler in a build for size,
// the image's, which keeps one copy.
#if defined(__OPTIMIZE_SIZE__)
#define FORMAT_SPEED_INLINE inline
#else
#define FORMAT_SPEED_INLINE __attribute__((always_inline)) inline
#endif

// The number of bytes before the first NUL at Text, or Limit when the
// first Limit bytes hold none; no byte at or beyond Limit is read. The
// bytes are tested in blocks of 16 so the limit is checked once per block.
FORMAT_SPEED_INLINE UINTN TextLength(const CHAR8 *Text, UINTN Limit) {
  constexpr UINTN BLOCK = 16;
  UINTN Length = 0;
  for (; Limit - Length >= BLOCK; Length += BLOCK) {
    // clang unrolls the block by itself at -O2; GCC keeps the loop unless told.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 16
#endif
    for (UINTN Index = 0; Index < BLOCK; ++Index) {
      if (Text[Length + Index] == 0) {
        return Length + Index;
      }
    }
  }
  while (Length < Limit && Text[Length] != 0) {
    ++Length;
  }
  return Length;
}

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
