// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  for (const FORMAT_LETTER &Letter : mFormatLetters) {
    if (Letter.Letter < FORMAT_INDEX_FIRST || Letter.Letter > FORMAT_INDEX_LAST || Letter.Set > 0xFFFF ||
        Letter.Clear > 0x3F || (Letter.Set & Letter.Clear) != 0) {
      return false;
    }
  }
  return true;
}
static_assert(LettersFitTheIndex(), "a conversion letter does not fit its index entry");

constexpr FORMAT_CONVERSION_INDEX BuildConversionIndex() {
  FORMAT_CONVERSION_INDEX Index = {};
  for (const FORMAT_LETTER &Letter : mFormatLetters) {
    Index.Entry[Letter.Letter - FORMAT_INDEX_FIRST] = {static_cast<UINT16>(Letter.Set), Letter.Kind, Letter.Precision,
                                                       1, static_cast<UINT8>(Letter.Clear)};
  }
  return Index;
}

}  // namespace

constexpr FORMAT_CONVERSION_INDEX mFormatConversionIndex = BuildConversionIndex();

namespace {

bool IsDigit(CHAR8 Character) { return Character >= '0' && Character <= '9'; }

// Reads consecutive decimal digits as one number, saturating at
// FORMAT_COUNT_MAX (a run of more than 19 digits stays at the maximum).
const CHAR8 *ReadDigitRun(const CHAR8 *At, INT64 *Value) {
  INT64 Number = 0;
  for (; IsDigit(*At); ++At) {
    const INT64 Digit = *At - '0';
    Number = (Number > (FORMAT_COUNT_MAX - Digit) / 10) ? FORMAT_COUNT_MAX : Number * 10 + Digit;
  }
  *Value = Number;
  return At;
}

// A '*' argument is unsigned 64-bit; values beyond FORMAT_COUNT_MAX
// saturate to it like an over-long digit run.
INT64 StarCount(UINT64 Slot) {
  return Slot > static_cast<UINT64>(FORMAT_COUNT_MAX) ? FORMAT_COUNT_MAX : static_cast<INT64>(Slot);
}

// A count is the precision once '.' was seen, the width before.
void SetCount(FORMAT_SPEC *Spec, INT64 Count) {
  if ((Spec->Flags & FORMAT_PRECISION_GIVEN) != 0) {
    Spec->Precision = Count;
  } else {
    Spec->Width = Count;
    Spec->Flags |= FORMAT_WIDTH_GIVEN;
  }
}

// Ends a directive with a conversion letter.
void ApplyConversion(FORMAT_SPEC *Spec, const FORMAT_CONVERSION *Conversion) {
  Spec->Kind = Conversion->Kind;
  Spec->Flags = (Spec->Flags | Conversion->Set) & ~static_cast<UINT32>(Conversion->Clear);
  if ((Spec->Flags & FORMAT_PRECISION_GIVEN) == 0) {
    Spec->Precision = Conversion->Precision;
  }
}

void SetLiteral(FORMAT_SPEC *Spec, CHAR8 Character) {
  Spec->Kind = FORMAT_KIND_LITERAL;
  Spec->Text[0] = Character;
  Spec->Text[1] = 0;
}

}  // namespace

const CHAR8 *ScanLineBreak(const CHAR8 *At, CHAR8 Text[3]) {
  const CHAR8 First = *At++;
  const CHAR8 Pair = First == '\r' ? '\n' : '\r';
  Text[0] = '\r';
  Text[1] = '\n';
  Text[2] = 0;
  if (*At == Pair) {
    ++At;
  } else if (First == '\r') {
    Text[1] = 0;
  }
  return At;
}

const CHAR8 *ParseDirective(const CHAR8 *At, FORMAT_ARGS *Args, FORMAT_SPEC *Spec) {
  *Spec = {0, 0, 1, FORMAT_KIND_LITERAL, {0, 0, 0}};
  for (;;) {
    const CHAR8 Character = *At;
    if (const FORMAT_CONVERSION *Conversion = FindConversion(Character)) {
      ApplyConversion(Spec, Conversion);
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
          INT64 Count = 0;
          At = ReadDigitRun(At, &Count);
          SetCount(Spec, Count);
          continue;
        }
        SetLiteral(Spec, Character);
        return At + 1;
    }
    ++At;
  }
}
