// SPDX-License-Identifier: BSD-2-Clause-Patent
// Host build of the register primitives: each access goes to the installed
// bus hook (text/register_hook.h).
#include <cstdio>
#include <cstdlib>

#include "text/register.h"
#include "text/register_hook.h"

namespace {
const REGISTER_BUS_HOOK *gHook = nullptr;

const REGISTER_BUS_HOOK &InstalledHook() {
  if (gHook == nullptr) {
    std::fputs("register access with no simulated register bus attached\n", stderr);
    std::abort();
  }
  return *gHook;
}
}  // namespace

void SetRegisterBusHook(const REGISTER_BUS_HOOK *Hook) { gHook = Hook; }

UINT32 RegRead32(UINTN Address) { return InstalledHook().Read(Address, __builtin_frame_address(0)); }

UINT32 RegWrite32(UINTN Address, UINT32 Value) {
  InstalledHook().Write(Address, Value, __builtin_frame_address(0));
  return Value;
}
