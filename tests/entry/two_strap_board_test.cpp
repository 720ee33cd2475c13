// SPDX-License-Identifier: BSD-2-Clause-Patent
// The driver built for the Q4L, whose memory fitting is told by two straps
// (pins 49 and 50) only.
#include <gtest/gtest.h>

#include "sim/gpio_model.h"
#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

// Mode, direction and input register of each pin, in the order read.
std::vector<UINTN> StrapRegisterReads(std::initializer_list<UINT32> pins) {
  std::vector<UINTN> reads;
  for (UINT32 pin : pins) {
    const UINTN base = mGpioControllerBase[sim::GpioBank::LineOf(pin)->controller];
    for (UINTN offset :
         {sim::GpioControllerModel::kMode, sim::GpioControllerModel::kDirection, sim::GpioControllerModel::kInput}) {
      reads.push_back(base + offset);
    }
  }
  return reads;
}

TEST(TwoStrapBoard, StrapValueShowsItsLabelAndRawValueFromPins49And50Only) {
  const char *const labels[4] = {"Undefined", "Undefined", "Undefined", "Development Sample"};
  // All four strap lines are driven; pins 57 and 60 must not count.
  for (UINT32 levels = 0; levels < 16; ++levels) {
    SCOPED_TRACE(testing::Message() << "strap levels " << levels);
    sim::SimulatedBoard board(sim::BoardFacts{.strap_value = levels});
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    const UINT32 value = levels & 3;
    EXPECT_EQ(Row(board, STRING_MEMORY_CHIP_VALUE),
              std::string(labels[value]) + " | (Raw Value: " + std::to_string(value) + ")");
    EXPECT_EQ(Row(board, STRING_PCB_SKU_VALUE), "Vemko Tarsa Q4L");
    EXPECT_EQ(GpioReads(board), StrapRegisterReads({49, 50}));
    EXPECT_EQ(board.gpio.Writes(), 0u);
  }
}

TEST(TwoStrapBoard, OnlyAnUnreadableStrapOfItsOwnLeavesMemoryChipBlank) {
  struct Case {
    unsigned strap;  // index into the board's strap pins 49, 50, 57, 60
    bool output;     // else: handed to another function
    const char *chip;
  };
  const Case cases[] = {
      {0, false, " "},
      {0, true, " "},
      {1, false, " "},
      {1, true, " "},
      {2, false, "Development Sample | (Raw Value: 3)"},
      {2, true, "Development Sample | (Raw Value: 3)"},
      {3, false, "Development Sample | (Raw Value: 3)"},
      {3, true, "Development Sample | (Raw Value: 3)"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "strap " << c.strap << (c.output ? " output" : " other function"));
    sim::BoardFacts facts{.strap_value = 3};
    (c.output ? facts.strap_pin_output : facts.strap_pin_not_gpio) = c.strap;
    sim::SimulatedBoard board(facts);
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(Row(board, STRING_MEMORY_CHIP_VALUE), c.chip);
    EXPECT_EQ(Problems(board), "");
  }
}

}  // namespace
}  // namespace entry_test
