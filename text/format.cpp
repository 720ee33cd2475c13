// SPDX-License-Identifier: BSD-2-Clause-Patent
// Entry checks and the main scan of the format engine.
#include "text/format.h"

#include "text/format_convert.h"
#include "text/format_parse.h"
#include "text/format_write.h"

namespace {

// Longest format accepted, in characters before its NUL.
constexpr UINTN FORMAT_LENGTH_MAX = 1000000;

constexpr CHAR8 mNullString[] = "<null string>";

// Characters of the format that stand for themselves: all but NUL, '%',
// carriage return and line feed. Compared rather than looked up: a table
// would cost 256 bytes of the image for no measurable speed.
bool IsPlain(CHAR8 Character) { return Character != 0 && Character != '%' && Character != '\r' && Character != '\n'; }

// The end of the run of plain characters that starts at `at`. The four
// others all lie below '&', so most characters take one comparison.
const CHAR8 *PlainRunEnd(const CHAR8 *At) {
  for (;; ++At) {
    while (static_cast<UINT8>(*At) > '%') {
      ++At;
    }
    if (!IsPlain(*At)) {
      return At;
    }
  }
}

// The terminator's place, buffer + size - 1, computed without wrapping
// around the address space: a size reaching past its top is cut so that
// the place after the end position still exists.
CHAR8 *EndPosition(CHAR8 *Buffer, UINTN Size) {
  const UINTN Start = reinterpret_cast<UINTN>(Buffer);
  const UINTN Room = ~static_cast<UINTN>(0) - 1 - Start;
  return reinterpret_cast<CHAR8 *>(Start + (Size - 1 < Room ? Size - 1 : Room));
}

// The source text of a directive that prints a text, and whether it is
// read in 16-bit units.
const void *DirectiveText(const FORMAT_SPEC *Spec, FORMAT_ARGS *Args, CHAR8 *Scratch, UINT8 *Character, BOOLEAN *Wide) {
  *Wide = false;
  switch (Spec->Kind) {
    case FORMAT_KIND_TEXT8: {
      const void *Text = reinterpret_cast<const void *>(TakeFormatArg(Args));
      return Text != nullptr ? Text : mNullString;
    }
    case FORMAT_KIND_TEXT16: {
      const void *Text = reinterpret_cast<const void *>(TakeFormatArg(Args));
      *Wide = Text != nullptr;
      return Text != nullptr ? Text : mNullString;
    }
    case FORMAT_KIND_CHAR16: {
      const UINT64 Unit = TakeFormatArg(Args);
      Character[0] = static_cast<UINT8>(Unit);
      Character[1] = static_cast<UINT8>(Unit >> 8);
      Character[2] = 0;
      Character[3] = 0;
      *Wide = true;
      return Character;
    }
    case FORMAT_KIND_GUID:
      return GuidText(reinterpret_cast<const void *>(TakeFormatArg(Args)), Scratch);
    case FORMAT_KIND_TIME:
      return TimeText(reinterpret_cast<const void *>(TakeFormatArg(Args)), Scratch);
    case FORMAT_KIND_STATUS:
      return StatusText(TakeFormatArg(Args), Scratch);
    default:
      return Spec->Text;
  }
}

// Every directive that prints a text, but a string letter alone: strings
// with flags, width or precision, characters, GUIDs, times, status values,
// line breaks and characters that print themselves. Kept out of line so
// its scratch areas stay off the path of numbers and bare strings.
__attribute__((noinline)) CHAR8 *EmitTextDirective(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec,
                                                   FORMAT_ARGS *Args) {
  CHAR8 Scratch[FORMAT_SCRATCH_SIZE];
  UINT8 Character[4];
  BOOLEAN Wide = false;
  const void *Text = DirectiveText(Spec, Args, Scratch, Character, &Wide);
  TEXT_FIELD Field;
  MeasureText(Text, Wide, Spec, &Field);
  return EmitText(Cursor, End, Spec, &Field);
}

// A directive as parsed into its FORMAT_SPEC.
CHAR8 *EmitDirective(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_SPEC *Spec, FORMAT_ARGS *Args) {
  if (Spec->Kind == FORMAT_KIND_NUMBER) {
    NUMBER_TEXT Number;
    ConvertNumber(TakeFormatArg(Args), Spec, &Number);
    return EmitNumberField(Cursor, End, Spec, &Number);
  }
  return EmitTextDirective(Cursor, End, Spec, Args);
}

// A number or string letter alone, the common directive: its text needs
// no field, so it is converted and written straight from the letter's
// entry, without a FORMAT_SPEC.
bool HasBareText(const FORMAT_CONVERSION *Letter) {
  return Letter != nullptr && (Letter->Kind == FORMAT_KIND_NUMBER || Letter->Kind == FORMAT_KIND_TEXT8 ||
                               Letter->Kind == FORMAT_KIND_TEXT16);
}

CHAR8 *EmitBareDirective(CHAR8 *Cursor, const CHAR8 *End, const FORMAT_CONVERSION *Letter, FORMAT_ARGS *Args) {
  const UINT64 Slot = TakeFormatArg(Args);
  if (Letter->Kind == FORMAT_KIND_NUMBER) {
    NUMBER_TEXT Number;
    if (Letter->Set == 0) {
      // 'd', the commonest letter: converted with its flags known while
      // compiling, which takes the flag tests off its path.
      ConvertSignAndDigits(Slot, 0, &Number);
    } else {
      ConvertSignAndDigits(Slot, Letter->Set, &Number);
    }
    return EmitSignAndDigits(Cursor, End, &Number);
  }
  const void *Text = reinterpret_cast<const void *>(Slot);
  if (Text == nullptr || Letter->Kind == FORMAT_KIND_TEXT8) {
    return EmitWholeText8(Cursor, End, Text != nullptr ? static_cast<const CHAR8 *>(Text) : mNullString);
  }
  return EmitWholeText16(Cursor, End, static_cast<const UINT8 *>(Text));
}

}  // namespace

