// SPDX-License-Identifier: BSD-2-Clause-Patent
// Single 32-bit accesses to memory-mapped device registers at their
// physical addresses. The firmware build issues exactly one volatile access
// per call; the host build routes the same calls to the simulator's
// register bus.
#pragma once

#include "platform/types.h"

UINT32 RegRead32(UINTN Address);
UINT32 RegWrite32(UINTN Address, UINT32 Value);
