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
const CHAR8 *PlainRunEnd(const CHAR8 *at) {
  for (;; ++at) {
    while (static_cast<UINT8>(*at) > '%') {
      ++at;
    }
    if (!IsPlain(*at)) {
      return at;
    }
  }
}

// The terminator's place, buffer + size - 1, computed without wrapping
// around the address space: a size reaching past its top is cut so that
// the place after the end position still exists.
CHAR8 *EndPosition(CHAR8 *buffer, UINTN size) {
  const UINTN start = reinterpret_cast<UINTN>(buffer);
  const UINTN room = ~static_cast<UINTN>(0) - 1 - start;
  return reinterpret_cast<CHAR8 *>(start + (size - 1 < room ? size - 1 : room));
}

// The source text of a directive that prints a text, and whether it is
// read in 16-bit units.
const void *DirectiveText(const FORMAT_SPEC *spec, FORMAT_ARGS *args, CHAR8 *scratch, UINT8 *character, BOOLEAN *wide) {
  *wide = false;
  switch (spec->Kind) {
    case FORMAT_KIND_TEXT8: {
      const void *text = reinterpret_cast<const void *>(TakeFormatArg(args));
      return text != nullptr ? text : mNullString;
    }
    case FORMAT_KIND_TEXT16: {
      const void *text = reinterpret_cast<const void *>(TakeFormatArg(args));
      *wide = text != nullptr;
      return text != nullptr ? text : mNullString;
    }
    case FORMAT_KIND_CHAR16: {
      const UINT64 unit = TakeFormatArg(args);
      character[0] = static_cast<UINT8>(unit);
      character[1] = static_cast<UINT8>(unit >> 8);
      character[2] = 0;
      character[3] = 0;
      *wide = true;
      return character;
    }
    case FORMAT_KIND_GUID:
      return GuidText(reinterpret_cast<const void *>(TakeFormatArg(args)), scratch);
    case FORMAT_KIND_TIME:
      return TimeText(reinterpret_cast<const void *>(TakeFormatArg(args)), scratch);
    case FORMAT_KIND_STATUS:
      return StatusText(TakeFormatArg(args), scratch);
    default:
      return spec->Text;
  }
}

// Every directive that prints a text, but a string letter alone: strings
// with flags, width or precision, characters, GUIDs, times, status values,
// line breaks and characters that print themselves. Kept out of line so
// its scratch areas stay off the path of numbers and bare strings.
__attribute__((noinline)) CHAR8 *EmitTextDirective(CHAR8 *cursor, const CHAR8 *end, const FORMAT_SPEC *spec,
                                                   FORMAT_ARGS *args) {
  CHAR8 scratch[FORMAT_SCRATCH_SIZE];
  UINT8 character[4];
  BOOLEAN wide = false;
  const void *text = DirectiveText(spec, args, scratch, character, &wide);
  TEXT_FIELD field;
  MeasureText(text, wide, spec, &field);
  return EmitText(cursor, end, spec, &field);
}

// A directive as parsed into its FORMAT_SPEC.
CHAR8 *EmitDirective(CHAR8 *cursor, const CHAR8 *end, const FORMAT_SPEC *spec, FORMAT_ARGS *args) {
  if (spec->Kind == FORMAT_KIND_NUMBER) {
    NUMBER_TEXT number;
    ConvertNumber(TakeFormatArg(args), spec, &number);
    return EmitNumberField(cursor, end, spec, &number);
  }
  return EmitTextDirective(cursor, end, spec, args);
}

// A number or string letter alone, the common directive: its text needs
// no field, so it is converted and written straight from the letter's
// entry, without a FORMAT_SPEC.
bool HasBareText(const FORMAT_CONVERSION *letter) {
  return letter != nullptr && (letter->Kind == FORMAT_KIND_NUMBER || letter->Kind == FORMAT_KIND_TEXT8 ||
                               letter->Kind == FORMAT_KIND_TEXT16);
}

CHAR8 *EmitBareDirective(CHAR8 *cursor, const CHAR8 *end, const FORMAT_CONVERSION *letter, FORMAT_ARGS *args) {
  const UINT64 slot = TakeFormatArg(args);
  if (letter->Kind == FORMAT_KIND_NUMBER) {
    NUMBER_TEXT number;
    if (letter->Set == 0) {
      // 'd', the commonest letter: converted with its flags known while
      // compiling, which takes the flag tests off its path.
      ConvertSignAndDigits(slot, 0, &number);
    } else {
      ConvertSignAndDigits(slot, letter->Set, &number);
    }
    return EmitSignAndDigits(cursor, end, &number);
  }
  const void *text = reinterpret_cast<const void *>(slot);
  if (text == nullptr || letter->Kind == FORMAT_KIND_TEXT8) {
    return EmitWholeText8(cursor, end, text != nullptr ? static_cast<const CHAR8 *>(text) : mNullString);
  }
  return EmitWholeText16(cursor, end, static_cast<const UINT8 *>(text));
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
  CHAR8 *cursor = Buffer;
  CHAR8 *const end = EndPosition(Buffer, Size);
  const CHAR8 *at = Format;
  while (cursor < end) {
    const CHAR8 Character = *at;
    if (Character == '%') {
      const FORMAT_CONVERSION *letter = FindConversion(at[1]);
      if (HasBareText(letter)) {
        cursor = EmitBareDirective(cursor, end, letter, Args);
        at += 2;
      } else {
        FORMAT_SPEC spec;
        at = ParseDirective(at + 1, Args, &spec);
        cursor = EmitDirective(cursor, end, &spec, Args);
      }
    } else if (IsPlain(Character)) {
      // The whole run of such characters, copied at once.
      const CHAR8 *run = at;
      at = PlainRunEnd(at + 1);
      cursor = EmitRun(cursor, end, run, static_cast<UINTN>(at - run));
    } else if (Character == 0) {
      break;
    } else {
      // A carriage return or a line feed.
      CHAR8 line_break[3];
      at = ScanLineBreak(at, line_break);
      cursor = EmitRun(cursor, end, line_break, line_break[1] != 0 ? 2 : 1);
    }
  }
  FillRepeated(cursor, end + 1, 1, 0);
  return static_cast<UINTN>(cursor - Buffer);
}
