// SPDX-License-Identifier: BSD-2-Clause-Patent
// Each fact the simulator can set shows on the printed page where the
// driver puts it: one table per part of the board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boards/board_config.h"
#include "sim/board.h"
#include "sim/ucs2.h"
#include "tests/tools/tool_harness.h"

namespace {

using tool_test::RowValue;
using tool_test::RunTool;

struct RowCase {
  std::vector<std::string> args;
  std::string label;
  std::vector<std::string> value;  // "" for a row left at its initial blank
};

void PrintTo(const RowCase &c, std::ostream *os) { *os << testing::PrintToString(c.args) << " -> " << c.label; }

class PageRow : public testing::TestWithParam<RowCase> {};

TEST_P(PageRow, ShowsTheFact) {
  const RowCase &c = GetParam();
  const tool_test::ToolResult result = RunTool(c.args);
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(RowValue(result.out, c.label), c.value) << result.out;
}

const sim::BoardFacts kDefaults;
const std::string kDefaultChip = "16 GiB (Hynix) | (Raw Value: " + std::to_string(kDefaults.strap_value) + ")";
const std::string kDefaultSe = sim::Utf8FromUcs2(kDefaults.firmware_texts[0]);

std::string GiB(UINT32 mib) { return std::to_string(mib >> 10) + " GiB"; }
std::string MTs(UINT32 mhz) { return std::to_string(2 * mhz) + " MT/s"; }

INSTANTIATE_TEST_SUITE_P(Memory, PageRow,
                         testing::Values(RowCase{{}, "Total Memory", {GiB(kDefaults.memory_mib)}},
                                         RowCase{{}, "Memory Frequency", {MTs(kDefaults.memory_clock_mhz)}},
                                         RowCase{{"--memory-mib", "8192"}, "Total Memory", {"8 GiB"}},
                                         RowCase{{"--memory-mib", "8191"}, "Total Memory", {"7 GiB"}},
                                         RowCase{{"--memory-mib", "4294967295"}, "Total Memory", {"4194303 GiB"}},
                                         RowCase{{"--memory-clock", "1600"}, "Memory Frequency", {"3200 MT/s"}},
                                         RowCase{{"--memory-clock", "65535"}, "Memory Frequency", {"131070 MT/s"}},
                                         RowCase{{"--no-memory-info"}, "Total Memory", {""}},
                                         RowCase{{"--no-memory-info"}, "PD Version", {""}},
                                         RowCase{{"--memory-record-null"}, "Memory Chip", {""}},
                                         RowCase{{"--no-memory-info"}, "SE Version", {kDefaultSe}}));

INSTANTIATE_TEST_SUITE_P(
    Straps, PageRow,
    testing::Values(RowCase{{}, "Memory Chip", {kDefaultChip}},
                    RowCase{{"--strap-value", "6"}, "Memory Chip", {"8 GiB (Hive) | (Raw Value: 6)"}},
                    RowCase{{"--strap-value", "4"}, "Memory Chip", {"Undefined | (Raw Value: 4)"}},
                    RowCase{{"--strap-value", "15"}, "Memory Chip", {"Development Sample | (Raw Value: 15)"}},
                    RowCase{{"--strap-value", "0"}, "Memory Chip", {"4 GiB | (Raw Value: 0)"}},
                    RowCase{{"--pin-function", "57"}, "Memory Chip", {""}},
                    RowCase{{"--pin-output", "60"}, "Memory Chip", {""}},
                    RowCase{{"--pin-output", "49"}, "Memory Chip", {""}},
                    // A pin that is no strap changes nothing.
                    RowCase{{"--pin-function", "48", "--pin-output", "61"}, "Memory Chip", {kDefaultChip}},
                    RowCase{{}, "PCB SKU", {sim::Utf8FromUcs2(mBoardName)}}));

INSTANTIATE_TEST_SUITE_P(PdController, PageRow,
                         testing::Values(RowCase{{"--pd-boot", "258.7.9", "--pd-app", "1.0.255"},
                                                 "PD Version",
                                                 {"Boot: v258.7.9", "App: v1.0.255"}},
                                         RowCase{{"--pd-boot", "0.0.0", "--pd-app", "65535.255.255"},
                                                 "PD Version",
                                                 {"Boot: v0.0.0", "App: v65535.255.255"}},
                                         RowCase{{"--pd-status-byte", "0xCB"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-status-byte", "0x0B"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-reply-length", "10"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-reply-length", "12"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-nack", "1"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-nack", "2"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--pd-nack", "3"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--no-pd"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--no-i2c-bus"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--i2c-bus-number", "6"}, "PD Version", {"Undefined"}},
                                         RowCase{{"--no-pd"}, "Total Memory", {GiB(kDefaults.memory_mib)}}));

INSTANTIATE_TEST_SUITE_P(
    FirmwareVersions, PageRow,
    testing::Values(RowCase{{"--firmware", "SE=9.8.7"}, "SE Version", {"9.8.7"}},
                    RowCase{{"--firmware", "pm=PM 1"}, "PM Version", {"PM 1"}},
                    RowCase{{"--firmware", "2=b"}, "PBL Version", {"b"}},
                    RowCase{{"--firmware", "ATF=v2.10-\xC3\xA9"}, "ATF Version", {"v2.10-\xC3\xA9"}},
                    RowCase{{"--firmware", "TEE=t"}, "TEE Version", {"t"}},
                    RowCase{{"--firmware", "STMM=s"}, "STMM Version", {"s"}},
                    RowCase{{"--firmware", "UEFI=2025.01"}, "UEFI Version", {"2025.01"}},
                    RowCase{{"--firmware", "SE="}, "SE Version", {""}},
                    RowCase{{"--firmware-fail", "PBL"}, "PBL Version", {"N/A"}},
                    RowCase{
                        {"--firmware-fail", "PBL"}, "ATF Version", {sim::Utf8FromUcs2(kDefaults.firmware_texts[3])}},
                    RowCase{{"--firmware-fail", "UEFI:EFI_NOT_FOUND"}, "UEFI Version", {"N/A"}},
                    RowCase{{"--no-firmware-versions"}, "SE Version", {""}},
                    RowCase{{"--no-firmware-versions"}, "edk2-zun", {sim::Utf8FromUcs2(mSourceIdEdk2Zun)}},
                    RowCase{{}, "edk2-platforms", {sim::Utf8FromUcs2(mSourceIdEdk2Platforms)}}));

INSTANTIATE_TEST_SUITE_P(
    Hii, PageRow,
    testing::Values(
        RowCase{{"--no-hii-config-routing", "--no-hii-font", "--no-hii-image"},
                "Total Memory",
                {GiB(kDefaults.memory_mib)}},
        RowCase{{"--language-after", "fr-FR", "--language", "fr-FR"}, "Total Memory", {GiB(kDefaults.memory_mib)}},
        RowCase{{"--language-before", "x-UEFI-ns", "--language", "x-UEFI-ns"}, "Total Memory", {""}},
        RowCase{{"--language-before", "x-UEFI-ns", "--language", "en-US"}, "Total Memory", {GiB(kDefaults.memory_mib)}},
        RowCase{{"--language-before", "X-UEFI", "--language", "X-UEFI"}, "SE Version", {kDefaultSe}},
        RowCase{{"--fail", "HII.SetString:1"}, "Total Memory", {""}},
        RowCase{{"--fail", "HII.SetString:1"}, "Memory Frequency", {MTs(kDefaults.memory_clock_mhz)}},
        RowCase{
            {"--language-after", "fr-FR", "--fail", "HII.SetString:1", "--language", "fr-FR"}, "Total Memory", {""}},
        RowCase{{"--language-before", "fr-FR", "--fail", "HII.SetString:2", "--language", "fr-FR"},
                "Total Memory",
                {GiB(kDefaults.memory_mib)}},
        RowCase{{"--language-before", "fr-FR", "--fail", "HII.SetString:2"}, "Total Memory", {""}}));

}  // namespace
