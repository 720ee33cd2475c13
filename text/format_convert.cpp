#include "text/format_convert.h"

#include "platform/status.h"
#include "text/format.h"
#include "text/packed_texts.h"
#include "text/unaligned.h"

namespace {

constexpr CHAR8 mDigitSet[] = "0123456789ABCDEF";
constexpr CHAR8 mNullGuid[] = "<null guid>";
constexpr CHAR8 mNullTime[] = "<null time>";
constexpr CHAR8 mGuidFormat[] = "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x";
constexpr CHAR8 mTimeFormat[] = "%02d/%02d/%04d  %02d:%02d";
constexpr CHAR8 mStatusFallbackFormat[] = "%08X";

INT64 Larger(INT64 a, INT64 b) { return a > b ? a : b; }

// Decimal digits of value, least significant first, stored downward from
// `at`; returns the position of the most significant digit. The same
// digits as dividing by 10 one digit at a time.
CHAR8 *StoreDecimal(UINT64 value, CHAR8 *at) {
  // Two digits per division by 100; dividing a pair by 10 compiles to a
  // multiply.
  while (value >= 100) {
    const UINT32 pair = static_cast<UINT32>(value % 100);
    value /= 100;
    *--at = static_cast<CHAR8>('0' + pair % 10);
    *--at = static_cast<CHAR8>('0' + pair / 10);
  }
  if (value >= 10) {
    *--at = static_cast<CHAR8>('0' + value % 10);
    value /= 10;
  }
  *--at = static_cast<CHAR8>('0' + value);
  return at;
}

// Inlined into both callers in a build for speed (GCC would not); one copy
// in a build for size, the image's.
#if defined(__OPTIMIZE_SIZE__)
#define FORMAT_SPEED_INLINE
#else
#define FORMAT_SPEED_INLINE __attribute__((always_inline)) inline
#endif

// Digits of value, least significant first, stored downward from `end`.
// Base 16 by shifts and base 10 by a constant divisor: the same digits as dividing by a variable base, without a
// hardware divide per digit.
FORMAT_SPEED_INLINE UINT8 StoreDigits(UINT64 value, bool hex, CHAR8 *end) {
  CHAR8 *at = end;
  if (hex) {
    do {
      *--at = mDigitSet[value & 0xF];
      value >>= 4;
    } while (value != 0);
  } else {
    at = StoreDecimal(value, at);
  }
  return static_cast<UINT8>(end - at);
}

// Precision, grouping and zero padding: the length and field of a number
// whose sign is already decided. Kept out of line so the common number
// converts without saving registers.
__attribute__((noinline)) void ShapeNumber(UINT64 value, bool hex, const FORMAT_SPEC *spec, NUMBER_TEXT *number) {
  const UINT32 flags = spec->Flags;
  INT64 precision = spec->Precision;
  bool zero_pad = (flags & FORMAT_ZERO_PAD) != 0;
  const bool grouped = !hex && (flags & FORMAT_COMMA) != 0;
  if (grouped) {
    zero_pad = false;
    precision = 1;
  }
  // Precision 0 and value 0: no digits at all.
  const UINT8 count = (value == 0 && precision == 0) ? 0 : StoreDigits(value, hex, number->Digits + NUMBER_DIGITS_MAX);
  INT64 length = count;
  if (grouped && count > 0) {
    length += (count - 1) / 3;
  }
  if (number->Sign != 0) {
    // The sign counts towards the precision; saturate at the maximum.
    ++length;
    precision = precision < FORMAT_COUNT_MAX ? precision + 1 : FORMAT_COUNT_MAX;
  }
  // Zero padding to the width counts the sign as well.
  if (zero_pad && (flags & (FORMAT_WIDTH_GIVEN | FORMAT_PRECISION_GIVEN | FORMAT_LEFT)) == FORMAT_WIDTH_GIVEN) {
    precision = spec->Width;
  }
  number->Grouped = grouped;
  number->DigitCount = count;
  number->Length = length;
  number->Field = Larger(precision, length);
}

}  // namespace

