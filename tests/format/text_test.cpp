// SPDX-License-Identifier: BSD-2-Clause-Patent
// Text directives: a (8-bit), s and S (CHAR16), c (one CHAR16).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::Ptr;
using format_test::RunFormat;

const char kAbc[] = "abc";
const char kAbcdef[] = "abcdef";
const char16_t kWideAbc[] = u"abc";

TEST(FormatText, EightBitText) {
  CheckFormats({
      {"%a", {Ptr(kAbcdef)}, "abcdef"},
      {"%a", {Ptr("")}, ""},
      {"%.2a", {Ptr(kAbcdef)}, "ab"},
      {"%.8a", {Ptr(kAbc)}, "     abc"},
      {"%-10.8a|", {Ptr(kAbc)}, "     abc  |"},
      {"%6a", {Ptr(kAbc)}, "   abc"},
      {"%-6a|", {Ptr(kAbc)}, "abc   |"},
      {"%2a", {Ptr(kAbcdef)}, "abcdef"},
      {"%.0a|", {Ptr(kAbc)}, "|"},
      {"%.a", {Ptr(kAbc)}, "a"},  // '.' alone keeps the precision at 1
      {"%.*a", {2, Ptr(kAbc)}, "ab"},
      {"%06a", {Ptr(kAbc)}, "   abc"},  // texts pad with spaces only
      {"%0a|", {Ptr("")}, "|"},         // a string's field is its length, even when empty
      {"%3a|", {Ptr("")}, "   |"},
      {"%+ ,la", {Ptr(kAbc)}, "abc"},
      {"%a | (Raw Value: %d)", {Ptr("8 GiB (Hive)"), 6}, "8 GiB (Hive) | (Raw Value: 6)"},
      {"%a", {Ptr("\x80\xFF")}, "\x80\xFF"},
  });
}

TEST(FormatText, SixteenBitText) {
  const char16_t high[] = {0x0141, 0x20AC, 0xFF41, 0};
  const char16_t low_byte_zero[] = {u'a', 0x0100, u'b', 0xFF00, 0};
  CheckFormats({
      {"%s", {Ptr(kWideAbc)}, "abc"},
      {"%S", {Ptr(kWideAbc)}, "abc"},
      {"%.2s", {Ptr(kWideAbc)}, "ab"},
      {"%5S", {Ptr(kWideAbc)}, "  abc"},
      {"%.5s", {Ptr(kWideAbc)}, "  abc"},
      {"%-5s|", {Ptr(kWideAbc)}, "abc  |"},
      {"%s", {Ptr(u"")}, ""},
      {"%0s|", {Ptr(u"")}, "|"},
      {"%s", {Ptr(high)}, "\x41\xAC\x41"},   // low 8 bits of each unit
      {"%s", {Ptr(low_byte_zero)}, "a?b?"},  // a zero low byte would end the text
  });
}

TEST(FormatText, SixteenBitTextAtAnOddAddress) {
  alignas(2) unsigned char bytes[9] = {0xEE, 'h', 0, 'i', 0x01, '!', 0, 0, 0};
  EXPECT_EQ(RunFormat("%s", {Ptr(bytes + 1)}).text, "hi!");
}

TEST(FormatText, NullPointersPrintAPlaceholder) {
  CheckFormats({
      {"%a", {0}, "<null string>"},
      {"%s", {0}, "<null string>"},
      {"%S", {0}, "<null string>"},
      {"%.4a", {0}, "<nul"},
      {"%.4s", {0}, "<nul"},
      {"%15s", {0}, "  <null string>"},
      {"%-15a|", {0}, "<null string>  |"},
  });
}

TEST(FormatText, SingleCharacter) {
  CheckFormats({
      {"%c", {'A'}, "A"},
      {"%c", {0x263A}, "\x3A"},
      {"%c", {0x10041}, "A"},  // only the low 16 bits
      {"%c|", {0x4100}, "?|"},
      {"%c|", {0}, " |"},
      {"%.0c|", {0}, "|"},
      {"%.0c|", {'A'}, "|"},
      {"%3c", {'A'}, "  A"},
      {"%-3c|", {'A'}, "A  |"},
      {"%.3c", {'A'}, "  A"},
      {"%c%c", {'o', 'k'}, "ok"},
  });
}

TEST(FormatText, PrecisionBoundsTheReadOfAnUnterminatedText) {
  // Exactly sized allocations without a terminator: reading past the
  // precision is a heap overflow that AddressSanitizer reports.
  const std::vector<char> narrow = {'w', 'x', 'y', 'z'};
  const std::vector<char16_t> wide = {u'w', u'x', u'y', u'z'};
  const std::vector<char> block(33, 'b');  // past the 16-byte blocks of the measure
  EXPECT_EQ(RunFormat("%.4a", {Ptr(narrow.data())}).text, "wxyz");
  EXPECT_EQ(RunFormat("%.3a", {Ptr(narrow.data())}).text, "wxy");
  EXPECT_EQ(RunFormat("%.33a", {Ptr(block.data())}).text, std::string(33, 'b'));
  EXPECT_EQ(RunFormat("%.16a", {Ptr(block.data())}).text, std::string(16, 'b'));
  EXPECT_EQ(RunFormat("%.4s", {Ptr(wide.data())}).text, "wxyz");
  EXPECT_EQ(RunFormat("%-6.2S|", {Ptr(wide.data())}).text, "wx    |");
}

}  // namespace
