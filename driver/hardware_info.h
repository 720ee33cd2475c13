// SPDX-License-Identifier: BSD-2-Clause-Patent
// Fills the page's "Hardware Information" rows: total memory, memory
// frequency, board name, PD controller versions and memory-chip variant.
#pragma once

#include "platform/types.h"

// Every fact that cannot be read shows as a fixed word or leaves its row at
// its initial text; nothing is reported to the caller.
void UpdateHardwareInformation(EFI_HII_HANDLE HiiHandle);
