// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  const INT64 Padding = WidthPadding(Spec, Number->Field);
  const bool Left = (Spec->Flags & FORMAT_LEFT) != 0;
  if (Padding > 0 && !Left) {
    Cursor = FillRepeated(Cursor, End, Padding, ' ');
  }
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  const INT64 Zeros = Number->Field - Number->Length;
  if (Zeros > 0) {
    Cursor = FillRepeated(Cursor, End, Zeros, '0');
  }
  if (Number->Grouped) {
    // A ',' after each digit that is followed by a multiple of three.
    const CHAR8 *Digits = NumberDigits(Number);
    for (INT64 Index = 0, After = Number->DigitCount - 1; Index < Number->DigitCount && Cursor < End;
         ++Index, --After) {
      Cursor = FillRepeated(Cursor, End, 1, Digits[Index]);
      if (After > 0 && After % 3 == 0) {
        Cursor = FillRepeated(Cursor, End, 1, ',');
      }
    }
  } else {
    Cursor = EmitDigits(Cursor, End, Number);
  }
  if (Padding > 0 && Left) {
    Cursor = FillRepeated(Cursor, End, Padding, ' ');
  }
  return Cursor;
}

namespace {

// A 16-bit unit is stored as its low byte, the first of the pair. A unit
// whose low byte is 0 (U+0100, U+0200, ...) would end the stored text early,
// so it is stored as FORMAT_UNPRINTABLE instead.
CHAR8 LowByte(const UINT8 *Unit) { return Unit[0] != 0 ? static_cast<CHAR8>(Unit[0]) : FORMAT_UNPRINTABLE; }

}  // namespace

// The copy loop tests Cursor < End itself, which also settles the test
// inside FillRepeated.
CHAR8 *EmitWholeText16(CHAR8 *Cursor, const CHAR8 *End, const UINT8 *Text) {
  for (const UINT8 *Unit = Text; Cursor < End && (Unit[0] | Unit[1]) != 0; Unit += 2) {
    Cursor = FillRepeated(Cursor, End, 1, LowByte(Unit));
  }
  return Cursor;
}

CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text) {
  const bool Left = (Spec->Flags & FORMAT_LEFT) != 0;
  const INT64 Padding = WidthPadding(Spec, Text->Field);
  if (Padding > 0 && !Left) {
    Cursor = FillRepeated(Cursor, End, Padding, ' ');
  }
  const INT64 Spaces = Text->Field - Text->Length;
  if (Spaces > 0) {
    Cursor = FillRepeated(Cursor, End, Spaces, ' ');
  }
  const UINT8 *Unit = Text->Units;
  if (Text->Wide) {
    for (INT64 Index = 0; Index < Text->Length && Cursor < End; ++Index) {
      Cursor = FillRepeated(Cursor, End, 1, LowByte(Unit + 2 * Index));
    }
  } else {
    Cursor = EmitRun(Cursor, End, reinterpret_cast<const CHAR8 *>(Unit), static_cast<UINTN>(Text->Length));
  }
  if (Padding > 0 && Left) {
    Cursor = FillRepeated(Cursor, End, Padding, ' ');
  }
  return Cursor;
}
