// SPDX-License-Identifier: BSD-2-Clause-Patent
// Host build of the register primitives: there are no device registers to
// reach, so RegRead32 and RegWrite32 hand every access to the bus hook the
// simulator installs. Each call passes the primitive's own frame address,
// from which the simulator reads the driver's stack depth at the access.
#pragma once

#include "platform/types.h"

struct REGISTER_BUS_HOOK {
  UINT32 (*Read)(UINTN Address, const void *Frame);
  void (*Write)(UINTN Address, UINT32 Value, const void *Frame);
};

// Installs `Hook`; null removes it. An access with no hook aborts.
void SetRegisterBusHook(const REGISTER_BUS_HOOK *Hook);
