// SPDX-License-Identifier: BSD-2-Clause-Patent
// The compile-time pin map against the board's wiring as the simulator
// writes it (controller lines in bit order) and against the run boundaries
// of the board documentation.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "driver/gpio_pin_map.h"
#include "sim/gpio_model.h"

namespace {

TEST(GpioPinMap, EveryRowMatchesTheBoardWiring) {
  for (UINT32 pin = 0; pin < GPIO_PIN_COUNT; ++pin) {
    SCOPED_TRACE(pin);
    const GPIO_PIN_MAP_ENTRY &row = mPinMap.Row[pin];
    EXPECT_EQ(UINT32{row.Pin}, pin);
    const auto line = sim::GpioBank::LineOf(pin);
    EXPECT_EQ(UINT32{row.Controller}, line ? line->controller : GPIO_NO_CONTROLLER);
    EXPECT_EQ(GpioPinMask(row), line ? 1u << line->bit : 0u);
  }
}

TEST(GpioPinMap, RunBoundariesAndStrapPinsAreWhereTheBoardPutsThem) {
  struct Row {
    UINT32 pin, controller, mask;
  };
  const Row rows[] = {
      {0, GPIO_NO_CONTROLLER, 0},
      {1, 0, 1u << 0},
      {14, 0, 1u << 13},
      {15, 1, 1u << 0},
      {24, 1, 1u << 9},
      {25, 0, 1u << 14},
      {42, 0, 1u << 31},
      {43, 3, 1u << 0},
      {74, 3, 1u << 31},
      {75, 4, 1u << 0},
      {106, 4, 1u << 31},
      {107, 5, 1u << 0},
      {138, 5, 1u << 31},
      {139, 6, 1u << 0},
      {155, 6, 1u << 16},
      {156, GPIO_NO_CONTROLLER, 0},
      {49, 3, 0x40},
      {50, 3, 0x80},
      {57, 3, 0x4000},
      {60, 3, 0x20000},
  };
  for (const Row &r : rows) {
    EXPECT_EQ(UINT32{mPinMap.Row[r.pin].Controller}, r.controller) << "pin " << r.pin;
    EXPECT_EQ(GpioPinMask(mPinMap.Row[r.pin]), r.mask) << "pin " << r.pin;
  }
}

TEST(GpioPinMap, WiredPinsHaveOneBitEachAndNoLineIsShared) {
  std::set<std::pair<UINT32, UINT32>> lines;
  for (const GPIO_PIN_MAP_ENTRY &row : mPinMap.Row) {
    if (row.Controller == GPIO_NO_CONTROLLER) {
      continue;
    }
    EXPECT_EQ(__builtin_popcount(GpioPinMask(row)), 1) << "pin " << +row.Pin;
    EXPECT_TRUE(lines.insert({row.Controller, GpioPinMask(row)}).second) << "pin " << +row.Pin << " shares a line";
  }
  EXPECT_EQ(lines.size(), sim::GpioBank::WiredPins().size());
}

}  // namespace
