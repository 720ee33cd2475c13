// SPDX-License-Identifier: BSD-2-Clause-Patent
// The firmware's image execution information table: with Secure Boot on,
// the firmware records there each image it did not start after checking its
// signature. The boot application prints it, so the run sees the firmware's
// own record of each refused driver file: the console shows none.
#pragma once

#include "platform/boot_services.h"

// Prints one line for the table and one per entry:
//   E2E-IMAGE-EXECUTION images=<n>      or      E2E-IMAGE-EXECUTION absent
//   E2E-IMAGE action=<8 hex digits> name=<escaped name the firmware gave the image>
void PrintImageExecutionInfo(const EFI_SYSTEM_TABLE *SystemTable);
