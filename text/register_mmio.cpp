// SPDX-License-Identifier: BSD-2-Clause-Patent
// Firmware build of the register primitives: one volatile 32-bit access
// each, never split, merged, repeated or elided.
#include "text/register.h"

UINT32 RegRead32(UINTN Address) { return *reinterpret_cast<volatile UINT32 *>(Address); }

UINT32 RegWrite32(UINTN Address, UINT32 Value) {
  *reinterpret_cast<volatile UINT32 *>(Address) = Value;
  return Value;
}
