// SPDX-License-Identifier: BSD-2-Clause-Patent
// The memory-information protocol: an interface whose record pointer leads
// to the memory size and clock. Every byte the driver should not read holds
// a filler pattern, so a read at the wrong offset shows on the page.
#include "e2e/test_platform.h"
#include "platform/guids.h"

namespace {

MEMORY_INFO_RECORD mMemoryRecord;
MEMORY_INFO_PROTOCOL mMemoryInfo;

void FillPattern(void *Buffer, UINTN Length) {
  auto *Bytes = static_cast<UINT8 *>(Buffer);
  for (UINTN Index = 0; Index < Length; ++Index) {
    Bytes[Index] = static_cast<UINT8>(0xA5 ^ Index);
  }
}

}  // namespace

EFI_STATUS PublishMemoryInfo(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario) {
  FillPattern(&mMemoryRecord, sizeof(mMemoryRecord));
  mMemoryRecord.TotalMiB = Scenario->TotalMiB;
  mMemoryRecord.ClockMHz = Scenario->ClockMHz;
  FillPattern(&mMemoryInfo, sizeof(mMemoryInfo));
  mMemoryInfo.Record = &mMemoryRecord;
  EFI_HANDLE Handle = nullptr;
  return BootServices->InstallProtocolInterface(&Handle, &MEMORY_INFO_PROTOCOL_GUID, EFI_NATIVE_INTERFACE,
                                                &mMemoryInfo);
}
