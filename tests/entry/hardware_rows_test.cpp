// SPDX-License-Identifier: BSD-2-Clause-Patent
// The hardware rows' texts across the range of their facts.
#include <gtest/gtest.h>

#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

TEST(HardwareRows, MemoryShowsWholeGiBRoundedDownAndTwiceTheClock) {
  struct Case {
    UINT32 mib;
    UINT16 clock_mhz;
    const char *total;
    const char *frequency;
  };
  const Case cases[] = {
      {8192, 1600, "8 GiB", "3200 MT/s"},   {8191, 1, "7 GiB", "2 MT/s"},
      {1023, 0, "0 GiB", "0 MT/s"},         {1024, 2133, "1 GiB", "4266 MT/s"},
      {12288, 4266, "12 GiB", "8532 MT/s"}, {0xFFFFFFFF, 0xFFFF, "4194303 GiB", "131070 MT/s"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.mib << " MiB, " << c.clock_mhz << " MHz");
    sim::SimulatedBoard board(sim::BoardFacts{.memory_mib = c.mib, .memory_clock_mhz = c.clock_mhz});
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(Row(board, STRING_TOTAL_MEMORY_VALUE), c.total);
    EXPECT_EQ(Row(board, STRING_MEMORY_FREQUENCY_VALUE), c.frequency);
  }
}

TEST(HardwareRows, FourStrapValueShowsItsChipLabelAndRawValue) {
  const char *const labels[16] = {
      "4 GiB",           "4 GiB (Hynix)", "2 GiB",         "12 GiB (Hynix)",     "Undefined",      "3 GiB",
      "8 GiB (Hive)",    "6 GiB (Hive)",  "8 GiB (V1.1)",  "12 GiB (Hive)",      "16 GiB (Hynix)", "8 GiB (Samsung)",
      "16 GiB (Rayson)", "4 GiB (Hive)",  "8 GiB (Hynix)", "Development Sample",
  };
  for (UINT32 value = 0; value < 16; ++value) {
    SCOPED_TRACE(testing::Message() << "strap value " << value);
    sim::SimulatedBoard board(sim::BoardFacts{.strap_value = value});
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(Row(board, STRING_MEMORY_CHIP_VALUE),
              std::string(labels[value]) + " | (Raw Value: " + std::to_string(value) + ")");
  }
}

TEST(HardwareRows, PdVersionShowsBootAndAppLinesWithoutLeadingZeros) {
  struct Case {
    sim::PdFirmwareVersions versions;
    const char *text;
  };
  const Case cases[] = {
      {{2, 1, 0, 3, 4, 12}, "Boot: v2.1.0\r\nApp: v3.4.12"},
      {{0, 0, 0, 0, 0, 0}, "Boot: v0.0.0\r\nApp: v0.0.0"},
      {{10, 20, 30, 100, 200, 255}, "Boot: v10.20.30\r\nApp: v100.200.255"},
      {{258, 9, 1, 256, 0, 7}, "Boot: v258.9.1\r\nApp: v256.0.7"},
      {{65535, 255, 255, 65535, 255, 255}, "Boot: v65535.255.255\r\nApp: v65535.255.255"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    sim::SimulatedBoard board(sim::BoardFacts{.pd = c.versions});
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(Row(board, STRING_PD_VERSION_VALUE), c.text);
  }
}

TEST(HardwareRows, PdMajorNumbersAreLittleEndianPairs) {
  sim::SimulatedBoard board;
  // Length, two unused bytes, boot patch, minor, major 0x0102, app patch, minor, major 0x0100.
  board.pd.raw_reply = sim::PdControllerModel::Reply{11, 0xFF, 0xFF, 3, 4, 0x02, 0x01, 7, 8, 0x00, 0x01};
  ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
  EXPECT_EQ(Row(board, STRING_PD_VERSION_VALUE), "Boot: v258.4.3\r\nApp: v256.8.7");
}

}  // namespace
}  // namespace entry_test
