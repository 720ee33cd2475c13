// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  const UINT32 Flags = Spec->Flags;
  INT64 Precision = Spec->Precision;
  bool ZeroPad = (Flags & FORMAT_ZERO_PAD) != 0;
  const bool Grouped = (Flags & (FORMAT_HEX | FORMAT_COMMA)) == FORMAT_COMMA;
  if (Grouped) {
    ZeroPad = false;
    Precision = 1;
  }
  // Precision 0 and value 0: no digits at all.
  if (Precision == 0 && Number->DigitCount == 1 && *NumberDigits(Number) == '0') {
    Number->DigitCount = 0;
  }
  const UINT8 Count = Number->DigitCount;
  INT64 Length = Count;
  if (Grouped && Count > 0) {
    Length += (Count - 1) / 3;
  }
  if (Number->Sign != 0) {
    // The sign counts towards the precision; saturate at the maximum.
    ++Length;
    Precision = Precision < FORMAT_COUNT_MAX ? Precision + 1 : FORMAT_COUNT_MAX;
  }
  // Zero padding to the width counts the sign as well.
  if (ZeroPad && (Flags & (FORMAT_WIDTH_GIVEN | FORMAT_PRECISION_GIVEN | FORMAT_LEFT)) == FORMAT_WIDTH_GIVEN) {
    Precision = Spec->Width;
  }
  Number->Grouped = Grouped;
  Number->Length = Length;
  Number->Field = Larger(Precision, Length);
}

}  // namespace

void ConvertNumber(UINT64 Slot, const FORMAT_SPEC *Spec, NUMBER_TEXT *Number) {
  ConvertSignAndDigits(Slot, Spec->Flags, Number);
  ShapeNumber(Spec, Number);
}

void MeasureText(const void *Text, BOOLEAN Wide, const FORMAT_SPEC *Spec, TEXT_FIELD *Field) {
  const auto *Units = static_cast<const UINT8 *>(Text);
  const INT64 Limit = (Spec->Flags & FORMAT_PRECISION_GIVEN) != 0 ? Spec->Precision : FORMAT_COUNT_MAX;
  INT64 Length = 0;
  if (Wide) {
    while (Length < Limit && (Units[2 * Length] | Units[2 * Length + 1]) != 0) {
      ++Length;
    }
  } else {
    Length = static_cast<INT64>(TextLength(static_cast<const CHAR8 *>(Text), static_cast<UINTN>(Limit)));
  }
  Field->Units = Units;
  Field->Wide = Wide;
  Field->Length = Length;
  Field->Field = Larger(Spec->Precision, Length);
}

// EFI_GUID at any alignment: Data1, Data2, Data3 little-endian, then the
// eight Data4 bytes in stored order.
const CHAR8 *GuidText(const void *Guid, CHAR8 *Scratch) {
  if (Guid == nullptr) {
    return mNullGuid;
  }
  const auto *Bytes = static_cast<const UINT8 *>(Guid);
  const UINT8 *Data4 = Bytes + 8;
  FormatScratch(Scratch, mGuidFormat, ReadLe32(Bytes), ReadLe16(Bytes + 4), ReadLe16(Bytes + 6), Data4[0], Data4[1],
                Data4[2], Data4[3], Data4[4], Data4[5], Data4[6], Data4[7]);
  return Scratch;
}

// EFI_TIME at any alignment: Year (16 bits at 0), Month, Day, Hour and
// Minute (bytes at 2 to 5).
const CHAR8 *TimeText(const void *Time, CHAR8 *Scratch) {
  if (Time == nullptr) {
    return mNullTime;
  }
  const auto *Bytes = static_cast<const UINT8 *>(Time);
  FormatScratch(Scratch, mTimeFormat, Bytes[2], Bytes[3], ReadLe16(Bytes), Bytes[4], Bytes[5]);
  return Scratch;
}

const CHAR8 *StatusText(UINT64 Status, CHAR8 *Scratch) {
  const UINT64 Code = Status & ~EFI_ERROR_BIT;
  if (!EFI_ERROR(Status) && Code < STATUS_SUCCESS_NAME_COUNT) {
    return PackedTextAt(mStatusSuccessNames, Code);
  }
  if (EFI_ERROR(Status) && Code >= 1 && Code < STATUS_ERROR_NAME_COUNT) {
    return PackedTextAt(mStatusErrorNames, Code);
  }
  // Unnamed: the low 32 bits in hexadecimal (bit 63 does not show).
  FormatScratch(Scratch, mStatusFallbackFormat, Status);
  return Scratch;
}
