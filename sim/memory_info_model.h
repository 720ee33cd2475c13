// SPDX-License-Identifier: BSD-2-Clause-Patent
// The platform's memory-information protocol: an interface whose pointer
// at offset 16 leads to a record with the total size in MiB (offset 12)
// and the memory clock in MHz (offset 20). The bytes around those fields
// hold a fill pattern, so a read at a wrong offset yields a wrong value.
#pragma once

#include "platform/platform_protocols.h"

namespace sim {

class Platform;

class MemoryInfoModel {
 public:
  static constexpr UINT8 kFill = 0x5A;

  MemoryInfoModel(UINT32 total_mib, UINT16 clock_mhz);
  MemoryInfoModel(const MemoryInfoModel &) = delete;
  MemoryInfoModel &operator=(const MemoryInfoModel &) = delete;

  void Set(UINT32 total_mib, UINT16 clock_mhz);
  // An interface whose record pointer is NULL.
  void SetNullRecord(bool null_record);

  // Installs the interface on a new handle of `platform`.
  EFI_HANDLE Publish(Platform &platform);
  MEMORY_INFO_PROTOCOL *Interface() { return &interface_; }

 private:
  MEMORY_INFO_PROTOCOL interface_;
  MEMORY_INFO_RECORD record_;
};

}  // namespace sim
