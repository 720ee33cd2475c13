// SPDX-License-Identifier: BSD-2-Clause-Patent
// Stack depth of the driver on the host: the stack pointer at the driver's
// call into the simulator (a simulated service or a register access),
// relative to the stack pointer at the call of the driver's entry. The
// simulator's own frames below that point do not count.
#pragma once

#include <cstddef>

#include "platform/boot_services.h"

namespace sim {

// Calls DriverEntry with the probe armed; Depth() then holds the deepest
// driver stack seen during the call.
EFI_STATUS RunEntryWithStackProbe(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable);

// Starts a measurement from the entry's caller stack pointer; ends it.
void ArmStackProbe(const void *entry_stack);
void DisarmStackProbe();

// Whether a measurement is running.
bool StackProbeArmed();

// Notes a call from the driver into the simulator whose caller's stack
// pointer was at `caller_stack`. Does nothing when the probe is not armed.
void NoteDriverStack(const void *caller_stack);

// The caller's stack pointer of the function that calls this, given the
// frame address of that function (frame pointer and return address above
// it). Needs frame pointers: the simulator is always built with them.
inline const void *CallerStack(const void *frame) { return static_cast<const char *>(frame) + 2 * sizeof(void *); }

// Bytes between the entry's call and the deepest noted call.
std::size_t DriverStackDepth();

}  // namespace sim
