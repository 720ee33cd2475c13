// SPDX-License-Identifier: BSD-2-Clause-Patent
// Build-time board configuration: the build generates one translation unit
// per board file (boards/<id>.board) defining these constants, and exactly
// one of them is linked into each image.
#pragma once

#include "platform/types.h"

inline constexpr UINTN GPIO_CONTROLLER_COUNT = 7;

// The board name shown as "PCB SKU"; it also selects the strap table.
extern const CHAR16 mBoardName[];

// Physical base of the PL011-compatible console UART.
extern const UINTN CONSOLE_UART_BASE;

// Physical bases of the GPIO controllers' register blocks, by controller.
extern const UINTN mGpioControllerBase[GPIO_CONTROLLER_COUNT];

// Abbreviated commit ids of the firmware's four source trees (generated at
// configure time from the trees themselves or from explicit values).
extern const CHAR16 mSourceIdEdk2Zun[];
extern const CHAR16 mSourceIdEdk2[];
extern const CHAR16 mSourceIdEdk2NonOsi[];
extern const CHAR16 mSourceIdEdk2Platforms[];
