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
  const EFI_GUID guids[] = {PAGE_GUID, I2C_BUS_VENDOR_GUID, MEMORY_INFO_PROTOCOL_GUID, EFI_HII_STRING_PROTOCOL_GUID,
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
  struct Case {
    const char *format;
    UINT64 pointer;
    std::string expected;
  };
  const Case cases[] = {
      {"%g", 0, "<null guid>"},
      {"%40g", Ptr(&PAGE_GUID), "    " + page},
      {"%-38g|", Ptr(&PAGE_GUID), page + "  |"},
      {"%.8g", Ptr(&PAGE_GUID), page.substr(0, 8)},
      {"%13g", 0, "  <null guid>"},
      {"%g=%d", Ptr(&PAGE_GUID), page + "=0"},  // the nested call takes none of these arguments
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RunFormat(c.format, {c.pointer}).text, c.expected) << c.format;
  }
  EXPECT_EQ(RunFormat("%g=%d", {Ptr(&PAGE_GUID), 5}).text, page + "=5");
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
  EXPECT_EQ(RunFormat("%t", {0}).text, "<null time>");
  EXPECT_EQ(RunFormat("%-13t|", {0}).text, "<null time>  |");
}

TEST(FormatStatus, NamedValues) {
  struct Case {
    EFI_STATUS status;
    const char *expected;
  };
  const Case cases[] = {
      {EFI_SUCCESS, "Success"},
      {EFI_WARN_UNKNOWN_GLYPH, "Warning Unknown Glyph"},
      {EFI_WARN_DELETE_FAILURE, "Warning Delete Failure"},
      {EFI_WARN_WRITE_FAILURE, "Warning Write Failure"},
      {EFI_WARN_BUFFER_TOO_SMALL, "Warning Buffer Too Small"},
      {EFI_WARN_STALE_DATA, "Warning Stale Data"},
      {EFI_LOAD_ERROR, "Load Error"},
      {EFI_INVALID_PARAMETER, "Invalid Parameter"},
      {EFI_UNSUPPORTED, "Unsupported"},
      {EFI_BAD_BUFFER_SIZE, "Bad Buffer Size"},
      {EFI_BUFFER_TOO_SMALL, "Buffer Too Small"},
      {EFI_NOT_READY, "Not Ready"},
      {EFI_DEVICE_ERROR, "Device Error"},
      {EFI_WRITE_PROTECTED, "Write Protected"},
      {EFI_OUT_OF_RESOURCES, "Out of Resources"},
      {EFI_VOLUME_CORRUPTED, "Volume Corrupt"},
      {EFI_VOLUME_FULL, "Volume Full"},
      {EFI_NO_MEDIA, "No Media"},
      {EFI_MEDIA_CHANGED, "Media changed"},
      {EFI_NOT_FOUND, "Not Found"},
      {EFI_ACCESS_DENIED, "Access Denied"},
      {EFI_NO_RESPONSE, "No Response"},
      {EFI_NO_MAPPING, "No mapping"},
      {EFI_TIMEOUT, "Time out"},
      {EFI_NOT_STARTED, "Not started"},
      {EFI_ALREADY_STARTED, "Already started"},
      {EFI_ABORTED, "Aborted"},
      {EFI_ICMP_ERROR, "ICMP Error"},
      {EFI_TFTP_ERROR, "TFTP Error"},
      {EFI_PROTOCOL_ERROR, "Protocol Error"},
      {EFI_INCOMPATIBLE_VERSION, "Incompatible Version"},
      {EFI_SECURITY_VIOLATION, "Security Violation"},
      {EFI_CRC_ERROR, "CRC Error"},
      {EFI_END_OF_MEDIA, "End of Media"},
      {EfiErrorCode(29), "Reserved (29)"},
      {EfiErrorCode(30), "Reserved (30)"},
      {EFI_END_OF_FILE, "End of File"},
      {EFI_INVALID_LANGUAGE, "Invalid Language"},
      {EFI_COMPROMISED_DATA, "Compromised Data"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RunFormat("%r", {c.status}).text, c.expected) << std::hex << c.status;
  }
}

TEST(FormatStatus, UnnamedValuesPrintTheirLow32BitsInHex) {
  struct Case {
    EFI_STATUS status;
    const char *format;
    const char *expected;
  };
  const Case cases[] = {
      {6, "%r", "00000006"},
      {EfiErrorCode(0), "%r", "00000000"},
      {EfiErrorCode(34), "%r", "00000022"},
      {EfiErrorCode(0xDEADBEEF), "%r", "DEADBEEF"},
      {0x123456789ABCDEF0ull, "%r", "9ABCDEF0"},
      {0x7FFFFFFFFFFFFFFFull, "%r", "FFFFFFFF"},
      {6, "%10r", "  00000006"},
      {6, "%.4r", "0000"},
      {EFI_NOT_FOUND, "%-11r|", "Not Found  |"},
      {EFI_NOT_FOUND, "%.3r", "Not"},
      {EFI_SUCCESS, "%+,lr", "Success"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RunFormat(c.format, {c.status}).text, c.expected) << c.format << " " << std::hex << c.status;
  }
}

}  // namespace
