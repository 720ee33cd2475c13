// SPDX-License-Identifier: BSD-2-Clause-Patent
// Boot and application firmware versions of the board's USB PD controller,
// read over I2C.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

// 7-bit I2C slave address of the PD controller.
inline constexpr UINTN PD_CONTROLLER_ADDRESS = 0x72;

struct PD_VERSION {
  UINT16 BootMajor;
  UINT8 BootMinor;
  UINT8 BootPatch;
  UINT16 AppMajor;
  UINT8 AppMinor;
  UINT8 AppPatch;
};

// Finds the PD bus and runs the version exchange; on success all six fields
// are set. Stateless: every call searches and asks again. Any failing step
// ends the query with an error status and leaves Version untouched;
// EFI_OUT_OF_RESOURCES when a request packet cannot be allocated.
EFI_STATUS QueryPdVersion(PD_VERSION *Version);
