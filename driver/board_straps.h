// SPDX-License-Identifier: BSD-2-Clause-Patent
// GPIO strap pins read straight from the GPIO controllers' registers,
// through the board's pin map. Registers are only read, never written, and
// nothing is cached: every call sees the current line state.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

// Register offsets inside each controller's block, one bit per line.
inline constexpr UINTN GPIO_MODE_REGISTER = 0x00;       // set: line handed to another function
inline constexpr UINTN GPIO_DIRECTION_REGISTER = 0x04;  // set: line is an input
inline constexpr UINTN GPIO_INPUT_REGISTER = 0x10;      // the line's level

// Most pins one strap value can hold: pin i lands in bit i.
inline constexpr UINT32 BOARD_STRAPS_MAX = 32;

// Value left by a failed strap read.
inline constexpr UINT32 BOARD_STRAPS_UNREADABLE = 0xFFFFFFFF;

// Level receives 0 or 1. Fails with EFI_INVALID_PARAMETER for a NULL Level
// or a pin outside the map, EFI_DEVICE_ERROR for a pin without a GPIO line
// or a line that is not a GPIO input.
EFI_STATUS ReadGpioPin(UINT32 Pin, UINT32 *Level);

// Reads Pins[0..Count-1] in order into bits 0..Count-1 of Value. On any
// failure the walk stops, Value (when not NULL) is BOARD_STRAPS_UNREADABLE
// and the first failing status is returned. Count must be 1..32.
EFI_STATUS ReadBoardStraps(const UINT32 *Pins, UINT32 Count, UINT32 *Value);
