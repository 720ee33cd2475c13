// SPDX-License-Identifier: BSD-2-Clause-Patent
// Storing text on its own: FillRepeated, EmitRun and the field emitters stop
// at the end they are given, and padding arithmetic holds at the count
// limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/format_write.h"

namespace {

TEST(FormatWrite, FillRepeatedStoresUpToCountAndBelowEnd) {
  struct Case {
    INT64 count;
    size_t room;  // End - Cursor
    size_t stored;
  };
  const Case cases[] = {
      {0, 8, 0}, {-1, 8, 0}, {INT64_MIN, 8, 0}, {3, 8, 3}, {8, 8, 8}, {9, 8, 8}, {INT64_MAX, 8, 8}, {1, 0, 0},
  };
  for (const Case &c : cases) {
    std::vector<char> bytes(c.room + 4, '.');
    char *cursor = FillRepeated(bytes.data(), bytes.data() + c.room, c.count, '#');
    EXPECT_EQ(static_cast<size_t>(cursor - bytes.data()), c.stored) << "count " << c.count;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              std::string(c.stored, '#') + std::string(bytes.size() - c.stored, '.'));
  }
}

TEST(FormatWrite, EmitRunCopiesEveryLengthUpToTheEnd) {
  const std::string text = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (size_t length = 0; length <= text.size(); ++length) {
    for (size_t room = 0; room <= length + 1; ++room) {
      std::vector<char> bytes(text.size() + 8, '.');
      char *cursor = EmitRun(bytes.data(), bytes.data() + room, text.data(), length);
      const size_t kept = std::min(room, length);
      EXPECT_EQ(static_cast<size_t>(cursor - bytes.data()), kept);
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text.substr(0, kept) + std::string(bytes.size() - kept, '.'))
          << "length " << length << " room " << room;
    }
  }
}

TEST(FormatWrite, WidthPaddingOnlyWhenAWidthExceedsTheField) {
  struct Case {
    UINT32 flags;
    INT64 width;
    INT64 field;
    INT64 padding;
  };
  const Case cases[] = {
      {0, 10, 2, 0},
      {FORMAT_WIDTH_GIVEN, 10, 2, 8},
      {FORMAT_WIDTH_GIVEN | FORMAT_LEFT, 10, 2, 8},
      {FORMAT_WIDTH_GIVEN, 2, 10, 0},
      {FORMAT_WIDTH_GIVEN, 0, 0, 0},
      {FORMAT_WIDTH_GIVEN, FORMAT_COUNT_MAX, 0, FORMAT_COUNT_MAX},
      {FORMAT_WIDTH_GIVEN, FORMAT_COUNT_MAX, FORMAT_COUNT_MAX, 0},
      {FORMAT_WIDTH_GIVEN, 1, FORMAT_COUNT_MAX, 0},
  };
  for (const Case &c : cases) {
    const FORMAT_SPEC spec = {c.flags, c.width, 1, FORMAT_KIND_NUMBER, {0, 0, 0}};
    EXPECT_EQ(WidthPadding(&spec, c.field), c.padding) << "width " << c.width << " field " << c.field;
  }
}

TEST(FormatWrite, EmittersStopAtTheEndAnywhereInTheField) {
  // "-001,234" left-justified in 12: every end position cuts it exactly.
  NUMBER_TEXT number = {'-', true, 4, 6, 8, {}};
  number.Digits[NUMBER_DIGITS_MAX - 4] = '1';
  number.Digits[NUMBER_DIGITS_MAX - 3] = '2';
  number.Digits[NUMBER_DIGITS_MAX - 2] = '3';
  number.Digits[NUMBER_DIGITS_MAX - 1] = '4';
  const FORMAT_SPEC spec = {FORMAT_WIDTH_GIVEN | FORMAT_LEFT, 12, 1, FORMAT_KIND_NUMBER, {0, 0, 0}};
  const std::string full = "-001,234    ";
  for (size_t room = 0; room <= full.size() + 1; ++room) {
    std::vector<char> bytes(full.size() + 4, '.');
    char *cursor = EmitNumberField(bytes.data(), bytes.data() + room, &spec, &number);
    const size_t kept = std::min(room, full.size());
    EXPECT_EQ(static_cast<size_t>(cursor - bytes.data()), kept);
    EXPECT_EQ(std::string(bytes.data(), kept), full.substr(0, kept));
    EXPECT_EQ(bytes[kept], '.') << "room " << room;
  }
}

}  // namespace
