// SPDX-License-Identifier: BSD-2-Clause-Patent
// Driver#### load options written by the boot application: each names a
// driver file on the application's own disk by the disk's device path and
// a file-path node. The boot manager loads the options DriverOrder lists,
// in that order, on every boot before it starts a boot option.
#pragma once

#include "e2e/runtime_services.h"
#include "platform/device_path.h"

// Writes Driver0000 (the test platform driver) and Driver0001 (the System
// Information driver), both active, and DriverOrder listing them.
EFI_STATUS AddDriverOptions(EFI_RUNTIME_SERVICES *Runtime, const EFI_DEVICE_PATH_PROTOCOL *Disk);

// Prints DriverOrder as the firmware holds it now:
//   E2E-DRIVER-ORDER <4 hex digits> ...      or      E2E-DRIVER-ORDER !<status>
void PrintDriverOrder(EFI_RUNTIME_SERVICES *Runtime);
