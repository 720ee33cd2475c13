// SPDX-License-Identifier: BSD-2-Clause-Patent
// The pin map is built at compile time from the board's wiring runs: each
// run hands a range of consecutive pins to consecutive bits of one
// controller. Pins outside every run have no GPIO line.
#include "driver/gpio_pin_map.h"

#include "boards/board_config.h"

namespace {

struct GPIO_PIN_RUN {
  UINT32 FirstPin;
  UINT32 LastPin;
  UINT32 Controller;
  UINT32 FirstBit;
};

constexpr GPIO_PIN_RUN mPinRuns[] = {
    {1, 14, 0, 0}, {15, 24, 1, 0}, {25, 42, 0, 14}, {43, 74, 3, 0}, {75, 106, 4, 0}, {107, 138, 5, 0}, {139, 155, 6, 0},
};

// A run must stay inside the map, inside one 32-bit register and on a
// controller the board has.
constexpr bool RunsFit() {
  for (const GPIO_PIN_RUN &Run : mPinRuns) {
    if (Run.LastPin < Run.FirstPin || Run.LastPin >= GPIO_PIN_COUNT || Run.Controller >= GPIO_CONTROLLER_COUNT ||
        Run.FirstBit + (Run.LastPin - Run.FirstPin) > 31) {
      return false;
    }
  }
  return true;
}

// No pin and no controller line may be claimed twice.
constexpr bool RunsAreDisjoint() {
  for (const GPIO_PIN_RUN &Run : mPinRuns) {
    for (const GPIO_PIN_RUN &Other : mPinRuns) {
      if (&Run == &Other) {
        continue;
      }
      const UINT32 RunLastBit = Run.FirstBit + (Run.LastPin - Run.FirstPin);
      const UINT32 OtherLastBit = Other.FirstBit + (Other.LastPin - Other.FirstPin);
      const bool PinsOverlap = Run.FirstPin <= Other.LastPin && Other.FirstPin <= Run.LastPin;
      const bool LinesOverlap =
          Run.Controller == Other.Controller && Run.FirstBit <= OtherLastBit && Other.FirstBit <= RunLastBit;
      if (PinsOverlap || LinesOverlap) {
        return false;
      }
    }
  }
  return true;
}

static_assert(RunsFit(), "a pin run leaves the map, its register or the board's controllers");
static_assert(RunsAreDisjoint(), "two pin runs claim the same pin or line");

// Every row starts as a pin without a line; each run then claims its pins.
constexpr GPIO_PIN_MAP BuildPinMap() {
  GPIO_PIN_MAP Map{};
  for (UINT32 Pin = 0; Pin < GPIO_PIN_COUNT; ++Pin) {
    Map.Row[Pin] = GPIO_PIN_MAP_ENTRY{static_cast<UINT8>(Pin), GPIO_NO_CONTROLLER, 0};
  }
  for (const GPIO_PIN_RUN &Run : mPinRuns) {
    for (UINT32 Pin = Run.FirstPin; Pin <= Run.LastPin; ++Pin) {
      Map.Row[Pin].Controller = static_cast<UINT8>(Run.Controller);
      Map.Row[Pin].Bit = static_cast<UINT8>(Run.FirstBit + (Pin - Run.FirstPin));
    }
  }
  return Map;
}

}  // namespace

extern constexpr GPIO_PIN_MAP mPinMap = BuildPinMap();

static_assert(sizeof(mPinMap.Row) / sizeof(mPinMap.Row[0]) == 157, "one row per pin 0..156");
static_assert(mPinMap.Row[0].Controller == GPIO_NO_CONTROLLER && mPinMap.Row[156].Controller == GPIO_NO_CONTROLLER,
              "pins 0 and 156 have no GPIO line");

// The memory strap pins.
static_assert(mPinMap.Row[49].Controller == 3 && GpioPinMask(mPinMap.Row[49]) == 0x40, "strap pin 49");
static_assert(mPinMap.Row[50].Controller == 3 && GpioPinMask(mPinMap.Row[50]) == 0x80, "strap pin 50");
static_assert(mPinMap.Row[57].Controller == 3 && GpioPinMask(mPinMap.Row[57]) == 0x4000, "strap pin 57");
static_assert(mPinMap.Row[60].Controller == 3 && GpioPinMask(mPinMap.Row[60]) == 0x20000, "strap pin 60");
