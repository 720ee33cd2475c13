// Storing text of the format engine. Every character it stores goes
// through FillRepeated, which never stores at or beyond End: the engine
// passes the buffer's end position (the terminator's place) for text and
// one past it for the terminator, so output is cut exactly at the buffer.
#pragma once

#include "platform/types.h"
#include "text/format_convert.h"
#include "text/format_parse.h"

// Stored for a 16-bit unit whose low 8 bits are 0.
inline constexpr CHAR8 FORMAT_UNPRINTABLE = '?';

// Stores Character at Cursor and advances, Count times at most and only
// while Cursor is below End; a Count of 0 or less stores nothing. Returns
// the new cursor. Inline: most calls store one character.
inline CHAR8 *FillRepeated(CHAR8 *Cursor, const CHAR8 *End, INT64 Count, CHAR8 Character) {
  for (INT64 stored = 0; stored < Count && Cursor < End; ++stored) {
    *Cursor++ = Character;
  }
  return Cursor;
}

// Spaces that pad a field of Field characters to the directive's width
// (0 when no width was given or the width does not exceed the field).
INT64 WidthPadding(const FORMAT_SPEC *Spec, INT64 Field);

// The digits of a number that fit before End, from the most significant.
inline CHAR8 *EmitDigits(CHAR8 *Cursor, const CHAR8 *End, const NUMBER_TEXT *Number) {
  const CHAR8 *digits = NumberDigits(Number);
  for (UINT8 i = 0; i < Number->DigitCount && Cursor < End; ++i) {
    Cursor = FillRepeated(Cursor, End, 1, digits[i]);
  }
  return Cursor;
}

// Width padding, sign, leading zeros, digits (with ',' between groups of
// three when grouped), width padding.
CHAR8 *EmitNumberField(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number);

// EmitNumberField, inline for the common number that is only its sign and
// digits (no width, leading zeros or groups).
inline CHAR8 *EmitNumber(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number) {
  if ((Spec->Flags & FORMAT_WIDTH_GIVEN) != 0 || Number->Field != Number->Length || Number->Grouped) {
    return EmitNumberField(Cursor, End, Spec, Number);
  }
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  return EmitDigits(Cursor, End, Number);
}

// The units of a NUL-terminated text up to its end, as EmitText does for a
// string without width or precision, read only as far as they are stored.
CHAR8 *EmitWholeText(CHAR8 *Cursor, const CHAR8 *End, const void *Text, BOOLEAN Wide);

// Width padding, spaces up to the field, the text's units (each stored as
// its low 8 bits, FORMAT_UNPRINTABLE when those are 0), width padding.
CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text);
