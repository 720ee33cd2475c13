// Literal text, line breaks (also inside directives) and directive
// characters that print themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::RunFormat;

struct Case {
  const char *format;
  std::vector<UINT64> args;
  std::string expected;
  UINTN taken;
};

void Check(const Case &c) {
  SCOPED_TRACE(testing::Message() << "format \"" << testing::PrintToString(std::string(c.format)) << "\"");
  const format_test::Output out = RunFormat(c.format, c.args);
  EXPECT_EQ(out.text, c.expected);
  EXPECT_EQ(out.returned, c.expected.size());
  EXPECT_EQ(out.taken, c.taken);
}

TEST(FormatLiteral, PlainTextIsCopied) {
  const Case cases[] = {
      {"", {}, "", 0},
      {"abcdef", {}, "abcdef", 0},
      {"\x01\x7F\x80\xFF", {}, "\x01\x7F\x80\xFF", 0},
      {"%d GiB", {16}, "16 GiB", 1},
      {"%d MT/s", {6400}, "6400 MT/s", 1},
  };
  for (const Case &c : cases) Check(c);
}

TEST(FormatLiteral, LineBreaksBecomeCarriageReturnLineFeed) {
  const Case cases[] = {
      {"a\nb", {}, "a\r\nb", 0},
      {"a\r\nb", {}, "a\r\nb", 0},
      {"a\n\rb", {}, "a\r\nb", 0},
      {"a\rb", {}, "a\rb", 0},
      {"\r", {}, "\r", 0},
      {"\n", {}, "\r\n", 0},
      {"\n\n", {}, "\r\n\r\n", 0},
      {"\r\r\n", {}, "\r\r\n", 0},
      {"\n\r\n", {}, "\r\n\r\n", 0},
      {"\n\r\r", {}, "\r\n\r", 0},
      {"Boot: v%d.%d.%d\nApp: v%d.%d.%d", {1, 2, 3, 4, 5, 6}, "Boot: v1.2.3\r\nApp: v4.5.6", 6},
  };
  for (const Case &c : cases) Check(c);
}

TEST(FormatLiteral, LineBreaksInsideADirectiveTakeItsWidthAndPrecision) {
  const Case cases[] = {
      {"%\n", {}, "\r\n", 0},
      {"%5\n|", {}, "   \r\n|", 0},
      {"%-5\r|", {}, "\r    |", 0},
      {"%5\r\n|", {}, "   \r\n|", 0},
      {"%5\n\r|", {}, "   \r\n|", 0},
      {"%.1\n|", {}, "\r|", 0},
      {"%.0\n|", {}, "|", 0},
      {"%*\n|", {4}, "  \r\n|", 1},
  };
  for (const Case &c : cases) Check(c);
}

TEST(FormatLiteral, OtherDirectiveCharactersPrintThemselves) {
  const Case cases[] = {
      {"%%", {}, "%", 0},
      {"100%%", {}, "100%", 0},
      {"%q", {9}, "q", 0},
      {"%5%", {}, "    %", 0},
      {"%-3%|", {}, "%  |", 0},
      {"%.0%|", {}, "|", 0},
      {"%.3q", {}, "  q", 0},
      {"%D%U%A%i%o%f%e%n", {1, 2, 3}, "DUAiofen", 0},
      {"%\x01%\xFF", {}, "\x01\xFF", 0},
      {"%5*q", {3}, "  q", 1},
  };
  for (const Case &c : cases) Check(c);
}

TEST(FormatLiteral, FormatEndingInsideADirective) {
  const Case cases[] = {
      {"ab%", {}, "ab", 0},
      {"ab%5", {}, "ab     ", 0},
      {"ab%-3", {}, "ab   ", 0},
      {"ab%.4", {}, "ab", 0},
      {"ab%3.4", {}, "ab   ", 0},
      {"ab%*", {2}, "ab  ", 1},
      {"ab%l", {}, "ab", 0},
  };
  for (const Case &c : cases) Check(c);
}

}  // namespace
