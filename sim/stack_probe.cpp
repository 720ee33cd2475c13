// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/stack_probe.h"

#include <cstdint>

namespace sim {

namespace {

bool g_armed = false;
std::uintptr_t g_entry_stack = 0;
std::uintptr_t g_deepest_stack = 0;

}  // namespace

void ArmStackProbe(const void *entry_stack) {
  g_entry_stack = reinterpret_cast<std::uintptr_t>(entry_stack);
  g_deepest_stack = g_entry_stack;
  g_armed = true;
}

void DisarmStackProbe() { g_armed = false; }

bool StackProbeArmed() { return g_armed; }

void NoteDriverStack(const void *caller_stack) {
  const auto at = reinterpret_cast<std::uintptr_t>(caller_stack);
  if (g_armed && at < g_deepest_stack) {
    g_deepest_stack = at;
  }
}

std::size_t DriverStackDepth() { return g_entry_stack - g_deepest_stack; }

}  // namespace sim
