#include "text/format_write.h"

CHAR8 *FillRepeated(CHAR8 *Cursor, const CHAR8 *End, INT64 Count, CHAR8 Character) {
  for (INT64 stored = 0; stored < Count && Cursor < End; ++stored) {
    *Cursor++ = Character;
  }
  return Cursor;
}

INT64 WidthPadding(const FORMAT_SPEC *Spec, INT64 Field) {
  // Width and field both lie in [0, FORMAT_COUNT_MAX]: the difference of a
  // larger width and the field cannot overflow.
  if ((Spec->Flags & FORMAT_WIDTH_GIVEN) == 0 || Spec->Width <= Field) {
    return 0;
  }
  return Spec->Width - Field;
}

CHAR8 *EmitNumber(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number) {
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  const INT64 padding = WidthPadding(Spec, Number->Field);
  if (!left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  Cursor = FillRepeated(Cursor, End, Number->Field - Number->Length, '0');
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

CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text) {
  const bool left = (Spec->Flags & FORMAT_LEFT) != 0;
  const INT64 padding = WidthPadding(Spec, Text->Field);
  if (!left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  Cursor = FillRepeated(Cursor, End, Text->Field - Text->Length, ' ');
  // A 16-bit unit is stored as its low byte, the first of the pair. A unit
  // whose low byte is 0 (U+0100, U+0200, ...) would end the stored text
  // early, so it is stored as FORMAT_UNPRINTABLE instead.
  const INT64 step = Text->Wide ? 2 : 1;
  const UINT8 *unit = Text->Units;
  for (INT64 i = 0; i < Text->Length && Cursor < End; ++i, unit += step) {
    const CHAR8 low = static_cast<CHAR8>(*unit);
    Cursor = FillRepeated(Cursor, End, 1, low != 0 ? low : FORMAT_UNPRINTABLE);
  }
  if (left) {
    Cursor = FillRepeated(Cursor, End, padding, ' ');
  }
  return Cursor;
}
