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
  const auto *node = reinterpret_cast<const UINT8 *>(Path);
  return CompareGuidTo(node + I2C_BUS_NODE_GUID_OFFSET, &I2C_BUS_VENDOR_GUID) &&
         node[I2C_BUS_NODE_NUMBER_OFFSET] == PD_I2C_BUS_NUMBER;
}

// The first handle whose device path names the PD bus; a handle whose path
// cannot be fetched is passed over.
EFI_HANDLE FindPdBusHandle(const EFI_HANDLE *Handles, UINTN Count) {
  for (UINTN Index = 0; Index < Count; ++Index) {
    void *path = nullptr;
    const EFI_STATUS status = gBootServices->HandleProtocol(Handles[Index], &EFI_DEVICE_PATH_PROTOCOL_GUID, &path);
    if (!EFI_ERROR(status) && IsPdBusPath(static_cast<const EFI_DEVICE_PATH_PROTOCOL *>(path))) {
      return Handles[Index];
    }
  }
  return nullptr;
}

}  // namespace

EFI_STATUS LocatePdI2cMaster(EFI_I2C_MASTER_PROTOCOL **I2c) {
  UINTN count = 0;
  EFI_HANDLE *handles = nullptr;
  EFI_STATUS status =
      gBootServices->LocateHandleBuffer(ByProtocol, &EFI_I2C_MASTER_PROTOCOL_GUID, nullptr, &count, &handles);
  if (EFI_ERROR(status)) {
    return status;
  }
  const EFI_HANDLE bus = handles != nullptr ? FindPdBusHandle(handles, count) : nullptr;
  if (handles != nullptr) {
    FreeBuffer(handles);
  }
  if (bus == nullptr) {
    return EFI_NOT_FOUND;
  }
  void *master = nullptr;
  status = gBootServices->HandleProtocol(bus, &EFI_I2C_MASTER_PROTOCOL_GUID, &master);
  if (EFI_ERROR(status)) {
    return status;
  }
  if (master == nullptr) {
    return EFI_NOT_FOUND;
  }
  *I2c = static_cast<EFI_I2C_MASTER_PROTOCOL *>(master);
  return EFI_SUCCESS;
}