UINTN FormatAsciiList(CHAR8 *Buffer, UINTN Size, const CHAR8 *Format, FORMAT_ARGS *Args) {
  if (Size != 0 && Buffer == nullptr) {
    return 0;
  }
  // A format too long is found by measuring one character past the limit.
  if (Format == nullptr || TextLength(Format, FORMAT_LENGTH_MAX + 1) > FORMAT_LENGTH_MAX || Size == 0) {
    return 0;
  }
  CHAR8 *Cursor = Buffer;
  CHAR8 *const End = EndPosition(Buffer, Size);
  const CHAR8 *At = Format;
  while (Cursor < End) {
    const CHAR8 Character = *At;
    if (Character == '%') {
      const FORMAT_CONVERSION *Letter = FindConversion(At[1]);
      if (HasBareText(Letter)) {
        Cursor = EmitBareDirective(Cursor, End, Letter, Args);
        At += 2;
      } else {
        FORMAT_SPEC Spec;
        At = ParseDirective(At + 1, Args, &Spec);
        Cursor = EmitDirective(Cursor, End, &Spec, Args);
      }
    } else if (IsPlain(Character)) {
      // The whole run of such characters, copied at once.
      const CHAR8 *Run = At;
      At = PlainRunEnd(At + 1);
      Cursor = EmitRun(Cursor, End, Run, static_cast<UINTN>(At - Run));
    } else if (Character == 0) {
      break;
    } else {
      // A carriage return or a line feed.
      CHAR8 LineBreak[3];
      At = ScanLineBreak(At, LineBreak);
      Cursor = EmitRun(Cursor, End, LineBreak, LineBreak[1] != 0 ? 2 : 1);
    }
  }
  FillRepeated(Cursor, End + 1, 1, 0);
  return static_cast<UINTN>(Cursor - Buffer);
}
