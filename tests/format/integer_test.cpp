// SPDX-License-Identifier: BSD-2-Clause-Patent
// Number directives: d u x X p, flags, width, precision, grouping.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::RunFormat;

constexpr UINT64 Neg(INT64 v) { return static_cast<UINT64>(v); }

// The edge cases of signed and unsigned decimal; flag, width and precision
// combinations are compared with the C library below.
TEST(FormatInteger, Decimal) {
  CheckFormats({
      {"%5d", {42}, "   42"},
      {"%-5d|", {42}, "42   |"},
      {"%05d", {Neg(-42)}, "-0042"},
      {"%.5d", {Neg(-42)}, "-00042"},
      {"%+ d", {42}, "+42"},
      {"%+05d", {42}, "+0042"},
      {"%0d", {0}, "0"},
      {"%.0d", {0}, ""},
      {"%+.0d", {0}, "+"},
      {"%d", {0x1FFFFFFFFull}, "-1"},  // 32-bit: the high half is ignored
      {"%ld", {0x1FFFFFFFFull}, "8589934591"},
      {"%ld", {0x8000000000000000ull}, "-9223372036854775808"},
      {"%Ld", {Neg(-1)}, "-1"},
      {"%l5d", {42}, "   42"},  // 'l' may come anywhere
      {"%u", {Neg(-1)}, "4294967295"},
      {"%lu", {~0ull}, "18446744073709551615"},
      {"%+u", {42}, "42"},
      {"% u", {42}, " 42"},
  });
}

TEST(FormatInteger, CommaGroupsDecimalDigits) {
  CheckFormats({
      {"%,d", {1234567}, "1,234,567"},
      {"%,d", {Neg(-1234)}, "-1,234"},
      {"%,d", {123}, "123"},
      {"%,d", {1000}, "1,000"},
      {"%,d", {0}, "0"},
      {"%,.0d", {0}, "0"},  // precision is forced to 1
      {"%,.8d", {1234}, "1,234"},
      {"%0,8d", {1234}, "   1,234"},
      {"%-,8d|", {1234}, "1,234   |"},
      {"%+,d", {1234}, "+1,234"},
      {"%,lu", {~0ull}, "18,446,744,073,709,551,615"},
      {"%,ld", {0x8000000000000000ull}, "-9,223,372,036,854,775,808"},
      {"%,x", {0x123456}, "123456"},  // ignored for hexadecimal
  });
}

TEST(FormatInteger, Hexadecimal) {
  CheckFormats({
      {"%x", {255}, "FF"},
      {"%8x", {255}, "      FF"},
      {"%8X", {255}, "000000FF"},
      {"%-8X|", {255}, "FF      |"},
      {"%8.3X", {255}, "     0FF"},
      {"%+x", {255}, "+FF"},
      {"% x", {255}, " FF"},
      {"%+8X", {255}, "+00000FF"},
      {"%x", {Neg(-1)}, "FFFFFFFF"},
      {"%lx", {Neg(-1)}, "FFFFFFFFFFFFFFFF"},
      {"%x", {0xABCDEF0123ull}, "CDEF0123"},
      {"%X", {0}, "0"},
      {"%.0x", {0}, ""},
      {"%08x-%04x", {0xDBB34835, 0x1A17}, "DBB34835-1A17"},
  });
}

TEST(FormatInteger, Pointer) {
  CheckFormats({
      {"%p", {0x1234}, "1234"},
      {"%16p", {0x1234}, "0000000000001234"},
      {"%+ p", {0x1234}, "1234"},
      {"%-8p|", {0x1234}, "1234    |"},
      {"%p", {0xFEDCBA9876543210ull}, "FEDCBA9876543210"},
      {"%.6p", {0x1234}, "001234"},
  });
}

TEST(FormatInteger, StarTakesWidthAndPrecisionBeforeTheValue) {
  CheckFormats({
      {"%*d", {6, 42}, "    42"},
      {"%.*d", {4, 42}, "0042"},
      {"%*.*d", {6, 4, 42}, "  0042"},
      {"%-*d|", {4, 42}, "42  |"},
      {"%0*d", {5, 42}, "00042"},
      {"%5*d", {3, 42}, " 42"},  // the later width wins
      {"%*3d", {7, 42}, " 42"},
  });
}

// Where this engine and the C library agree (decimal with any flag, hex
// without sign flags, 'x' against the C library's upper-case 'X'), the C
// library is an independent oracle over every combination.
TEST(FormatInteger, AgreesWithTheCLibraryOnTheirCommonGround) {
  const std::vector<std::string> flag_sets = {"", "-", "+", " ", "0", "-+", "+0", " 0", "-0", "- "};
  const std::vector<std::string> widths = {"", "1", "5", "12", "25"};
  const std::vector<std::string> precisions = {"", ".0", ".1", ".3", ".12", ".22"};
  const std::vector<INT64> values = {0,     1,       -1,      7,         -42,       1000,
                                     65535, INT_MAX, INT_MIN, INT64_MAX, INT64_MIN, 0x123456789ALL};
  int compared = 0;
  for (const std::string &flags : flag_sets) {
    for (const std::string &width : widths) {
      for (const std::string &precision : precisions) {
        const std::string spec = "%" + flags + width + precision;
        const bool signless = flags.find_first_of("+ ") == std::string::npos;
        struct Conversion {
          std::string ours, theirs;
          bool wide, hex;
        };
        const Conversion conversions[] = {{"d", "d", false, false}, {"ld", "lld", true, false},
                                          {"u", "u", false, false}, {"lu", "llu", true, false},
                                          {"x", "X", false, true},  {"lx", "llX", true, true}};
        for (const Conversion &conversion : conversions) {
          if (!signless && (conversion.hex || conversion.ours.back() == 'u')) {
            continue;  // sign flags differ for unsigned conversions
          }
          for (INT64 value : values) {
            char expected[128];
            if (conversion.wide) {
              std::snprintf(expected, sizeof expected, (spec + conversion.theirs).c_str(), value);
            } else if (conversion.ours == "d") {
              std::snprintf(expected, sizeof expected, (spec + conversion.theirs).c_str(), static_cast<int>(value));
            } else {
              std::snprintf(expected, sizeof expected, (spec + conversion.theirs).c_str(),
                            static_cast<unsigned>(value));
            }
            const std::string format = spec + conversion.ours;
            EXPECT_EQ(RunFormat(format.c_str(), {static_cast<UINT64>(value)}).text, expected)
                << "format \"" << format << "\" value " << value;
            ++compared;
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 2000);
}

}  // namespace
