// SPDX-License-Identifier: BSD-2-Clause-Patent
// The driver built with a board name that matches no known board exactly
// (it differs from one only in the case of its last letter).
#include <gtest/gtest.h>

#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

TEST(UnknownBoard, MemoryChipShowsInternalErrorWithoutReadingAnyStrap) {
  struct Case {
    const char *name;
    sim::BoardFacts facts;
  };
  const Case cases[] = {
      {"straps readable", {.strap_value = 6}},
      {"straps all high", {.strap_value = 15}},
      {"a strap an output", {.strap_pin_output = 0}},
      {"a strap in another function", {.strap_pin_not_gpio = 3}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimulatedBoard board(c.facts);
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(Row(board, STRING_MEMORY_CHIP_VALUE), "Internal Error");
    EXPECT_EQ(Row(board, STRING_PCB_SKU_VALUE), "Vemko Tarsa Q4m");
    EXPECT_EQ(GpioReads(board), std::vector<UINTN>{});
    EXPECT_NE(Row(board, STRING_PD_VERSION_VALUE), kBlank) << "the rows before it are still set";
    EXPECT_EQ(Problems(board), "");
  }
}

}  // namespace
}  // namespace entry_test
