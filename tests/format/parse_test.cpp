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

constexpr UINT32 W = FORMAT_WIDTH_GIVEN;
constexpr UINT32 P = FORMAT_PRECISION_GIVEN;
constexpr UINT32 Z = FORMAT_ZERO_PAD;
constexpr FORMAT_KIND N = FORMAT_KIND_NUMBER;
constexpr FORMAT_KIND L = FORMAT_KIND_LITERAL;

TEST(FormatParse, FlagsWidthAndPrecisionInAnyOrder) {
  CheckAll({
      {"d", {}, 0, 0, 1, N, 1, 0, ""},
      {"-+ ,ld", {}, FORMAT_LEFT | FORMAT_PLUS | FORMAT_SPACE | FORMAT_COMMA | FORMAT_LONG, 0, 1, N, 6, 0, ""},
      {"Ld", {}, FORMAT_LONG, 0, 1, N, 2, 0, ""},
      {"12d", {}, W, 12, 1, N, 3, 0, ""},
      {"012d", {}, W | Z, 12, 1, N, 4, 0, ""},
      {"0d", {}, W | Z, 0, 1, N, 2, 0, ""},
      {".5d", {}, P, 0, 5, N, 3, 0, ""},
      {".05d", {}, P, 0, 5, N, 4, 0, ""},  // '0' after '.' is only a digit
      {".d", {}, P, 0, 1, N, 2, 0, ""},
      {"7.3d", {}, W | P, 7, 3, N, 4, 0, ""},
      {"5-l0d", {}, W | FORMAT_LEFT | FORMAT_LONG | Z, 0, 1, N, 5, 0, ""},
      {"5.2.7d", {}, W | P, 5, 7, N, 6, 0, ""},
      {"3x9d", {}, W | FORMAT_HEX, 3, 1, N, 2, 0, ""},  // 'x' ends the directive
  });
}

TEST(FormatParse, StarTakesOneSlotForWidthOrPrecision) {
  CheckAll({
      {"*d", {6}, W, 6, 1, N, 2, 1, ""},
      {".*d", {4}, P, 0, 4, N, 3, 1, ""},
      {"*.*d", {6, 4}, W | P, 6, 4, N, 4, 2, ""},
      {"5*d", {9}, W, 9, 1, N, 3, 1, ""},
      {"*5d", {9}, W, 5, 1, N, 3, 1, ""},
      {"*d", {}, W, 0, 1, N, 2, 0, ""},  // no slot left: 0
  });
}

TEST(FormatParse, ConversionsSetAndClearFlags) {
  CheckAll({
      {"+u", {}, FORMAT_UNSIGNED, 0, 1, N, 2, 0, ""},
      {"X", {}, FORMAT_HEX | Z, 0, 1, N, 1, 0, ""},
      {"x", {}, FORMAT_HEX, 0, 1, N, 1, 0, ""},
      {"+ p", {}, FORMAT_HEX | Z | FORMAT_LONG, 0, 1, N, 3, 0, ""},
      {"a", {}, 0, 0, 0, FORMAT_KIND_TEXT8, 1, 0, ""},
      {".3a", {}, P, 0, 3, FORMAT_KIND_TEXT8, 3, 0, ""},
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
      {"%", {}, 0, 0, 1, L, 1, 0, "%"},
      {"5q", {}, W, 5, 1, L, 2, 0, "q"},
      {"D", {}, 0, 0, 1, L, 1, 0, "D"},
      {"", {}, 0, 0, 0, L, 0, 0, ""},
      {"7", {}, W, 7, 0, L, 1, 0, ""},
      {".4", {}, P, 0, 0, L, 2, 0, ""},
      {"\n", {}, 0, 0, 1, L, 1, 0, "\r\n"},
      {"\n\r", {}, 0, 0, 1, L, 2, 0, "\r\n"},
      {"\r\n", {}, 0, 0, 1, L, 2, 0, "\r\n"},
      {"\rx", {}, 0, 0, 1, L, 1, 0, "\r"},
      {"\r", {}, 0, 0, 1, L, 1, 0, "\r"},
      {"\n\n", {}, 0, 0, 1, L, 1, 0, "\r\n"},
  });
}

TEST(FormatParse, OutOfRangeCountsSaturate) {
  CheckAll({
      {"9223372036854775807d", {}, W, kMax, 1, N, 20, 0, ""},
      {"9223372036854775808d", {}, W, kMax, 1, N, 20, 0, ""},
      {"99999999999999999999999999d", {}, W, kMax, 1, N, 27, 0, ""},
      {".18446744073709551616d", {}, P, 0, kMax, N, 22, 0, ""},
      {"922337203685477580d", {}, W, kMax / 10, 1, N, 19, 0, ""},
      {"*d", {~0ull}, W, kMax, 1, N, 2, 1, ""},
      {"*d", {1ull << 63}, W, kMax, 1, N, 2, 1, ""},
      {"*d", {(1ull << 63) - 1}, W, kMax, 1, N, 2, 1, ""},
      {".*d", {~0ull}, P, 0, kMax, N, 3, 1, ""},
  });
}

}  // namespace
