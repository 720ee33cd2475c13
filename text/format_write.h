// SPDX-License-Identifier: BSD-2-Clause-Patent
// Storing text of the format engine. Every character it stores goes
// through FillRepeated or EmitRun, which never store at or beyond End: the
// engine passes the buffer's end position (the terminator's place) for
// text and one past it for the terminator, so output is cut exactly at the
// buffer.
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
  for (INT64 Stored = 0; Stored < Count && Cursor < End; ++Stored) {
    *Cursor++ = Character;
  }
  return Cursor;
}

// Spaces that pad a field of Field characters to the directive's width
// (0 when no width was given or the width does not exceed the field).
INT64 WidthPadding(const FORMAT_SPEC *Spec, INT64 Field);

// Copies the Length bytes at Text to Cursor, as many as fit before End,
// and returns the new cursor. Runs are mostly short: a run takes moves of
// 8, 4, 2 or 1 bytes from its start and one more ending where it ends (the
// last two may overlap), so up to 16 bytes take two moves.
inline CHAR8 *EmitRun(CHAR8 *Cursor, const CHAR8 *End, const CHAR8 *Text, UINTN Length) {
  const UINTN Room = static_cast<UINTN>(End - Cursor);
  const UINTN Count = Length < Room ? Length : Room;
  CHAR8 *const Stop = Cursor + Count;
  if (Count == 1) {
    *Cursor = *Text;
  } else if (Count < 4) {
    if (Count == 0) {
      return Stop;
    }
    __builtin_memcpy(Cursor, Text, 2);
    __builtin_memcpy(Stop - 2, Text + Count - 2, 2);
  } else if (Count < 8) {
    __builtin_memcpy(Cursor, Text, 4);
    __builtin_memcpy(Stop - 4, Text + Count - 4, 4);
  } else {
    __builtin_memcpy(Cursor, Text, 8);
    for (UINTN At = 8; At + 8 < Count; At += 8) {
      __builtin_memcpy(Cursor + At, Text + At, 8);
    }
    __builtin_memcpy(Stop - 8, Text + Count - 8, 8);
  }
  return Stop;
}

// The digits of a number that fit before End, from the most significant.
inline CHAR8 *EmitDigits(CHAR8 *Cursor, const CHAR8 *End, const NUMBER_TEXT *Number) {
  return EmitRun(Cursor, End, NumberDigits(Number), Number->DigitCount);
}

// A number that is only its sign and digits (ConvertSignAndDigits): no
// width, leading zeros or groups.
inline CHAR8 *EmitSignAndDigits(CHAR8 *Cursor, const CHAR8 *End, const NUMBER_TEXT *Number) {
  if (Number->Sign != 0) {
    Cursor = FillRepeated(Cursor, End, 1, Number->Sign);
  }
  return EmitDigits(Cursor, End, Number);
}

// Width padding, sign, leading zeros, digits (with ',' between groups of
// three when grouped), width padding.
CHAR8 *EmitNumberField(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const NUMBER_TEXT *Number);

// The units of a NUL-terminated CHAR16 text up to its end, as EmitText does
// for a string without width or precision, read only as far as they are
// stored.
CHAR8 *EmitWholeText16(CHAR8 *Cursor, const CHAR8 *End, const UINT8 *Text);

// The bytes of a NUL-terminated 8-bit text up to its end, read only as far
// as they are stored.
FORMAT_SPEED_INLINE CHAR8 *EmitWholeText8(CHAR8 *Cursor, const CHAR8 *End, const CHAR8 *Text) {
  return EmitRun(Cursor, End, Text, TextLength(Text, static_cast<UINTN>(End - Cursor)));
}

// Width padding, spaces up to the field, the text's units (each stored as
// its low 8 bits, FORMAT_UNPRINTABLE when those are 0), width padding.
CHAR8 *EmitText(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, const TEXT_FIELD *Text);
