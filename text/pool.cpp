// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/pool.h"

#include "platform/module_globals.h"
#include "text/memory_ops.h"

void *AllocateZeroed(UINTN Size) {
  void *Buffer = nullptr;
  const EFI_STATUS Status = gBootServices->AllocatePool(EfiBootServicesData, Size, &Buffer);
  if (EFI_ERROR(Status) || Buffer == nullptr) {
    return nullptr;
  }
  return ZeroFill(Buffer, Size);
}

void FreeBuffer(void *Buffer) { gBootServices->FreePool(Buffer); }
