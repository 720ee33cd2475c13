// SPDX-License-Identifier: BSD-2-Clause-Patent
// The directive parser on its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/format_parse.h"

namespace {

constexpr INT64 kMax = FORMAT_COUNT_MAX;

struct Case {
  const char *directive;  // the characters after '%'
  std::vector<UINT64> args;
  UINT32 flags;
  INT64 width;
  INT64 precision;
  FORMAT_KIND kind;
  size_t consumed;
  UINTN taken;
  const char *text;  // FORMAT_KIND_LITERAL only
};

void CheckAll(const std::vector<Case> &cases) {
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "directive \"" << testing::PrintToString(std::string(c.directive)) << "\"");
    FORMAT_ARGS list = {c.args.data(), c.args.size(), 0};
    FORMAT_SPEC spec;
    const CHAR8 *after = ParseDirective(c.directive, &list, &spec);
    EXPECT_EQ(static_cast<size_t>(after - c.directive), c.consumed);
    EXPECT_EQ(spec.Flags, c.flags);
    EXPECT_EQ(spec.Width, c.width);
    EXPECT_EQ(spec.Precision, c.precision);
    EXPECT_EQ(spec.Kind, c.kind);
    EXPECT_EQ(list.Next, c.taken);
    if (c.kind == FORMAT_KIND_LITERAL) {
      EXPECT_STREQ(spec.Text, c.text);
    }
  }
}

constexpr UINT32 kW = FORMAT_WIDTH_GIVEN;
constexpr UINT32 kP = FORMAT_PRECISION_GIVEN;
constexpr UINT32 kZ = FORMAT_ZERO_PAD;
constexpr FORMAT_KIND kN = FORMAT_KIND_NUMBER;
constexpr FORMAT_KIND kL = FORMAT_KIND_LITERAL;

TEST(FormatParse, FlagsWidthAndPrecisionInAnyOrder) {
  CheckAll({
      {"d", {}, 0, 0, 1, kN, 1, 0, ""},
      {"-+ ,ld", {}, FORMAT_LEFT | FORMAT_PLUS | FORMAT_SPACE | FORMAT_COMMA | FORMAT_LONG, 0, 1, kN, 6, 0, ""},
      {"Ld", {}, FORMAT_LONG, 0, 1, kN, 2, 0, ""},
      {"12d", {}, kW, 12, 1, kN, 3, 0, ""},
      {"012d", {}, kW | kZ, 12, 1, kN, 4, 0, ""},
      {"0d", {}, kW | kZ, 0, 1, kN, 2, 0, ""},
      {".5d", {}, kP, 0, 5, kN, 3, 0, ""},
      {".05d", {}, kP, 0, 5, kN, 4, 0, ""},  // '0' after '.' is only a digit
      {".d", {}, kP, 0, 1, kN, 2, 0, ""},
      {"7.3d", {}, kW | kP, 7, 3, kN, 4, 0, ""},
      {"5-l0d", {}, kW | FORMAT_LEFT | FORMAT_LONG | kZ, 0, 1, kN, 5, 0, ""},
      {"5.2.7d", {}, kW | kP, 5, 7, kN, 6, 0, ""},
      {"3x9d", {}, kW | FORMAT_HEX, 3, 1, kN, 2, 0, ""},  // 'x' ends the directive
  });
}

TEST(FormatParse, StarTakesOneSlotForWidthOrPrecision) {
  CheckAll({
      {"*d", {6}, kW, 6, 1, kN, 2, 1, ""},
      {".*d", {4}, kP, 0, 4, kN, 3, 1, ""},
      {"*.*d", {6, 4}, kW | kP, 6, 4, kN, 4, 2, ""},
      {"5*d", {9}, kW, 9, 1, kN, 3, 1, ""},
      {"*5d", {9}, kW, 5, 1, kN, 3, 1, ""},
      {"*d", {}, kW, 0, 1, kN, 2, 0, ""},  // no slot left: 0
  });
}

TEST(FormatParse, ConversionsSetAndClearFlags) {
  CheckAll({
      {"+u", {}, FORMAT_UNSIGNED, 0, 1, kN, 2, 0, ""},
      {"X", {}, FORMAT_HEX | kZ, 0, 1, kN, 1, 0, ""},
      {"x", {}, FORMAT_HEX, 0, 1, kN, 1, 0, ""},
      {"+ p", {}, FORMAT_HEX | kZ | FORMAT_LONG, 0, 1, kN, 3, 0, ""},
      {"a", {}, 0, 0, 0, FORMAT_KIND_TEXT8, 1, 0, ""},
      {".3a", {}, kP, 0, 3, FORMAT_KIND_TEXT8, 3, 0, ""},
      {"s", {}, FORMAT_WIDE, 0, 0, FORMAT_KIND_TEXT16, 1, 0, ""},
      {"S", {}, FORMAT_WIDE, 0, 0, FORMAT_KIND_TEXT16, 1, 0, ""},
      {"c", {}, FORMAT_WIDE, 0, 1, FORMAT_KIND_CHAR16, 1, 0, ""},
      {"g", {}, 0, 0, 1, FORMAT_KIND_GUID, 1, 0, ""},
      {"t", {}, 0, 0, 1, FORMAT_KIND_TIME, 1, 0, ""},
      {"r", {}, 0, 0, 1, FORMAT_KIND_STATUS, 1, 0, ""},
  });
}

TEST(FormatParse, LiteralEndings) {
  CheckAll({
      {"%", {}, 0, 0, 1, kL, 1, 0, "%"},
      {"5q", {}, kW, 5, 1, kL, 2, 0, "q"},
      {"D", {}, 0, 0, 1, kL, 1, 0, "D"},
      {"", {}, 0, 0, 0, kL, 0, 0, ""},
      {"7", {}, kW, 7, 0, kL, 1, 0, ""},
      {".4", {}, kP, 0, 0, kL, 2, 0, ""},
      {"\n", {}, 0, 0, 1, kL, 1, 0, "\r\n"},
      {"\n\r", {}, 0, 0, 1, kL, 2, 0, "\r\n"},
      {"\r\n", {}, 0, 0, 1, kL, 2, 0, "\r\n"},
      {"\rx", {}, 0, 0, 1, kL, 1, 0, "\r"},
      {"\r", {}, 0, 0, 1, kL, 1, 0, "\r"},
      {"\n\n", {}, 0, 0, 1, kL, 1, 0, "\r\n"},
  });
}

TEST(FormatParse, OutOfRangeCountsSaturate) {
  CheckAll({
      {"9223372036854775807d", {}, kW, kMax, 1, kN, 20, 0, ""},
      {"9223372036854775808d", {}, kW, kMax, 1, kN, 20, 0, ""},
      {"99999999999999999999999999d", {}, kW, kMax, 1, kN, 27, 0, ""},
      {".18446744073709551616d", {}, kP, 0, kMax, kN, 22, 0, ""},
      {"922337203685477580d", {}, kW, kMax / 10, 1, kN, 19, 0, ""},
      {"*d", {~0ull}, kW, kMax, 1, kN, 2, 1, ""},
      {"*d", {1ull << 63}, kW, kMax, 1, kN, 2, 1, ""},
      {"*d", {(1ull << 63) - 1}, kW, kMax, 1, kN, 2, 1, ""},
      {".*d", {~0ull}, kP, 0, kMax, kN, 3, 1, ""},
  });
}

}  // namespace
