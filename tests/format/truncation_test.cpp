// Output cut by the buffer size: every size from 0 to two past the full
// length stores the prefix of the full output and a terminator.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/guids.h"
#include "tests/format/format_harness.h"

namespace {

using format_test::Ptr;
using format_test::RunFormat;

struct Case {
  const char *format;
  std::vector<UINT64> args;
};

constexpr UINT64 Neg(INT64 v) { return static_cast<UINT64>(v); }

const EFI_TIME kTime = {2024, 3, 7, 9, 5, 0, 0, 0, 0, 0, 0};

TEST(FormatTruncation, EverySizeStoresThePrefixOfTheFullOutput) {
  const Case cases[] = {
      {"abcdef", {}},
      {"Boot: v%d.%d.%d\nApp: v%d.%d.%d", {1, 22, 333, 4, 55, 666}},
      {"%a | (Raw Value: %d)", {Ptr("8 GiB (Hive)"), 6}},
      {"[%-8d][%8d]", {Neg(-17), 17}},
      {"%+08d|%,d|%,ld", {42, Neg(-1234567), 0x8000000000000000ull}},
      {"%16p %8X %x", {0xBEEF, 0xA, 0xFFFFFFFF}},
      {"%.8a|%-10.3s|", {Ptr("abc"), Ptr(u"wxyz")}},
      {"%s|%S", {Ptr(u"PD v2.1"), Ptr(u"\u0100x")}},
      {"%g %t %r %r %r", {Ptr(&PAGE_GUID), Ptr(&kTime), 0, 0x800000000000000Eull, 6}},
      {"a\r\nb\n\rc\rd\n", {}},
      {"%5%%c%c%7", {'x', 0}},
  };
  for (const Case &c : cases) {
    const std::string full = RunFormat(c.format, c.args).text;
    ASSERT_FALSE(full.empty());
    for (UINTN size = 0; size <= full.size() + 2; ++size) {
      SCOPED_TRACE(testing::Message() << "format \"" << c.format << "\" size " << size);
      const format_test::Output out = RunFormat(c.format, c.args, size);
      const UINTN kept = size == 0 ? 0 : std::min<UINTN>(size - 1, full.size());
      EXPECT_EQ(out.returned, kept);
      EXPECT_EQ(out.text, full.substr(0, kept));
    }
  }
}

TEST(FormatTruncation, DirectivesAfterTheCutTakeNoArguments) {
  struct CutCase {
    const char *format;
    std::vector<UINT64> args;
    UINTN size;
    UINTN taken;
  };
  const CutCase cases[] = {
      {"%d%d%d", {1, 2, 3}, 2, 1},
      {"%d%d%d", {1, 2, 3}, 3, 2},
      {"%d%d%d", {1, 2, 3}, 1, 0},
      {"%d%d%d", {1, 2, 3}, 4, 3},
      {"%5d%d", {1, 2}, 3, 1},         // cut inside the padding of the first
      {"ab%*d", {3, 9}, 3, 0},          // the cut falls before the directive
      {"ab%*d", {3, 9}, 4, 2},          // the '*' and the value both go
      {"%g%d", {Ptr(&PAGE_GUID), 4}, 10, 1},
  };
  for (const CutCase &c : cases) {
    EXPECT_EQ(RunFormat(c.format, c.args, c.size).taken, c.taken) << "format \"" << c.format << "\" size " << c.size;
  }
}

}  // namespace
