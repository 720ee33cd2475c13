// SPDX-License-Identifier: BSD-2-Clause-Patent
// Directive parsing: turns the characters after a '%' into a FORMAT_SPEC,
// taking the arguments of any '*' on the way. Also the line-break rule
// shared by literal text and directives.
#pragma once

#include "platform/types.h"
#include "text/format_args.h"

enum FORMAT_FLAG : UINT32 {
  FORMAT_LEFT = 1u << 0,             // '-': width padding after the text
  FORMAT_PLUS = 1u << 1,             // '+': '+' before non-negative numbers
  FORMAT_SPACE = 1u << 2,            // ' ': ' ' before non-negative numbers
  FORMAT_COMMA = 1u << 3,            // ',': groups of three decimal digits
  FORMAT_LONG = 1u << 4,             // 'l' 'L' 'p': 64-bit integer argument
  FORMAT_ZERO_PAD = 1u << 5,         // leading '0', 'X', 'p': pad numbers with zeros
  FORMAT_HEX = 1u << 6,              // 'x' 'X' 'p': base 16
  FORMAT_WIDTH_GIVEN = 1u << 7,      // a width was given
  FORMAT_WIDE = 1u << 8,             // 's' 'S' 'c': source in 16-bit units
  FORMAT_PRECISION_GIVEN = 1u << 9,  // '.' was seen
  FORMAT_UNSIGNED = 1u << 10,        // 'u': decimal value is never negative
};

// What a directive prints, and so which argument it takes.
enum FORMAT_KIND : UINT8 {
  FORMAT_KIND_NUMBER,  // d u x X p: a 32- or 64-bit integer
  FORMAT_KIND_TEXT8,   // a: pointer to an 8-bit text
  FORMAT_KIND_TEXT16,  // s S: pointer to a CHAR16 text
  FORMAT_KIND_CHAR16,  // c: one CHAR16
  FORMAT_KIND_GUID,    // g: pointer to an EFI_GUID
  FORMAT_KIND_TIME,    // t: pointer to an EFI_TIME
  FORMAT_KIND_STATUS,  // r: an EFI_STATUS
  FORMAT_KIND_LITERAL  // no argument: the text in FORMAT_SPEC.Text
};

// Largest width or precision. Digit runs and '*' values beyond it saturate
// to it, so the padding arithmetic never leaves [0, FORMAT_COUNT_MAX].
inline constexpr INT64 FORMAT_COUNT_MAX = INT64_MAX;

struct FORMAT_SPEC {
  UINT32 Flags;     // FORMAT_FLAG bits
  INT64 Width;      // 0..FORMAT_COUNT_MAX
  INT64 Precision;  // 0..FORMAT_COUNT_MAX; 1 when none was given
  FORMAT_KIND Kind;
  CHAR8 Text[3];  // FORMAT_KIND_LITERAL: a character, a line break or ""
};

// At a carriage return or line feed: stores the line-break text ("\r\n",
// or "\r" for a carriage return not followed by a line feed) in Text and
// returns the position after the characters it stands for (CR LF and
// LF CR are one line break each).
const CHAR8 *ScanLineBreak(const CHAR8 *At, CHAR8 Text[3]);

// What a conversion letter does to its directive, in four bytes.
struct FORMAT_CONVERSION {
  UINT16 Set;  // flags it sets
  FORMAT_KIND Kind;
  UINT8 Precision : 1;  // the precision when none is given: 0 for strings (taken whole), else 1
  UINT8 Known : 1;      // 1: the character is a conversion letter
  UINT8 Clear : 6;      // flags it clears (all among the low six)
};

// What every character from 'S' to 'x', the span of the conversion
// letters, does (Known is 0 for the characters that are none). Indexed by
// the character itself: one look-up on the path of every directive.
inline constexpr CHAR8 FORMAT_INDEX_FIRST = 'S';
inline constexpr CHAR8 FORMAT_INDEX_LAST = 'x';
struct FORMAT_CONVERSION_INDEX {
  FORMAT_CONVERSION Entry[FORMAT_INDEX_LAST - FORMAT_INDEX_FIRST + 1];
};
extern const FORMAT_CONVERSION_INDEX mFormatConversionIndex;

inline const FORMAT_CONVERSION *FindConversion(CHAR8 Letter) {
  const UINT8 Code = static_cast<UINT8>(static_cast<UINT8>(Letter) - FORMAT_INDEX_FIRST);
  if (Code >= FORMAT_INDEX_LAST - FORMAT_INDEX_FIRST + 1 || !mFormatConversionIndex.Entry[Code].Known) {
    return nullptr;
  }
  return &mFormatConversionIndex.Entry[Code];
}

// Parses the directive whose first character (the one after '%') is at At:
// flags, width, precision and 'l' up to the character that ends it.
// Returns the position after the directive; at the format's NUL the
// directive ends there (an empty text) and the NUL is not passed.
const CHAR8 *ParseDirective(const CHAR8 *At, FORMAT_ARGS *Args, FORMAT_SPEC *Spec);
