// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/memory_info_model.h"

#include <cstring>

#include "platform/guids.h"
#include "sim/platform.h"

namespace sim {

MemoryInfoModel::MemoryInfoModel(UINT32 total_mib, UINT16 clock_mhz) {
  std::memset(&interface_, kFill, sizeof interface_);
  std::memset(&record_, kFill, sizeof record_);
  interface_.Record = &record_;
  Set(total_mib, clock_mhz);
}

void MemoryInfoModel::Set(UINT32 total_mib, UINT16 clock_mhz) {
  record_.TotalMiB = total_mib;
  record_.ClockMHz = clock_mhz;
}

void MemoryInfoModel::SetNullRecord(bool null_record) { interface_.Record = null_record ? nullptr : &record_; }

EFI_HANDLE MemoryInfoModel::Publish(Platform &platform) {
  return platform.Publish(MEMORY_INFO_PROTOCOL_GUID, &interface_);
}

}  // namespace sim
