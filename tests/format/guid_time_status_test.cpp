// SPDX-License-Identifier: BSD-2-Clause-Patent
// GUID, time and status texts.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/guids.h"
#include "platform/status.h"
#include "tests/format/format_harness.h"

namespace {

using format_test::CheckFormats;
using format_test::Ptr;
using format_test::RunFormat;

// The registry form of a GUID, built independently of the engine.
std::string Registry(const EFI_GUID &g) {
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

TEST(FormatGuid, PrintsTheRegistryFormAtAnyAlignment) {
  EXPECT_EQ(RunFormat("%g", {Ptr(&PAGE_GUID)}).text, "DBB34835-1A17-4F04-B00F-57DBA4D13C98");
  const EFI_GUID guids[] = {PAGE_GUID,
                            I2C_BUS_VENDOR_GUID,
                            MEMORY_INFO_PROTOCOL_GUID,
                            EFI_HII_STRING_PROTOCOL_GUID,
                            EFI_GUID{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
                            EFI_GUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}};
  alignas(16) std::array<unsigned char, 40> bytes{};
  for (const EFI_GUID &guid : guids) {
    for (size_t offset = 0; offset < 8; ++offset) {
      std::memcpy(bytes.data() + offset, &guid, sizeof guid);
      EXPECT_EQ(RunFormat("%g", {Ptr(bytes.data() + offset)}).text, Registry(guid)) << "offset " << offset;
    }
  }
}

TEST(FormatGuid, OuterWidthAndPrecisionApplyToTheText) {
  const std::string page = Registry(PAGE_GUID);
  CheckFormats({
      {"%g", {0}, "<null guid>"},
      {"%40g", {Ptr(&PAGE_GUID)}, "    " + page},
      {"%-38g|", {Ptr(&PAGE_GUID)}, page + "  |"},
      {"%.8g", {Ptr(&PAGE_GUID)}, page.substr(0, 8)},
      {"%13g", {0}, "  <null guid>"},
      {"%g=%d", {Ptr(&PAGE_GUID)}, page + "=0"},  // the nested call takes none of these arguments
      {"%g=%d", {Ptr(&PAGE_GUID), 5}, page + "=5"},
  });
}

TEST(FormatTime, PrintsMonthDayYearHourMinute) {
  struct Case {
    EFI_TIME time;
    std::string expected;
  };
  const Case cases[] = {
      {{2024, 3, 7, 9, 5, 59, 0, 999, -60, 1, 0}, "03/07/2024  09:05"},
      {{1999, 12, 31, 23, 59, 0, 0, 0, 0, 0, 0}, "12/31/1999  23:59"},
      {{65535, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0}, "255/255/65535  255:255"},
      {{7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "00/00/0007  00:00"},
  };
  alignas(16) std::array<unsigned char, 40> bytes{};
  for (const Case &c : cases) {
    for (size_t offset = 0; offset < 4; ++offset) {
      std::memcpy(bytes.data() + offset, &c.time, sizeof c.time);
      EXPECT_EQ(RunFormat("%t", {Ptr(bytes.data() + offset)}).text, c.expected) << "offset " << offset;
    }
  }
  CheckFormats({{"%t", {0}, "<null time>"}, {"%-13t|", {0}, "<null time>  |"}});
}

// The first, last and some middle entries of both tables: a shifted index
// or a wrong table shows at the boundaries.
TEST(FormatStatus, NamedValues) {
  CheckFormats({
      {"%r", {EFI_SUCCESS}, "Success"},
      {"%r", {EFI_WARN_WRITE_FAILURE}, "Warning Write Failure"},
      {"%r", {EFI_WARN_BUFFER_TOO_SMALL}, "Warning Buffer Too Small"},  // fills its 25-byte entry
      {"%r", {EFI_WARN_STALE_DATA}, "Warning Stale Data"},
      {"%r", {EFI_LOAD_ERROR}, "Load Error"},
      {"%r", {EFI_BUFFER_TOO_SMALL}, "Buffer Too Small"},
      {"%r", {EFI_NOT_FOUND}, "Not Found"},
      {"%r", {EFI_INCOMPATIBLE_VERSION}, "Incompatible Version"},  // fills its 21-byte entry
      {"%r", {EfiErrorCode(29)}, "Reserved (29)"},
      {"%r", {EfiErrorCode(30)}, "Reserved (30)"},
      {"%r", {EFI_END_OF_FILE}, "End of File"},
      {"%r", {EFI_COMPROMISED_DATA}, "Compromised Data"},
  });
}

TEST(FormatStatus, UnnamedValuesPrintTheirLow32BitsInHex) {
  CheckFormats({
      {"%r", {6}, "00000006"},
      {"%r", {EfiErrorCode(0)}, "00000000"},
      {"%r", {EfiErrorCode(34)}, "00000022"},
      {"%r", {EfiErrorCode(0xDEADBEEF)}, "DEADBEEF"},
      {"%r", {0x123456789ABCDEF0ull}, "9ABCDEF0"},
      {"%r", {0x7FFFFFFFFFFFFFFFull}, "FFFFFFFF"},
      {"%10r", {6}, "  00000006"},
      {"%.4r", {6}, "0000"},
      {"%-11r|", {EFI_NOT_FOUND}, "Not Found  |"},
      {"%.3r", {EFI_NOT_FOUND}, "Not"},
      {"%+,lr", {EFI_SUCCESS}, "Success"},
  });
}

}  // namespace
