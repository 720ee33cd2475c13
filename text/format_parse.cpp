#include "text/format_parse.h"

namespace {

struct FORMAT_LETTER {
  CHAR8 Letter;
  FORMAT_KIND Kind;
  UINT8 Precision;
  UINT32 Set;
  UINT32 Clear;
};

// The conversion letters. Strings are taken whole unless a precision
// bounds them.
constexpr FORMAT_LETTER mFormatLetters[] = {
    {'d', FORMAT_KIND_NUMBER, 1, 0, 0},
    {'u', FORMAT_KIND_NUMBER, 1, FORMAT_UNSIGNED, FORMAT_PLUS},
    {'x', FORMAT_KIND_NUMBER, 1, FORMAT_HEX, 0},
    {'X', FORMAT_KIND_NUMBER, 1, FORMAT_HEX | FORMAT_ZERO_PAD, 0},
    {'p', FORMAT_KIND_NUMBER, 1, FORMAT_HEX | FORMAT_ZERO_PAD | FORMAT_LONG, FORMAT_PLUS | FORMAT_SPACE},
    {'a', FORMAT_KIND_TEXT8, 0, 0, 0},
    {'s', FORMAT_KIND_TEXT16, 0, FORMAT_WIDE, 0},
    {'S', FORMAT_KIND_TEXT16, 0, FORMAT_WIDE, 0},
    {'c', FORMAT_KIND_CHAR16, 1, FORMAT_WIDE, 0},
    {'g', FORMAT_KIND_GUID, 1, 0, 0},
    {'t', FORMAT_KIND_TIME, 1, 0, 0},
    {'r', FORMAT_KIND_STATUS, 1, 0, 0},
};

constexpr bool LettersFitTheIndex() {
  for (const FORMAT_LETTER &letter : mFormatLetters) {
    if (letter.Letter < FORMAT_INDEX_FIRST || letter.Letter > FORMAT_INDEX_LAST || letter.Set > 0xFFFF ||
        letter.Clear > 0x3F || (letter.Set & letter.Clear) != 0) {
      return false;
    }
  }
  return true;
}
static_assert(LettersFitTheIndex(), "a conversion letter does not fit its index entry");

constexpr FORMAT_CONVERSION_INDEX BuildConversionIndex() {
  FORMAT_CONVERSION_INDEX index = {};
  for (const FORMAT_LETTER &letter : mFormatLetters) {
    index.Entry[letter.Letter - FORMAT_INDEX_FIRST] = {static_cast<UINT16>(letter.Set), letter.Kind, letter.Precision,
                                                       1, static_cast<UINT8>(letter.Clear)};
  }
  return index;
}

}  // namespace

constexpr FORMAT_CONVERSION_INDEX mFormatConversionIndex = BuildConversionIndex();

namespace {

bool IsDigit(CHAR8 Character) { return Character >= '0' && Character <= '9'; }

// Reads consecutive decimal digits as one number, saturating at
// FORMAT_COUNT_MAX (a run of more than 19 digits stays at the maximum).
const CHAR8 *ReadDigitRun(const CHAR8 *at, INT64 *value) {
  INT64 number = 0;
  for (; IsDigit(*at); ++at) {
    const INT64 digit = *at - '0';
    number = (number > (FORMAT_COUNT_MAX - digit) / 10) ? FORMAT_COUNT_MAX : number * 10 + digit;
  }
  *value = number;
  return at;
}

// A '*' argument is unsigned 64-bit; values beyond FORMAT_COUNT_MAX
// saturate to it like an over-long digit run.
INT64 StarCount(UINT64 slot) {
  return slot > static_cast<UINT64>(FORMAT_COUNT_MAX) ? FORMAT_COUNT_MAX : static_cast<INT64>(slot);
}

// A count is the precision once '.' was seen, the width before.
void SetCount(FORMAT_SPEC *spec, INT64 count) {
  if ((spec->Flags & FORMAT_PRECISION_GIVEN) != 0) {
    spec->Precision = count;
  } else {
    spec->Width = count;
    spec->Flags |= FORMAT_WIDTH_GIVEN;
  }
}

// Ends a directive with a conversion letter.
void ApplyConversion(FORMAT_SPEC *spec, const FORMAT_CONVERSION *conversion) {
  spec->Kind = conversion->Kind;
  spec->Flags = (spec->Flags | conversion->Set) & ~static_cast<UINT32>(conversion->Clear);
  if ((spec->Flags & FORMAT_PRECISION_GIVEN) == 0) {
    spec->Precision = conversion->Precision;
  }
}

void SetLiteral(FORMAT_SPEC *spec, CHAR8 Character) {
  spec->Kind = FORMAT_KIND_LITERAL;
  spec->Text[0] = Character;
  spec->Text[1] = 0;
}

}  // namespace

const CHAR8 *ScanLineBreak(const CHAR8 *At, CHAR8 Text[3]) {
  const CHAR8 first = *At++;
  const CHAR8 pair = first == '\r' ? '\n' : '\r';
  Text[0] = '\r';
  Text[1] = '\n';
  Text[2] = 0;
  if (*At == pair) {
    ++At;
  } else if (first == '\r') {
    Text[1] = 0;
  }
  return At;
}

const CHAR8 *ParseDirective(const CHAR8 *At, FORMAT_ARGS *Args, FORMAT_SPEC *Spec) {
  *Spec = {0, 0, 1, FORMAT_KIND_LITERAL, {0, 0, 0}};
  for (;;) {
    const CHAR8 Character = *At;
    if (const FORMAT_CONVERSION *conversion = FindConversion(Character)) {
      ApplyConversion(Spec, conversion);
      return At + 1;
    }
    switch (Character) {
      case '-':
        Spec->Flags |= FORMAT_LEFT;
        break;
      case '+':
        Spec->Flags |= FORMAT_PLUS;
        break;
      case ' ':
        Spec->Flags |= FORMAT_SPACE;
        break;
      case ',':
        Spec->Flags |= FORMAT_COMMA;
        break;
      case 'l':
      case 'L':
        Spec->Flags |= FORMAT_LONG;
        break;
      case '.':
        Spec->Flags |= FORMAT_PRECISION_GIVEN;
        break;
      case '*':
        SetCount(Spec, StarCount(TakeFormatArg(Args)));
        break;
      case 0:
        // The format ends inside the directive: an empty text, still padded.
        Spec->Precision = 0;
        SetLiteral(Spec, 0);
        return At;
      case '\r':
      case '\n':
        Spec->Kind = FORMAT_KIND_LITERAL;
        return ScanLineBreak(At, Spec->Text);
      default:
        if (IsDigit(Character)) {
          if (Character == '0' && (Spec->Flags & FORMAT_PRECISION_GIVEN) == 0) {
            Spec->Flags |= FORMAT_ZERO_PAD;
          }
          INT64 count = 0;
          At = ReadDigitRun(At, &count);
          SetCount(Spec, count);
          continue;
        }
        SetLiteral(Spec, Character);
        return At + 1;
    }
    ++At;
  }
}
