// SPDX-License-Identifier: BSD-2-Clause-Patent
// Status names both ways, and the exit code each status gives.
#include <gtest/gtest.h>

#include <string>

#include "tools/status_names.h"

namespace {

using sysinfo_tool::ExitCodeFor;
using sysinfo_tool::ParseStatus;
using sysinfo_tool::StatusName;

TEST(StatusNames, SpellingsOfOneStatusAllParse) {
  struct Case {
    std::string text;
    EFI_STATUS value;
  };
  const Case cases[] = {
      {"EFI_OUT_OF_RESOURCES", EFI_OUT_OF_RESOURCES},
      {"out_of_resources", EFI_OUT_OF_RESOURCES},
      {"Out-Of-Resources", EFI_OUT_OF_RESOURCES},
      {"efi_not_found", EFI_NOT_FOUND},
      {"SUCCESS", EFI_SUCCESS},
      {"warn-stale-data", EFI_WARN_STALE_DATA},
      {"0", EFI_SUCCESS},
      {"5", EFI_WARN_STALE_DATA},
      {"0x8000000000000007", EFI_DEVICE_ERROR},
      {"0X800000000000000e", EFI_NOT_FOUND},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ParseStatus(c.text), c.value) << c.text;
  }
}

TEST(StatusNames, NonsenseDoesNotParse) {
  for (const char *text : {"", "EFI_", "NOT FOUND", "0x", "0x1G", "12abc", "0x10000000000000000", "EFI_NOT_FOUNDX"}) {
    EXPECT_EQ(ParseStatus(text), std::nullopt) << text;
  }
}

TEST(StatusNames, NamesReadBackAsTheirValues) {
  const EFI_STATUS statuses[] = {EFI_SUCCESS,      EFI_WARN_UNKNOWN_GLYPH, EFI_LOAD_ERROR, EFI_BUFFER_TOO_SMALL,
                                 EFI_DEVICE_ERROR, EFI_OUT_OF_RESOURCES,   EFI_NOT_FOUND,  EFI_COMPROMISED_DATA};
  for (EFI_STATUS status : statuses) {
    const std::string name = StatusName(status);
    EXPECT_TRUE(name.starts_with("EFI_")) << name;
    EXPECT_EQ(ParseStatus(name), status) << name;
  }
  EXPECT_EQ(StatusName(EfiErrorCode(29)), "0x800000000000001D");
  EXPECT_EQ(StatusName(6), "0x0000000000000006");
}

TEST(StatusNames, ExitCodeIsTenPlusTheErrorCode) {
  struct Case {
    EFI_STATUS status;
    int exit_code;
  };
  const Case cases[] = {
      {EFI_SUCCESS, 0},           {EFI_WARN_STALE_DATA, 0}, {EFI_LOAD_ERROR, 11},       {EFI_DEVICE_ERROR, 17},
      {EFI_OUT_OF_RESOURCES, 19}, {EFI_NOT_FOUND, 24},      {EFI_COMPROMISED_DATA, 43}, {EfiErrorCode(63), 73},
      {EfiErrorCode(64), 9},      {EFI_ERROR_BIT, 9},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ExitCodeFor(c.status), c.exit_code) << StatusName(c.status);
  }
}

}  // namespace
