// SPDX-License-Identifier: BSD-2-Clause-Patent
// Value-to-text conversion on its own: number fields, text measure, and the
// scratch texts of GUIDs, times and status values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/guids.h"
#include "platform/status.h"
#include "text/format.h"
#include "text/format_convert.h"

namespace {

FORMAT_SPEC Spec(UINT32 flags, INT64 width = 0, INT64 precision = 1) {
  return FORMAT_SPEC{flags, width, precision, FORMAT_KIND_NUMBER, {0, 0, 0}};
}

TEST(FormatConvert, NumberSignDigitsLengthAndField) {
  struct Case {
    UINT64 slot;
    FORMAT_SPEC spec;
    char sign;
    std::string digits;
    bool grouped;
    INT64 length;
    INT64 field;
  };
  constexpr UINT32 kW = FORMAT_WIDTH_GIVEN;
  const Case cases[] = {
      {42, Spec(0), 0, "42", false, 2, 2},
      {static_cast<UINT64>(-42), Spec(0), '-', "42", false, 3, 3},
      {static_cast<UINT64>(-42), Spec(FORMAT_ZERO_PAD | kW, 5), '-', "42", false, 3, 5},
      {static_cast<UINT64>(-42), Spec(FORMAT_PRECISION_GIVEN, 0, 5), '-', "42", false, 3, 6},
      {42, Spec(FORMAT_PLUS | FORMAT_SPACE), '+', "42", false, 3, 3},
      {0, Spec(FORMAT_PRECISION_GIVEN, 0, 0), 0, "", false, 0, 0},
      {0, Spec(FORMAT_PLUS | FORMAT_PRECISION_GIVEN, 0, 0), '+', "", false, 1, 1},
      {1234567, Spec(FORMAT_COMMA | FORMAT_ZERO_PAD | kW, 12, 1), 0, "1234567", true, 9, 9},
      {1234, Spec(FORMAT_COMMA | FORMAT_PRECISION_GIVEN, 0, 8), 0, "1234", true, 5, 5},
      {0xFFFFFFFF, Spec(FORMAT_HEX | FORMAT_COMMA), 0, "FFFFFFFF", false, 8, 8},
      {~0ull, Spec(FORMAT_HEX | FORMAT_LONG), 0, "FFFFFFFFFFFFFFFF", false, 16, 16},
      {~0ull, Spec(FORMAT_UNSIGNED | FORMAT_LONG), 0, "18446744073709551615", false, 20, 20},
      {1ull << 63, Spec(FORMAT_LONG), '-', "9223372036854775808", false, 20, 20},
      {42, Spec(FORMAT_ZERO_PAD | kW | FORMAT_LEFT, 6), 0, "42", false, 2, 2},
      {42, Spec(FORMAT_PLUS | FORMAT_PRECISION_GIVEN, 0, FORMAT_COUNT_MAX), '+', "42", false, 3, FORMAT_COUNT_MAX},
  };
  for (const Case &c : cases) {
    NUMBER_TEXT number;
    ConvertNumber(c.slot, &c.spec, &number);
    SCOPED_TRACE(testing::Message() << "slot " << c.slot << " flags " << c.spec.Flags);
    EXPECT_EQ(number.Sign, c.sign);
    EXPECT_EQ(std::string(NumberDigits(&number), number.DigitCount), c.digits);
    EXPECT_EQ(static_cast<bool>(number.Grouped), c.grouped);
    EXPECT_EQ(number.Length, c.length);
    EXPECT_EQ(number.Field, c.field);
  }
}

TEST(FormatConvert, TextMeasureCountsUnitsUpToTheNulOrThePrecision) {
  struct Case {
    const void *text;
    bool wide;
    FORMAT_SPEC spec;
    INT64 length;
    INT64 field;
  };
  const unsigned char wide_high_byte_only[] = {0x00, 0x01, 0x41, 0x00, 0x00, 0x00};
  const Case cases[] = {
      {"abcdef", false, Spec(0, 0, 0), 6, 6},
      {"abcdef", false, Spec(FORMAT_PRECISION_GIVEN, 0, 2), 2, 2},
      {"abc", false, Spec(FORMAT_PRECISION_GIVEN, 0, 8), 3, 8},
      {"", false, Spec(0, 0, 1), 0, 1},
      {u"abcd", true, Spec(0, 0, 0), 4, 4},
      {u"abcd", true, Spec(FORMAT_PRECISION_GIVEN, 0, 3), 3, 3},
      {wide_high_byte_only, true, Spec(0, 0, 0), 2, 2},  // a unit is zero only when both bytes are
      {"abc", false, Spec(FORMAT_PRECISION_GIVEN, 0, FORMAT_COUNT_MAX), 3, FORMAT_COUNT_MAX},
  };
  for (const Case &c : cases) {
    TEXT_FIELD field;
    MeasureText(c.text, c.wide, &c.spec, &field);
    EXPECT_EQ(field.Length, c.length);
    EXPECT_EQ(field.Field, c.field);
    EXPECT_EQ(field.Units, c.text);
    EXPECT_EQ(static_cast<bool>(field.Wide), c.wide);
  }
}

TEST(FormatConvert, ScratchTextsFitTheScratchArea) {
  const EFI_GUID all_ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  const EFI_TIME widest = {65535, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0};
  struct Case {
    const char *name;
    std::string text;
    std::string expected;
  };
  std::vector<char> scratch(FORMAT_SCRATCH_SIZE + 1, '\x5A');
  auto take = [&](const CHAR8 *text) {
    EXPECT_EQ(scratch[FORMAT_SCRATCH_SIZE], '\x5A') << "stored past the scratch area";
    return std::string(text);
  };
  const Case cases[] = {
      {"guid", take(GuidText(&all_ones, scratch.data())), "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"},
      {"null guid", take(GuidText(nullptr, scratch.data())), "<null guid>"},
      {"time", take(TimeText(&widest, scratch.data())), "255/255/65535  255:255"},
      {"null time", take(TimeText(nullptr, scratch.data())), "<null time>"},
      {"status name", take(StatusText(EFI_DEVICE_ERROR, scratch.data())), "Device Error"},
      {"status number", take(StatusText(EfiErrorCode(0xFFFFFFFF), scratch.data())), "FFFFFFFF"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.text, c.expected) << c.name;
  }
}

}  // namespace
