// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated UEFI platform for the host: a system table and boot-services
// table backed by a tracked pool, a handle database, a register bus and a
// call log with fault injection. The driver receives the same tables it
// gets from real firmware; the simulated services reach this object
// through Current(), as there is one platform per test or tool run.
#pragma once

#include <string>
#include <vector>

#include "platform/boot_services.h"
#include "sim/call_log.h"
#include "sim/handle_database.h"
#include "sim/pool.h"
#include "sim/register_bus.h"

namespace sim {

class Platform {
 public:
  Platform();
  ~Platform();
  Platform(const Platform &) = delete;
  Platform &operator=(const Platform &) = delete;

  EFI_SYSTEM_TABLE *SystemTable() { return &system_table_; }
  EFI_BOOT_SERVICES *BootServices() { return &boot_services_; }
  EFI_HANDLE ImageHandle() { return image_handle_; }

  Pool &pool() { return pool_; }
  const Pool &pool() const { return pool_; }
  HandleDatabase &handles() { return handles_; }
  const HandleDatabase &handles() const { return handles_; }
  CallLog &calls() { return calls_; }
  RegisterBus &bus() { return bus_; }

  // Installs a protocol on a new handle (or on *handle) without a trace
  // entry or fault: for setting the scene before the driver runs.
  EFI_HANDLE Publish(const EFI_GUID &protocol, void *interface, EFI_HANDLE handle = nullptr);

  // Everything the platform found wrong: bad frees, bad register accesses.
  std::vector<std::string> Violations() const;

 private:
  EFI_SYSTEM_TABLE system_table_{};
  EFI_BOOT_SERVICES boot_services_{};
  EFI_HANDLE image_handle_ = nullptr;
  Pool pool_;
  HandleDatabase handles_;
  CallLog calls_;
  RegisterBus bus_;
  Platform *previous_ = nullptr;
};

// The platform the simulated services act on; aborts when there is none.
Platform &Current();

// A readable name for a GUID the simulator knows, else its text form.
std::string GuidName(const EFI_GUID *guid);

}  // namespace sim
