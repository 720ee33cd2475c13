// SPDX-License-Identifier: BSD-2-Clause-Patent
// Widths and precisions at the limits: the output fills the buffer exactly
// and nothing overflows, whatever the counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::Ptr;

constexpr UINTN kSize = 48;

constexpr UINT64 Neg(INT64 v) { return static_cast<UINT64>(v); }

// `start` and then `fill` up to the last character the buffer holds.
std::string Filled(const std::string &start, char fill) { return start + std::string(kSize - 1 - start.size(), fill); }

TEST(FormatLimits, HugeCountsFillTheBufferAndNoMore) {
  CheckFormats({
      {"%9223372036854775807d", {42}, Filled("", ' '), kSize},
      {"%99999999999999999999999d", {42}, Filled("", ' '), kSize},
      {"%-9223372036854775807d", {42}, Filled("42", ' '), kSize},
      {"%.9223372036854775807d", {42}, Filled("", '0'), kSize},
      {"%+.9223372036854775807d", {42}, Filled("+", '0'), kSize},
      {"%-.99999999999999999999d", {Neg(-1)}, Filled("-", '0'), kSize},
      {"%09223372036854775807d", {Neg(-5)}, Filled("-", '0'), kSize},
      {"%*d", {~0ull, 42}, Filled("", ' '), kSize},
      {"%*d", {1ull << 63, 42}, Filled("", ' '), kSize},
      {"%-*d", {~0ull, 42}, Filled("42", ' '), kSize},
      {"%.*d", {~0ull, 42}, Filled("", '0'), kSize},
      {"%.*a", {~0ull, Ptr("abc")}, Filled("", ' '), kSize},
      {"%-.*a", {~0ull, Ptr("abc")}, Filled("", ' '), kSize},
      {"%-*.*s", {~0ull, ~0ull, Ptr(u"abc")}, Filled("", ' '), kSize},
      {"%.9223372036854775807c", {'A'}, Filled("", ' '), kSize},
      {"%99999999999999999999999%", {}, Filled("", ' '), kSize},
      {"%-99999999999999999999999g", {0}, Filled("<null guid>", ' '), kSize},
  });
}

TEST(FormatLimits, CountsJustBelowTheBufferEndStillShowTheText) {
  CheckFormats({
      {"%46d", {42}, std::string(44, ' ') + "42", kSize},
      {"%.46d|", {Neg(-42)}, "-" + std::string(44, '0') + "42", kSize},
  });
}

}  // namespace
