#include "text/format_write.h"

INT64 WidthPadding(const FORMAT_SPEC *Spec, INT64 Field) {
  // Width and field both lie in [0, FORMAT_COUNT_MAX]: the difference of a
  // larger width and the field cannot overflow.
  if ((Spec->Flags & FORMAT_WIDTH_GIVEN) == 0 || Spec->Width <= Field) {
    return 0;
  }
  return Spec->Width - Field;
}

CHAR8 *EmitNumberField(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number) {
  const INT64 padding = WidthPadding(Spec, Number->Field);
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  if (padding > 0 && !left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  const INT64 zeros = Number->Field - Number->Length;
  if (zeros > 0) {
    Cursor = FillRepeated(Cursor, End, zeros, '0');
  }
  if (Number->Grouped) {
    // A ',' after each digit that is followed by a multiple of three.
    const CHAR8 *digits = NumberDigits(Number);
    for (INT64 Index = 0, after = Number->DigitCount - 1; Index < Number->DigitCount && Cursor < End;
         ++Index, --after) {
      Cursor = FillRepeated(Cursor, End, 1, digits[Index]);
      if (after > 0 && after % 3 == 0) {
        Cursor = FillRepeated(Cursor, End, 1, ',');
      }
    }
  } else {
    Cursor = EmitDigits(Cursor, End, Number);
  }
  if (padding > 0 && left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  return Cursor;
}

namespace {

// A 16-bit unit is stored as its low byte, the first of the pair. A unit
// whose low byte is 0 (U+0100, U+0200, ...) would end the stored text early,
// so it is stored as FORMAT_UNPRINTABLE instead.
CHAR8 LowByte(const UINT8 *unit) { return unit[0] != 0 ? static_cast<CHAR8>(unit[0]) : FORMAT_UNPRINTABLE; }

}  // namespace

// The copy loop tests Cursor < End itself, which also settles the test
// inside FillRepeated.
CHAR8 *EmitWholeText16(CHAR8 *Cursor, const CHAR8 *End, const UINT8 *Text) {
  for (const UINT8 *unit = Text; Cursor < End && (unit[0] | unit[1]) != 0; unit += 2) {
    Cursor = FillRepeated(Cursor, End, 1, LowByte(unit));
  }
  return Cursor;
}

CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text) {
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  const INT64 padding = WidthPadding(Spec, Text->Field);
  if (padding > 0 && !left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  const INT64 spaces = Text->Field - Text->Length;
  if (spaces > 0) {
    Cursor = FillRepeated(Cursor, End, spaces, ' ');
  }
  const UINT8 *unit = Text->Units;
  if (Text->Wide) {
    for (INT64 Index = 0; Index < Text->Length && Cursor < End; ++Index) {
      Cursor = FillRepeated(Cursor, End, 1, LowByte(unit + 2 * Index));
    }
  } else {
    Cursor = EmitRun(Cursor, End, reinterpret_cast<const CHAR8 *>(unit), static_cast<UINTN>(Text->Length));
  }
  if (padding > 0 && left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  return Cursor;
}
