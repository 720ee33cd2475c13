// The board's GPIO pin map: which controller and register bit carries each
// SoC pin. Row index = pin number.
#pragma once

#include "platform/types.h"

inline constexpr UINT32 GPIO_PIN_COUNT = 157;

// Controller value of a pin that has no GPIO line.
inline constexpr UINT32 GPIO_NO_CONTROLLER = 0xFF;

struct GPIO_PIN_MAP_ENTRY {
  UINT32 Pin;          // equal to the row index
  UINT32 Controller;   // 0..GPIO_CONTROLLER_COUNT-1, or GPIO_NO_CONTROLLER
  UINT32 Mask;         // the line's single bit in the controller's registers
};
static_assert(sizeof(GPIO_PIN_MAP_ENTRY) == 12, "pin map row");

struct GPIO_PIN_MAP {
  GPIO_PIN_MAP_ENTRY Row[GPIO_PIN_COUNT];
};

extern const GPIO_PIN_MAP mPinMap;
