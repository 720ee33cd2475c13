// SPDX-License-Identifier: BSD-2-Clause-Patent
// Literal text, line breaks (also inside directives) and directive
// characters that print themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::kRoomy;

TEST(FormatLiteral, PlainTextIsCopied) {
  CheckFormats({
      {"", {}, ""},
      {"abcdef", {}, "abcdef"},
      {"\x01\x7F\x80\xFF", {}, "\x01\x7F\x80\xFF"},
      {"%d GiB", {16}, "16 GiB"},
      {"%d MT/s", {6400}, "6400 MT/s"},
  });
}

TEST(FormatLiteral, LineBreaksBecomeCarriageReturnLineFeed) {
  CheckFormats({
      {"a\nb", {}, "a\r\nb"},
      {"a\r\nb", {}, "a\r\nb"},
      {"a\n\rb", {}, "a\r\nb"},
      {"a\rb", {}, "a\rb"},
      {"\r", {}, "\r"},
      {"\n", {}, "\r\n"},
      {"\n\n", {}, "\r\n\r\n"},
      {"\r\r\n", {}, "\r\r\n"},
      {"\n\r\n", {}, "\r\n\r\n"},
      {"\n\r\r", {}, "\r\n\r"},
      {"Boot: v%d.%d.%d\nApp: v%d.%d.%d", {1, 2, 3, 4, 5, 6}, "Boot: v1.2.3\r\nApp: v4.5.6"},
  });
}

TEST(FormatLiteral, LineBreaksInsideADirectiveTakeItsWidthAndPrecision) {
  CheckFormats({
      {"%\n", {}, "\r\n"},
      {"%5\n|", {}, "   \r\n|"},
      {"%-5\r|", {}, "\r    |"},
      {"%5\r\n|", {}, "   \r\n|"},
      {"%5\n\r|", {}, "   \r\n|"},
      {"%.1\n|", {}, "\r|"},
      {"%.0\n|", {}, "|"},
      {"%*\n|", {4}, "  \r\n|"},
  });
}

TEST(FormatLiteral, OtherDirectiveCharactersPrintThemselves) {
  CheckFormats({
      {"%%", {}, "%"},
      {"100%%", {}, "100%"},
      {"%q", {9}, "q", kRoomy, 0},
      {"%5%", {}, "    %"},
      {"%-3%|", {}, "%  |"},
      {"%.0%|", {}, "|"},
      {"%.3q", {}, "  q"},
      {"%D%U%A%i%o%f%e%n", {1, 2, 3}, "DUAiofen", kRoomy, 0},
      {"%\x01%\xFF", {}, "\x01\xFF"},
      {"%5*q", {3}, "  q"},
  });
}

TEST(FormatLiteral, FormatEndingInsideADirective) {
  CheckFormats({
      {"ab%", {}, "ab"},
      {"ab%5", {}, "ab     "},
      {"ab%-3", {}, "ab   "},
      {"ab%.4", {}, "ab"},
      {"ab%3.4", {}, "ab   "},
      {"ab%*", {2}, "ab  "},
      {"ab%l", {}, "ab"},
  });
}

}  // namespace
