#include "text/format_write.h"

INT64 WidthPadding(const FORMAT_SPEC *Spec, INT64 Field) {
  // Width and field both lie in [0, FORMAT_COUNT_MAX]: the difference of a
  // larger width and the field cannot overflow.
  if ((Spec->Flags & FORMAT_WIDTH_GIVEN) == 0 || Spec->Width <= Field) {
    return 0;
  }
  return Spec->Width - Field;
}

CHAR8 *EmitNumber(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number) {
  const INT64 padding = WidthPadding(Spec, Number->Field);
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  if (!left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  Cursor = FillRepeated(Cursor, End, Number->Field - Number->Length, '0');
  // When grouped, a ',' after each digit that is followed by a multiple of
  // three digits.
  const CHAR8 *digits = NumberDigits(Number);
  for (INT64 i = 0, after = Number->DigitCount - 1; i < Number->DigitCount && Cursor < End; ++i, --after) {
    Cursor = FillRepeated(Cursor, End, 1, digits[i]);
    if (Number->Grouped && after > 0 && after % 3 == 0) {
      Cursor = FillRepeated(Cursor, End, 1, ',');
    }
  }
  if (left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  return Cursor;
}

// Each unit is stored as its low byte, the first of the pair for 16-bit
// units. A 16-bit unit whose low byte is 0 (U+0100, U+0200, ...) would end
// the stored text early, so it is stored as FORMAT_UNPRINTABLE instead; an
// 8-bit unit inside the measured length is never 0.
CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text) {
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  const INT64 padding = WidthPadding(Spec, Text->Field);
  if (!left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  Cursor = FillRepeated(Cursor, End, Text->Field - Text->Length, ' ');
  const UINTN step = Text->Wide ? 2 : 1;
  const UINT8 *unit = Text->Units;
  for (INT64 i = 0; i < Text->Length && Cursor < End; ++i, unit += step) {
    Cursor = FillRepeated(Cursor, End, 1, *unit != 0 ? static_cast<CHAR8>(*unit) : FORMAT_UNPRINTABLE);
  }
  if (left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  return Cursor;
}
