// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <gtest/gtest.h>

#include <string>

#include "text/string_ops.h"

namespace {

TEST(WidenAscii, WidensEveryByteAsItsOwnUnitWithoutSignExtension) {
  struct Case {
    std::string source;
  };
  std::string all_high;
  for (int c = 0x80; c <= 0xFF; ++c) {
    all_high.push_back(static_cast<char>(c));
  }
  const Case cases[] = {{""}, {"8 GiB"}, {"\xE9t\xE9"}, {all_high}, {std::string(255, 'x')}};
  for (const Case &c : cases) {
    std::u16string out(c.source.size() + 4, u'\xAAAA');
    WidenAscii(c.source.c_str(), out.data());
    for (size_t i = 0; i < c.source.size(); ++i) {
      ASSERT_EQ(out[i], static_cast<unsigned char>(c.source[i])) << "position " << i;
    }
    EXPECT_EQ(out[c.source.size()], 0);
    EXPECT_EQ(out[c.source.size() + 1], u'\xAAAA') << "wrote past the terminator";
  }
}

TEST(AsciiLength, CountsBytesBeforeTheFirstNul) {
  EXPECT_EQ(AsciiLength(""), 0u);
  EXPECT_EQ(AsciiLength("x-UEFI"), 6u);
  EXPECT_EQ(AsciiLength("en\0US"), 2u);
  EXPECT_EQ(AsciiLength("\xFF\x80"), 2u);
}

TEST(CompareAsciiN, ReturnsTheDifferenceOfTheLastPairCompared) {
  struct Case {
    const char *first;
    const char *second;
    UINTN length;
    INTN expected;
  };
  const Case cases[] = {
      {"abc", "xyz", 0, 0},                // length 0 reads nothing
      {"x-UEFI", "x-UEFI", 6, 0},          // exact prefix
      {"x-UEFI-ns", "x-UEFI", 6, 0},       // longer text with the prefix
      {"x-UEF", "x-UEFI", 6, -0x49},       // shorter: 0 - 'I'
      {"X-UEFI", "x-UEFI", 6, 'X' - 'x'},  // case-sensitive
      {"en-US", "x-UEFI", 6, 'e' - 'x'},   // first byte differs
      {"x-U", "x-UEFI", 6, -'E'},          // only a beginning of the prefix
      {"x-UEFI", "x-U", 6, 'E'},           // the second text ends first
      {"abcd", "abce", 3, 0},              // difference beyond length
      {"abcd", "abce", 4, 'd' - 'e'},
      {"\xFF", "\x01", 1, 0xFF - 0x01},  // bytes are unsigned
      {"", "", 5, 0},                    // both end together
  };
  for (const Case &c : cases) {
    EXPECT_EQ(CompareAsciiN(c.first, c.second, c.length), c.expected)
        << '"' << c.first << "\" vs \"" << c.second << "\" length " << c.length;
  }
}

TEST(CompareWide, ReturnsTheDifferenceOfTheFirstUnequalUnits) {
  struct Case {
    const CHAR16 *first;
    const CHAR16 *second;
    INTN expected;
  };
  const Case cases[] = {
      {u"Vemko Tarsa Q4M", u"Vemko Tarsa Q4M", 0},
      {u"Vemko Tarsa Q4L", u"Vemko Tarsa Q4M", 'L' - 'M'},
      {u"Vemko Tarsa Q4", u"Vemko Tarsa Q4M", -'M'},   // first is a prefix of second
      {u"Vemko Tarsa Q4Mx", u"Vemko Tarsa Q4M", 'x'},  // second is a prefix of first
      {u"vemko Tarsa Q4M", u"Vemko Tarsa Q4M", 'v' - 'V'},
      {u"\xFFFF", u"\x0001", 0xFFFF - 1},  // units are unsigned
      {u"", u"\xFFFF", -0xFFFF},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(CompareWide(c.first, c.second), c.expected);
  }
}

}  // namespace
