// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "driver/driver_entry.h"
#include "sim/stack_probe.h"

namespace sim {

// Not inlined: the entry's caller stack pointer is taken from this frame,
// which holds nothing but saved registers, so the stack pointer at the call
// below is its frame address less at most the 16-byte alignment.
__attribute__((noinline)) EFI_STATUS RunEntryWithStackProbe(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable) {
  ArmStackProbe(__builtin_frame_address(0));
  const EFI_STATUS status = DriverEntry(ImageHandle, SystemTable);
  DisarmStackProbe();
  return status;
}

}  // namespace sim
