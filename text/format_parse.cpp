#include "text/format_parse.h"

namespace {

// What a conversion letter does to its directive.
struct FORMAT_CONVERSION {
  CHAR8 Letter;
  FORMAT_KIND Kind;
  UINT8 Precision;  // the precision when none is given: 0 for strings (taken whole), else 1
  UINT16 Set;       // flags it sets
  UINT16 Clear;     // flags it clears
};

// Strings are taken whole unless a precision bounds them. Searched in
// order, so the most frequent letters come first.
constexpr FORMAT_CONVERSION mFormatConversions[] = {
    {'d', FORMAT_KIND_NUMBER, 1, 0, 0},
    {'a', FORMAT_KIND_TEXT8, 0, 0, 0},
    {'x', FORMAT_KIND_NUMBER, 1, FORMAT_HEX, 0},
    {'X', FORMAT_KIND_NUMBER, 1, FORMAT_HEX | FORMAT_ZERO_PAD, 0},
    {'u', FORMAT_KIND_NUMBER, 1, FORMAT_UNSIGNED, FORMAT_PLUS},
    {'p', FORMAT_KIND_NUMBER, 1, FORMAT_HEX | FORMAT_ZERO_PAD | FORMAT_LONG, FORMAT_PLUS | FORMAT_SPACE},
    {'s', FORMAT_KIND_TEXT16, 0, FORMAT_WIDE, 0},
    {'S', FORMAT_KIND_TEXT16, 0, FORMAT_WIDE, 0},
    {'c', FORMAT_KIND_CHAR16, 1, FORMAT_WIDE, 0},
    {'g', FORMAT_KIND_GUID, 1, 0, 0},
    {'t', FORMAT_KIND_TIME, 1, 0, 0},
    {'r', FORMAT_KIND_STATUS, 1, 0, 0},
};

static_assert(FORMAT_UNSIGNED <= 0xFFFF, "conversion flags fit 16 bits");

const FORMAT_CONVERSION *FindConversion(CHAR8 letter) {
  for (const FORMAT_CONVERSION &conversion : mFormatConversions) {
    if (conversion.Letter == letter) {
      return &conversion;
    }
  }
  return nullptr;
}

// Ends a directive with a conversion letter.
void ApplyConversion(FORMAT_SPEC *spec, const FORMAT_CONVERSION *conversion) {
  spec->Kind = conversion->Kind;
  spec->Flags = (spec->Flags | conversion->Set) & ~static_cast<UINT32>(conversion->Clear);
  if ((spec->Flags & FORMAT_PRECISION_GIVEN) == 0) {
    spec->Precision = conversion->Precision;
  }
}

bool IsDigit(CHAR8 c) { return c >= '0' && c <= '9'; }

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

// Characters that set a flag and let the directive read on.
struct FORMAT_FLAG_CHARACTER {
  CHAR8 Character;
  UINT16 Flag;
};

constexpr FORMAT_FLAG_CHARACTER mFlagCharacters[] = {
    {'-', FORMAT_LEFT}, {'+', FORMAT_PLUS}, {' ', FORMAT_SPACE},           {',', FORMAT_COMMA},
    {'l', FORMAT_LONG}, {'L', FORMAT_LONG}, {'.', FORMAT_PRECISION_GIVEN},
};

UINT32 FlagOf(CHAR8 c) {
  for (const FORMAT_FLAG_CHARACTER &flag : mFlagCharacters) {
    if (flag.Character == c) {
      return flag.Flag;
    }
  }
  return 0;
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
  CHAR8 c = *At;
  for (;; c = *++At) {
    if (const FORMAT_CONVERSION *conversion = FindConversion(c)) {
      ApplyConversion(Spec, conversion);
      return At + 1;
    }
    if (const UINT32 flag = FlagOf(c)) {
      Spec->Flags |= flag;
      continue;
    }
    INT64 count = 0;
    if (c == '*') {
      count = StarCount(TakeFormatArg(Args));
    } else if (IsDigit(c)) {
      if (c == '0' && (Spec->Flags & FORMAT_PRECISION_GIVEN) == 0) {
        Spec->Flags |= FORMAT_ZERO_PAD;
      }
      At = ReadDigitRun(At, &count) - 1;
    } else {
      break;
    }
    SetCount(Spec, count);
  }
  // The directive ends in a text of its own (Kind is still literal).
  if (c == 0) {
    // The format ends inside the directive: an empty text, still padded.
    Spec->Precision = 0;
    return At;
  }
  if (c == '\r' || c == '\n') {
    return ScanLineBreak(At, Spec->Text);
  }
  Spec->Text[0] = c;
  return At + 1;
}
