// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page read back from the firmware's HII database, as the emulator run
// checks it (e2e/readback.cpp lists the lines).
#pragma once

#include "platform/boot_services.h"

// Prints the read-back through the console lines (ConsoleLineInit first);
// EFI_NOT_FOUND when no package list carries the page GUID.
EFI_STATUS ReadBackPage(EFI_BOOT_SERVICES *BootServices);
