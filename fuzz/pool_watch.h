// SPDX-License-Identifier: BSD-2-Clause-Patent
// Watches the simulated AllocatePool: records every request (type and
// size) and refuses requests above a cap with EFI_OUT_OF_RESOURCES, as a
// firmware with that much free pool would. Without the cap a fuzzed size
// of gigabytes would be honoured by the simulator and end the run out of
// memory; with it, huge sizes take the driver's real failure path. Calls
// under the cap go on to the simulated service (and its fault plan).
#pragma once

#include <vector>

#include "platform/boot_services.h"

namespace sim {
class Platform;
}

namespace fuzz {

struct PoolRequest {
  EFI_MEMORY_TYPE type;
  UINTN size;
  void *buffer;  // NULL when the request failed
};

class PoolWatch {
 public:
  PoolWatch(sim::Platform &platform, UINTN cap);
  ~PoolWatch();
  PoolWatch(const PoolWatch &) = delete;
  PoolWatch &operator=(const PoolWatch &) = delete;

  const std::vector<PoolRequest> &Requests() const { return requests_; }

 private:
  static EFI_STATUS EFIAPI AllocatePool(EFI_MEMORY_TYPE Type, UINTN Size, void **Buffer);

  EFI_BOOT_SERVICES *services_;
  decltype(EFI_BOOT_SERVICES::AllocatePool) original_;
  UINTN cap_;
  std::vector<PoolRequest> requests_;
  PoolWatch *previous_;
};

}  // namespace fuzz
