// SPDX-License-Identifier: BSD-2-Clause-Patent
// Read-back application the emulator run starts from the UEFI shell: prints
// the page as e2e/readback.cpp reads it and returns to the shell.
#include "e2e/console_line.h"
#include "e2e/readback.h"

extern "C" EFI_STATUS EFIAPI E2eReadbackMain(EFI_HANDLE, EFI_SYSTEM_TABLE *SystemTable) {
  ConsoleLineInit(SystemTable);
  return ReadBackPage(SystemTable->BootServices);
}
