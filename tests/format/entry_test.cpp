// SPDX-License-Identifier: BSD-2-Clause-Patent
// Entry checks: the calls that return 0 without storing anything, and the
// longest format that is still formatted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/format/format_harness.h"
#include "text/format.h"

namespace {

using format_test::RunFormat;

constexpr size_t kLongest = 1000000;

TEST(FormatEntry, RejectedCallsReturnZeroAndStoreNothing) {
  const std::string too_long(kLongest + 1, 'x');
  struct Case {
    const char *name;
    const char *format;
    UINTN size;
  };
  const Case cases[] = {
      {"size 0", "abc", 0},
      {"size 0, empty format", "", 0},
      {"NULL format", nullptr, 16},
      {"NULL format, size 0", nullptr, 0},
      {"format one past the limit", too_long.c_str(), 16},
      {"format one past the limit, size 0", too_long.c_str(), 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    // The whole array is the guard: no byte of it may change.
    std::vector<char> bytes(32, '\x5A');
    const UINT64 slot = 7;
    FORMAT_ARGS list = {&slot, 1, 0};
    EXPECT_EQ(FormatAsciiList(bytes.data() + 8, c.size, c.format, &list), 0u);
    EXPECT_EQ(bytes, std::vector<char>(32, '\x5A'));
    EXPECT_EQ(list.Next, 0u) << "an argument was taken";
  }
}

TEST(FormatEntry, NullBufferWithASizeIsRefusedBeforeTheFormatIsRead) {
  // The format has no terminator inside its allocation: measuring it would
  // read past the allocation, which AddressSanitizer reports.
  const std::vector<char> unterminated(8, 'x');
  EXPECT_EQ(FormatAscii(nullptr, 5, unterminated.data()), 0u);
  EXPECT_EQ(FormatAscii(nullptr, 0, "abc"), 0u);
}

TEST(FormatEntry, FormatOfExactlyTheLimitIsFormatted) {
  const std::string longest(kLongest, 'y');
  const format_test::Output out = RunFormat(longest.c_str(), {}, 64);
  EXPECT_EQ(out.text, std::string(63, 'y'));
  const format_test::Output whole = RunFormat(longest.c_str(), {}, kLongest + 1);
  EXPECT_EQ(whole.returned, kLongest);
}

TEST(FormatEntry, SizeReachingPastTheAddressSpaceStillStoresTheText) {
  char buffer[8] = {'\x5A', '\x5A', '\x5A', '\x5A', '\x5A', '\x5A', '\x5A', '\x5A'};
  EXPECT_EQ(FormatAscii(buffer, ~0ull, "a%db", 7), 3u);
  EXPECT_STREQ(buffer, "a7b");
  EXPECT_EQ(buffer[4], '\x5A');
}

}  // namespace
