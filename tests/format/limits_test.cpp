// Widths and precisions at the limits: the output fills the buffer exactly
// and nothing overflows, whatever the counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::Ptr;
using format_test::RunFormat;

constexpr UINTN kSize = 48;

constexpr UINT64 Neg(INT64 v) { return static_cast<UINT64>(v); }

TEST(FormatLimits, HugeCountsFillTheBufferAndNoMore) {
  struct Case {
    const char *format;
    std::vector<UINT64> args;
    std::string expected_start;
    char fill;
  };
  const Case cases[] = {
      {"%9223372036854775807d", {42}, "", ' '},
      {"%99999999999999999999999d", {42}, "", ' '},
      {"%-9223372036854775807d", {42}, "42", ' '},
      {"%.9223372036854775807d", {42}, "", '0'},
      {"%+.9223372036854775807d", {42}, "+", '0'},
      {"%-.99999999999999999999d", {Neg(-1)}, "-", '0'},
      {"%09223372036854775807d", {Neg(-5)}, "-", '0'},
      {"%*d", {~0ull, 42}, "", ' '},
      {"%*d", {1ull << 63, 42}, "", ' '},
      {"%-*d", {~0ull, 42}, "42", ' '},
      {"%.*d", {~0ull, 42}, "", '0'},
      {"%.*a", {~0ull, Ptr("abc")}, "", ' '},
      {"%-.*a", {~0ull, Ptr("abc")}, "", ' '},
      {"%-*.*s", {~0ull, ~0ull, Ptr(u"abc")}, "", ' '},
      {"%.9223372036854775807c", {'A'}, "", ' '},
      {"%99999999999999999999999%", {}, "", ' '},
      {"%-99999999999999999999999g", {0}, "<null guid>", ' '},
  };
  for (const Case &c : cases) {
    const format_test::Output out = RunFormat(c.format, c.args, kSize);
    const std::string expected = c.expected_start + std::string(kSize - 1 - c.expected_start.size(), c.fill);
    EXPECT_EQ(out.text, expected) << "format \"" << c.format << "\"";
  }
}

TEST(FormatLimits, CountsJustBelowTheBufferEndStillShowTheText) {
  const format_test::Output width = RunFormat("%46d", {42}, kSize);
  EXPECT_EQ(width.text, std::string(44, ' ') + "42");
  const format_test::Output precision = RunFormat("%.46d|", {Neg(-42)}, kSize);
  EXPECT_EQ(precision.text, "-" + std::string(44, '0') + "42");
}

}  // namespace
