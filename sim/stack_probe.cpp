// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/stack_probe.h"

#include <cstdint>

namespace sim {

namespace {

bool gArmed = false;
std::uintptr_t gEntryStack = 0;
std::uintptr_t gDeepestStack = 0;

}  // namespace

void ArmStackProbe(const void *entryStack) {
  gEntryStack = reinterpret_cast<std::uintptr_t>(entryStack);
  gDeepestStack = gEntryStack;
  gArmed = true;
}

void DisarmStackProbe() { gArmed = false; }

bool StackProbeArmed() { return gArmed; }

void NoteDriverStack(const void *callerStack) {
  const auto at = reinterpret_cast<std::uintptr_t>(callerStack);
  if (gArmed && at < gDeepestStack) {
    gDeepestStack = at;
  }
}

std::size_t DriverStackDepth() { return gEntryStack - gDeepestStack; }

}  // namespace sim
