// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated handle database: handles in creation order, each with its
// protocol interfaces in installation order, with the UEFI semantics of the
// install, uninstall and look-up services.
#pragma once

#include <memory>
#include <vector>

#include "platform/boot_services.h"

namespace sim {

class Pool;

class HandleDatabase {
 public:
  EFI_STATUS Install(EFI_HANDLE *handle, const EFI_GUID *protocol, void *interface);
  EFI_STATUS Uninstall(EFI_HANDLE handle, const EFI_GUID *protocol, void *interface);
  EFI_STATUS HandleProtocol(EFI_HANDLE handle, const EFI_GUID *protocol, void **interface) const;
  EFI_STATUS LocateProtocol(const EFI_GUID *protocol, void **interface) const;
  // Handles are returned in a pool buffer that the caller frees.
  EFI_STATUS LocateHandleBuffer(Pool &pool, EFI_LOCATE_SEARCH_TYPE type, const EFI_GUID *protocol, UINTN *count,
                                EFI_HANDLE **buffer) const;

  // Whether some handle already carries exactly this device path.
  bool DevicePathInstalled(const EFI_DEVICE_PATH_PROTOCOL *path) const;

  bool IsHandle(EFI_HANDLE handle) const;
  std::vector<EFI_HANDLE> HandlesWith(const EFI_GUID &protocol) const;
  std::size_t HandleCount() const { return handles_.size(); }

 private:
  struct Entry {
    EFI_GUID guid;
    void *interface;
  };
  struct Record {
    std::vector<Entry> protocols;
  };
  Record *Find(EFI_HANDLE handle) const;
  void Drop(Record *record);

  std::vector<std::unique_ptr<Record>> handles_;
};

bool SameGuid(const EFI_GUID &a, const EFI_GUID &b);

// Byte length of a device path, end node included; 0 when malformed.
std::size_t DevicePathSize(const EFI_DEVICE_PATH_PROTOCOL *path, std::size_t limit = 4096);

}  // namespace sim
