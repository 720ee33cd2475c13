// SPDX-License-Identifier: BSD-2-Clause-Patent
// Output cut by the buffer size: every size from 0 to two past the full
// length stores the prefix of the full output and a terminator.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/guids.h"
#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::FormatCase;
using format_test::Ptr;

constexpr UINT64 Neg(INT64 v) { return static_cast<UINT64>(v); }

const EFI_TIME kTime = {2024, 3, 7, 9, 5, 0, 0, 0, 0, 0, 0};

TEST(FormatTruncation, EverySizeStoresThePrefixOfTheFullOutput) {
  const std::vector<FormatCase> full = {
      {"abcdef", {}, "abcdef"},
      {"Boot: v%d.%d.%d\nApp: v%d.%d.%d", {1, 22, 333, 4, 55, 666}, "Boot: v1.22.333\r\nApp: v4.55.666"},
      {"%a | (Raw Value: %d)", {Ptr("8 GiB (Hive)"), 6}, "8 GiB (Hive) | (Raw Value: 6)"},
      {"[%-8d][%8d]", {Neg(-17), 17}, "[-17     ][      17]"},
      {"%+08d|%,d|%,ld", {42, Neg(-1234567), 0x8000000000000000ull}, "+0000042|-1,234,567|-9,223,372,036,854,775,808"},
      {"%16p %8X %x", {0xBEEF, 0xA, 0xFFFFFFFF}, "000000000000BEEF 0000000A FFFFFFFF"},
      {"%.8a|%-10.3s|", {Ptr("abc"), Ptr(u"wxyz")}, "     abc|wxy       |"},
      {"%s|%S", {Ptr(u"PD v2.1"), Ptr(u"\u0100x")}, "PD v2.1|?x"},
      {"%g %t %r %r %r",
       {Ptr(&PAGE_GUID), Ptr(&kTime), 0, 0x800000000000000Eull, 6},
       "DBB34835-1A17-4F04-B00F-57DBA4D13C98 03/07/2024  09:05 Success Not Found 00000006"},
      {"a\r\nb\n\rc\rd\n", {}, "a\r\nb\r\nc\rd\r\n"},
      {"%5%%c%c%7", {'x', 0}, "    %x        "},
  };
  CheckFormats(full);
  for (const FormatCase &c : full) {
    for (UINTN size = 0; size <= c.expected.size() + 2; ++size) {
      SCOPED_TRACE(testing::Message() << "format \"" << c.format << "\" size " << size);
      const format_test::Output out = format_test::RunFormat(c.format, c.args, size);
      const UINTN kept = size == 0 ? 0 : std::min<UINTN>(size - 1, c.expected.size());
      EXPECT_EQ(out.returned, kept);
      EXPECT_EQ(out.text, c.expected.substr(0, kept));
    }
  }
}

TEST(FormatTruncation, DirectivesAfterTheCutTakeNoArguments) {
  CheckFormats({
      {"%d%d%d", {1, 2, 3}, "1", 2, 1},
      {"%d%d%d", {1, 2, 3}, "12", 3, 2},
      {"%d%d%d", {1, 2, 3}, "", 1, 0},
      {"%d%d%d", {1, 2, 3}, "123", 4, 3},
      {"%5d%d", {1, 2}, "  ", 3, 1},   // cut inside the padding of the first
      {"ab%*d", {3, 9}, "ab", 3, 0},   // the cut falls before the directive
      {"ab%*d", {3, 9}, "ab ", 4, 2},  // the '*' and the value both go
      {"%g%d", {Ptr(&PAGE_GUID), 4}, "DBB34835-", 10, 1},
  });
}

}  // namespace
