// SPDX-License-Identifier: BSD-2-Clause-Patent
// The board's GPIO pin map: which controller and register bit carries each
// SoC pin. Row index = pin number.
#pragma once

#include "platform/types.h"

inline constexpr UINT32 GPIO_PIN_COUNT = 157;

// Controller value of a pin that has no GPIO line.
inline constexpr UINT32 GPIO_NO_CONTROLLER = 0xFF;

// Rows are bytes: every value fits, and the map is the largest table in
// the image.
struct GPIO_PIN_MAP_ENTRY {
  UINT8 Pin;         // equal to the row index
  UINT8 Controller;  // 0..GPIO_CONTROLLER_COUNT-1, or GPIO_NO_CONTROLLER
  UINT8 Bit;         // the line's bit in the controller's registers, 0..31
};
static_assert(sizeof(GPIO_PIN_MAP_ENTRY) == 3, "pin map row");
static_assert(GPIO_PIN_COUNT <= 256, "pin numbers fit a row's byte");

// The line's single-bit mask in the controller's registers; 0 for a pin
// without a line.
constexpr UINT32 GpioPinMask(const GPIO_PIN_MAP_ENTRY &Row) {
  return Row.Controller == GPIO_NO_CONTROLLER ? 0 : 1U << Row.Bit;
}

struct GPIO_PIN_MAP {
  GPIO_PIN_MAP_ENTRY Row[GPIO_PIN_COUNT];
};

extern const GPIO_PIN_MAP mPinMap;
