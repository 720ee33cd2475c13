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
bool IsPlain(CHAR8 c) { return c != 0 && c != '%' && c != '\r' && c != '\n'; }

// True when the first FORMAT_LENGTH_MAX + 1 characters hold no NUL. Reads
// nothing beyond the NUL of a shorter format. The characters are tested in
// blocks of 16 so the limit is checked once per block, then one by one.
bool FormatTooLong(const CHAR8 *format) {
  constexpr UINTN BLOCK = 16;
  constexpr UINTN CHECKED = FORMAT_LENGTH_MAX + 1;
  UINTN i = 0;
  for (; i + BLOCK <= CHECKED; i += BLOCK) {
    // clang unrolls the block by itself at -O2; GCC keeps the loop unless told.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 16
#endif
    for (UINTN k = 0; k < BLOCK; ++k) {
      if (format[i + k] == 0) {
        return false;
      }
    }
  }
  for (; i < CHECKED; ++i) {
    if (format[i] == 0) {
      return false;
    }
  }
  return true;
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
const void *DirectiveText(const FORMAT_SPEC *spec, FORMAT_ARGS *args, CHAR8 *scratch, UINT8 *character,
                          BOOLEAN *wide) {
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

// Every directive that prints a text in a field: strings with a width or
// precision, characters, GUIDs, times, status values and characters that
// print themselves. Kept out of line so
// its scratch areas stay off the path of numbers and plain strings.
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

CHAR8 *EmitDirective(CHAR8 *cursor, const CHAR8 *end, const FORMAT_SPEC *spec, FORMAT_ARGS *args) {
  if (spec->Kind == FORMAT_KIND_NUMBER) {
    NUMBER_TEXT number;
    ConvertNumber(TakeFormatArg(args), spec, &number);
    return EmitNumber(cursor, end, spec, &number);
  }
  const bool string = spec->Kind == FORMAT_KIND_TEXT8 || spec->Kind == FORMAT_KIND_TEXT16;
  if (string && (spec->Flags & (FORMAT_WIDTH_GIVEN | FORMAT_PRECISION_GIVEN)) == 0) {
    // A whole string with no field around it: stored as it is read.
    const void *text = reinterpret_cast<const void *>(TakeFormatArg(args));
    const bool wide = spec->Kind == FORMAT_KIND_TEXT16 && text != nullptr;
    return EmitWholeText(cursor, end, text != nullptr ? text : mNullString, wide);
  }
  return EmitTextDirective(cursor, end, spec, args);
}

}  // namespace

UINTN FormatAsciiList(CHAR8 *Buffer, UINTN Size, const CHAR8 *Format, FORMAT_ARGS *Args) {
  if (Size != 0 && Buffer == nullptr) {
    return 0;
  }
  if (Format == nullptr || FormatTooLong(Format) || Size == 0) {
    return 0;
  }
  CHAR8 *cursor = Buffer;
  CHAR8 *const end = EndPosition(Buffer, Size);
  const CHAR8 *at = Format;
  while (cursor < end) {
    const CHAR8 c = *at;
    if (IsPlain(c)) {
      // The whole run of such characters in one loop, each read once.
      CHAR8 plain = c;
      do {
        *cursor++ = plain;
        plain = *++at;
      } while (cursor < end && IsPlain(plain));
    } else if (c == 0) {
      break;
    } else if (c == '%') {
      FORMAT_SPEC spec;
      at = ParseDirective(at + 1, Args, &spec);
      cursor = EmitDirective(cursor, end, &spec, Args);
    } else {
      // A carriage return or a line feed.
      CHAR8 line_break[3];
      at = ScanLineBreak(at, line_break);
      for (const CHAR8 *unit = line_break; *unit != 0; ++unit) {
        cursor = FillRepeated(cursor, end, 1, *unit);
      }
    }
  }
  FillRepeated(cursor, end + 1, 1, 0);
  return static_cast<UINTN>(cursor - Buffer);
}
