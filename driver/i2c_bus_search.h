// SPDX-License-Identifier: BSD-2-Clause-Patent
// Finds the I2C master of the bus that carries the board's PD controller.
#pragma once

#include "platform/i2c_master.h"
#include "platform/status.h"

// Vendor node bytes the wanted bus's device path starts with: the vendor
// GUID at bytes 4..19 and the bus number in byte 28 (vendor data byte 8).
inline constexpr UINTN I2C_BUS_NODE_GUID_OFFSET = 4;
inline constexpr UINTN I2C_BUS_NODE_NUMBER_OFFSET = 28;
inline constexpr UINT8 PD_I2C_BUS_NUMBER = 7;

// Searches the I2C master handles in the order the firmware lists them and
// yields the master of the first whose device path names the PD bus.
// EFI_NOT_FOUND when none does; a failing boot service passes its status on.
EFI_STATUS LocatePdI2cMaster(EFI_I2C_MASTER_PROTOCOL **I2c);
