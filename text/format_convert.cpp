#include "text/format_convert.h"

#include "platform/status.h"
#include "text/format.h"
#include "text/packed_texts.h"
#include "text/unaligned.h"

namespace {

constexpr CHAR8 mNullGuid[] = "<null guid>";
constexpr CHAR8 mNullTime[] = "<null time>";
constexpr CHAR8 mGuidFormat[] = "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x";
constexpr CHAR8 mTimeFormat[] = "%02d/%02d/%04d  %02d:%02d";
constexpr CHAR8 mStatusFallbackFormat[] = "%08X";

INT64 Larger(INT64 First, INT64 Second) { return First > Second ? First : Second; }

// Precision, grouping and zero padding applied to a converted sign and
// digits: Grouped, Length and Field (and a 0 of precision 0 loses its
// digit).
void ShapeNumber(const FORMAT_SPEC *Spec, NUMBER_TEXT *Number) {
  const UINT32 flags = Spec->Flags;
  INT64 precision = Spec->Precision;
  bool zero_pad = (flags & FORMAT_ZERO_PAD) != 0;
  const bool grouped = (flags & (FORMAT_HEX | FORMAT_COMMA)) == FORMAT_COMMA;
  if (grouped) {
    zero_pad = false;
    precision = 1;
  }
  // Precision 0 and value 0: no digits at all.
  if (precision == 0 && Number->DigitCount == 1 && *NumberDigits(Number) == '0') {
    Number->DigitCount = 0;
  }
  const UINT8 count = Number->DigitCount;
  INT64 length = count;
  if (grouped && count > 0) {
    length += (count - 1) / 3;
  }
  if (Number->Sign != 0) {
    // The sign counts towards the precision; saturate at the maximum.
    ++length;
    precision = precision < FORMAT_COUNT_MAX ? precision + 1 : FORMAT_COUNT_MAX;
  }
  // Zero padding to the width counts the sign as well.
  if (zero_pad && (flags & (FORMAT_WIDTH_GIVEN | FORMAT_PRECISION_GIVEN | FORMAT_LEFT)) == FORMAT_WIDTH_GIVEN) {
    precision = Spec->Width;
  }
  Number->Grouped = grouped;
  Number->Length = length;
  Number->Field = Larger(precision, length);
}

}  // namespace

void ConvertNumber(UINT64 Slot, const FORMAT_SPEC *Spec, NUMBER_TEXT *Number) {
  ConvertSignAndDigits(Slot, Spec->Flags, Number);
  ShapeNumber(Spec, Number);
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
    length = static_cast<INT64>(TextLength(static_cast<const CHAR8 *>(Text), static_cast<UINTN>(limit)));
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
