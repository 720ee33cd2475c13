// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/pool.h"

#include "platform/module_globals.h"
#include "text/memory_ops.h"

void *AllocateZeroed(UINTN Size) {
  void *buffer = nullptr;
  const EFI_STATUS status = gBootServices->AllocatePool(EfiBootServicesData, Size, &buffer);
  if (EFI_ERROR(status) || buffer == nullptr) {
    return nullptr;
  }
  return ZeroFill(buffer, Size);
}

void FreeBuffer(void *Buffer) { gBootServices->FreePool(Buffer); }
