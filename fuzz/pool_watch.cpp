// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "fuzz/pool_watch.h"

#include "fuzz/fuzz_input.h"
#include "sim/platform.h"

namespace fuzz {

namespace {
PoolWatch *g_watch = nullptr;
}

PoolWatch::PoolWatch(sim::Platform &platform, UINTN cap)
    : services_(platform.BootServices()), original_(services_->AllocatePool), cap_(cap), previous_(g_watch) {
  services_->AllocatePool = AllocatePool;
  g_watch = this;
}

PoolWatch::~PoolWatch() {
  services_->AllocatePool = original_;
  g_watch = previous_;
}

EFI_STATUS EFIAPI PoolWatch::AllocatePool(EFI_MEMORY_TYPE Type, UINTN Size, void **Buffer) {
  Require(g_watch != nullptr, "AllocatePool watch called with no watch alive");
  PoolWatch &watch = *g_watch;
  watch.requests_.push_back(PoolRequest{Type, Size, nullptr});
  if (Size > watch.cap_) {
    return EFI_OUT_OF_RESOURCES;
  }
  const EFI_STATUS status = watch.original_(Type, Size, Buffer);
  if (!EFI_ERROR(status) && Buffer != nullptr) {
    watch.requests_.back().buffer = *Buffer;
  }
  return status;
}

}  // namespace fuzz
