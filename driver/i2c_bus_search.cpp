// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "driver/i2c_bus_search.h"

#include "platform/device_path.h"
#include "platform/guids.h"
#include "platform/module_globals.h"
#include "text/pool.h"
#include "text/unaligned.h"

namespace {

// Whether a device path starts with the PD bus's vendor node. Only bytes
// the node's Length covers are read, so a short or malformed node is
// rejected instead of read past.
bool IsPdBusPath(const EFI_DEVICE_PATH_PROTOCOL *Path) {
  if (Path == nullptr || Path->Type != HARDWARE_DEVICE_PATH || Path->SubType != HW_VENDOR_DP) {
    return false;
  }
  if (ReadLe16(Path->Length) <= I2C_BUS_NODE_NUMBER_OFFSET) {
    return false;
  }
  const auto *Node = reinterpret_cast<const UINT8 *>(Path);
  return CompareGuidTo(Node + I2C_BUS_NODE_GUID_OFFSET, &I2C_BUS_VENDOR_GUID) &&
         Node[I2C_BUS_NODE_NUMBER_OFFSET] == PD_I2C_BUS_NUMBER;
}

// The first handle whose device path names the PD bus; a handle whose path
// cannot be fetched is passed over.
EFI_HANDLE FindPdBusHandle(const EFI_HANDLE *Handles, UINTN Count) {
  for (UINTN Index = 0; Index < Count; ++Index) {
    void *Path = nullptr;
    const EFI_STATUS Status = gBootServices->HandleProtocol(Handles[Index], &EFI_DEVICE_PATH_PROTOCOL_GUID, &Path);
    if (!EFI_ERROR(Status) && IsPdBusPath(static_cast<const EFI_DEVICE_PATH_PROTOCOL *>(Path))) {
      return Handles[Index];
    }
  }
  return nullptr;
}

}  // namespace

EFI_STATUS LocatePdI2cMaster(EFI_I2C_MASTER_PROTOCOL **I2c) {
  UINTN Count = 0;
  EFI_HANDLE *Handles = nullptr;
  EFI_STATUS Status =
      gBootServices->LocateHandleBuffer(ByProtocol, &EFI_I2C_MASTER_PROTOCOL_GUID, nullptr, &Count, &Handles);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  const EFI_HANDLE Bus = Handles != nullptr ? FindPdBusHandle(Handles, Count) : nullptr;
  if (Handles != nullptr) {
    FreeBuffer(Handles);
  }
  if (Bus == nullptr) {
    return EFI_NOT_FOUND;
  }
  void *Master = nullptr;
  Status = gBootServices->HandleProtocol(Bus, &EFI_I2C_MASTER_PROTOCOL_GUID, &Master);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  if (Master == nullptr) {
    return EFI_NOT_FOUND;
  }
  *I2c = static_cast<EFI_I2C_MASTER_PROTOCOL *>(Master);
  return EFI_SUCCESS;
}