void ConvertNumber(UINT64 Slot, const FORMAT_SPEC *Spec, NUMBER_TEXT *Number) {
  const UINT32 flags = Spec->Flags;
  const bool hex = (flags & FORMAT_HEX) != 0;
  const bool never_negative = (flags & (FORMAT_HEX | FORMAT_UNSIGNED)) != 0;
  // A 32-bit argument is its slot's low half: sign-extended for 'd', taken
  // as unsigned 32-bit for hexadecimal and 'u'.
  UINT64 value = Slot;
  if ((flags & FORMAT_LONG) == 0) {
    value = never_negative ? static_cast<UINT32>(Slot)
                           : static_cast<UINT64>(static_cast<INT64>(static_cast<INT32>(static_cast<UINT32>(Slot))));
  }
  CHAR8 sign = (flags & FORMAT_PLUS) != 0 ? '+' : (flags & FORMAT_SPACE) != 0 ? ' ' : 0;
  if (!never_negative && static_cast<INT64>(value) < 0) {
    sign = '-';
    value = 0 - value;  // the magnitude, exact even for the most negative value
  }
  Number->Sign = sign;
  if ((flags & (FORMAT_COMMA | FORMAT_ZERO_PAD | FORMAT_PRECISION_GIVEN)) != 0) {
    ShapeNumber(value, hex, Spec, Number);
    return;
  }
  // The default precision of 1 always gives at least one digit, and the
  // sign's share of it never exceeds the text: the field is the text.
  const UINT8 count = StoreDigits(value, hex, Number->Digits + NUMBER_DIGITS_MAX);
  Number->Grouped = false;
  Number->DigitCount = count;
  Number->Length = count + (sign != 0 ? 1 : 0);
  Number->Field = Number->Length;
}

void MeasureText(const void *Text, BOOLEAN Wide, const FORMAT_SPEC *Spec, TEXT_FIELD *Field) {
  const auto *units = static_cast<const UINT8 *>(Text);
  const INT64 limit = (Spec->Flags & FORMAT_PRECISION_GIVEN) != 0 ? Spec->Precision : FORMAT_COUNT_MAX;
  INT64 length = 0;
  if (Wide) {
    while (length < limit && (units[2 * length] | units[2 * length + 1]) != 0) {
      ++length;
    }
  } else {
    while (length < limit && units[length] != 0) {
      ++length;
    }
  }
  Field->Units = units;
  Field->Wide = Wide;
  Field->Length = length;
  Field->Field = Larger(Spec->Precision, length);
}

// EFI_GUID at any alignment: Data1, Data2, Data3 little-endian, then the
// eight Data4 bytes in stored order.
const CHAR8 *GuidText(const void *Guid, CHAR8 *Scratch) {
  if (Guid == nullptr) {
    return mNullGuid;
  }
  const auto *bytes = static_cast<const UINT8 *>(Guid);
  const UINT8 *data4 = bytes + 8;
  FormatScratch(Scratch, mGuidFormat, ReadLe32(bytes), ReadLe16(bytes + 4), ReadLe16(bytes + 6), data4[0], data4[1],
                data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
  return Scratch;
}

// EFI_TIME at any alignment: Year (16 bits at 0), Month, Day, Hour and
// Minute (bytes at 2 to 5).
const CHAR8 *TimeText(const void *Time, CHAR8 *Scratch) {
  if (Time == nullptr) {
    return mNullTime;
  }
  const auto *bytes = static_cast<const UINT8 *>(Time);
  FormatScratch(Scratch, mTimeFormat, bytes[2], bytes[3], ReadLe16(bytes), bytes[4], bytes[5]);
  return Scratch;
}

const CHAR8 *StatusText(UINT64 Status, CHAR8 *Scratch) {
  const UINT64 code = Status & ~EFI_ERROR_BIT;
  if (!EFI_ERROR(Status) && code < STATUS_SUCCESS_NAME_COUNT) {
    return PackedTextAt(mStatusSuccessNames, code);
  }
  if (EFI_ERROR(Status) && code >= 1 && code < STATUS_ERROR_NAME_COUNT) {
    return PackedTextAt(mStatusErrorNames, code);
  }
  // Unnamed: the low 32 bits in hexadecimal (bit 63 does not show).
  FormatScratch(Scratch, mStatusFallbackFormat, Status);
  return Scratch;
}
