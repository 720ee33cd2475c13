// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/handle_database.h"

#include <algorithm>
#include <cstring>

#include "platform/device_path.h"
#include "platform/guids.h"
#include "sim/pool.h"

namespace sim {

bool SameGuid(const EFI_GUID &a, const EFI_GUID &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::size_t DevicePathSize(const EFI_DEVICE_PATH_PROTOCOL *path, std::size_t limit) {
  const auto *bytes = reinterpret_cast<const UINT8 *>(path);
  std::size_t offset = 0;
  while (offset + 4 <= limit) {
    const std::size_t length = bytes[offset + 2] | (bytes[offset + 3] << 8);
    if (length < 4 || offset + length > limit) {
      return 0;
    }
    if (bytes[offset] == END_DEVICE_PATH_TYPE && bytes[offset + 1] == END_ENTIRE_DEVICE_PATH_SUBTYPE) {
      return offset + length;
    }
    offset += length;
  }
  return 0;
}

HandleDatabase::Record *HandleDatabase::Find(EFI_HANDLE handle) const {
  for (const auto &record : handles_) {
    if (record.get() == handle) {
      return record.get();
    }
  }
  return nullptr;
}

bool HandleDatabase::IsHandle(EFI_HANDLE handle) const { return handle != nullptr && Find(handle) != nullptr; }

void HandleDatabase::Drop(Record *record) {
  handles_.erase(
      std::remove_if(handles_.begin(), handles_.end(), [record](const auto &r) { return r.get() == record; }),
      handles_.end());
}

EFI_STATUS HandleDatabase::Install(EFI_HANDLE *handle, const EFI_GUID *protocol, void *interface) {
  if (handle == nullptr || protocol == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  Record *record = nullptr;
  if (*handle == nullptr) {
    handles_.push_back(std::make_unique<Record>());
    record = handles_.back().get();
  } else {
    record = Find(*handle);
    if (record == nullptr) {
      return EFI_INVALID_PARAMETER;
    }
    for (const Entry &entry : record->protocols) {
      if (SameGuid(entry.guid, *protocol)) {
        return EFI_INVALID_PARAMETER;
      }
    }
  }
  record->protocols.push_back(Entry{*protocol, interface});
  *handle = record;
  return EFI_SUCCESS;
}

EFI_STATUS HandleDatabase::Uninstall(EFI_HANDLE handle, const EFI_GUID *protocol, void *interface) {
  if (protocol == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  Record *record = Find(handle);
  if (record == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  auto &list = record->protocols;
  auto it = std::find_if(list.begin(), list.end(), [&](const Entry &entry) {
    return SameGuid(entry.guid, *protocol) && entry.interface == interface;
  });
  if (it == list.end()) {
    return EFI_NOT_FOUND;
  }
  list.erase(it);
  if (list.empty()) {
    Drop(record);  // a handle without protocols ceases to exist
  }
  return EFI_SUCCESS;
}

EFI_STATUS HandleDatabase::HandleProtocol(EFI_HANDLE handle, const EFI_GUID *protocol, void **interface) const {
  if (protocol == nullptr || interface == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  *interface = nullptr;
  const Record *record = Find(handle);
  if (record == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  for (const Entry &entry : record->protocols) {
    if (SameGuid(entry.guid, *protocol)) {
      *interface = entry.interface;
      return EFI_SUCCESS;
    }
  }
  return EFI_UNSUPPORTED;
}

EFI_STATUS HandleDatabase::LocateProtocol(const EFI_GUID *protocol, void **interface) const {
  if (protocol == nullptr || interface == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  for (const auto &record : handles_) {
    for (const Entry &entry : record->protocols) {
      if (SameGuid(entry.guid, *protocol)) {
        *interface = entry.interface;
        return EFI_SUCCESS;
      }
    }
  }
  *interface = nullptr;
  return EFI_NOT_FOUND;
}

std::vector<EFI_HANDLE> HandleDatabase::HandlesWith(const EFI_GUID &protocol) const {
  std::vector<EFI_HANDLE> found;
  for (const auto &record : handles_) {
    for (const Entry &entry : record->protocols) {
      if (SameGuid(entry.guid, protocol)) {
        found.push_back(record.get());
        break;
      }
    }
  }
  return found;
}

EFI_STATUS HandleDatabase::LocateHandleBuffer(Pool &pool, EFI_LOCATE_SEARCH_TYPE type, const EFI_GUID *protocol,
                                              UINTN *count, EFI_HANDLE **buffer) const {
  if (count == nullptr || buffer == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  std::vector<EFI_HANDLE> found;
  if (type == ByProtocol) {
    if (protocol == nullptr) {
      return EFI_INVALID_PARAMETER;
    }
    found = HandlesWith(*protocol);
  } else if (type == AllHandles) {
    for (const auto &record : handles_) {
      found.push_back(record.get());
    }
  } else {
    return EFI_INVALID_PARAMETER;
  }
  *count = 0;
  *buffer = nullptr;
  if (found.empty()) {
    return EFI_NOT_FOUND;
  }
  void *memory = nullptr;
  const EFI_STATUS status = pool.Allocate(EfiBootServicesData, found.size() * sizeof(EFI_HANDLE), &memory);
  if (EFI_ERROR(status)) {
    return EFI_OUT_OF_RESOURCES;
  }
  std::memcpy(memory, found.data(), found.size() * sizeof(EFI_HANDLE));
  *count = found.size();
  *buffer = static_cast<EFI_HANDLE *>(memory);
  return EFI_SUCCESS;
}

bool HandleDatabase::DevicePathInstalled(const EFI_DEVICE_PATH_PROTOCOL *path) const {
  const std::size_t size = DevicePathSize(path);
  if (size == 0) {
    return false;
  }
  for (const auto &record : handles_) {
    for (const Entry &entry : record->protocols) {
      if (!SameGuid(entry.guid, EFI_DEVICE_PATH_PROTOCOL_GUID) || entry.interface == nullptr) {
        continue;
      }
      const auto *other = static_cast<const EFI_DEVICE_PATH_PROTOCOL *>(entry.interface);
      if (DevicePathSize(other) == size && std::memcmp(other, path, size) == 0) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace sim
