// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/register_bus.h"

#include <cstdio>

#include "sim/call_log.h"
#include "sim/stack_probe.h"
#include "text/register_hook.h"

namespace sim {

namespace {
RegisterBus *g_current_bus = nullptr;

// The driver's register accesses, from the host register primitives: the
// driver's stack at the call, then the access on the current bus.
UINT32 HookRead(UINTN address, const void *frame) {
  NoteDriverStack(CallerStack(frame));
  return g_current_bus->Read(address);
}

void HookWrite(UINTN address, UINT32 value, const void *frame) {
  NoteDriverStack(CallerStack(frame));
  g_current_bus->Write(address, value);
}

constexpr REGISTER_BUS_HOOK kDriverAccess{HookRead, HookWrite};

std::string Hex(UINTN value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}
}  // namespace

void SetCurrentBus(RegisterBus *bus) {
  g_current_bus = bus;
  SetRegisterBusHook(bus != nullptr ? &kDriverAccess : nullptr);
}
RegisterBus *CurrentBus() { return g_current_bus; }

void RegisterBus::Map(UINTN base, UINTN size, RegisterDevice *device, std::string name) {
  windows_.push_back(Window{base, size, device, std::move(name)});
}

void RegisterBus::Unmap(RegisterDevice *device) {
  std::erase_if(windows_, [device](const Window &w) { return w.device == device; });
}

const RegisterBus::Window *RegisterBus::Route(UINTN address, bool write) {
  if (address % 4 != 0) {
    violations_.push_back(std::string("misaligned ") + (write ? "write" : "read") + " at " + Hex(address));
  }
  for (const Window &window : windows_) {
    if (address >= window.base && address - window.base < window.size) {
      return &window;
    }
  }
  violations_.push_back(std::string("unmapped ") + (write ? "write" : "read") + " at " + Hex(address));
  return nullptr;
}

void RegisterBus::Record(bool write, UINTN address, UINT32 value, const Window *window) {
  ++accesses_;
  if (!write && !log_.empty()) {
    RegisterAccess &last = log_.back();
    if (!last.write && last.address == address && last.value == value) {
      ++last.repeat;
      return;
    }
  }
  log_.push_back(RegisterAccess{write, address, value, 1});
  if (trace_ != nullptr) {
    std::string where =
        window != nullptr && !window->name.empty() ? window->name + "+" + Hex(address - window->base) : Hex(address);
    trace_->Note(write ? "REG.Write" : "REG.Read", where + (write ? " <- " : " -> ") + Hex(value));
  }
}

UINT32 RegisterBus::Read(UINTN address) {
  const Window *window = Route(address, false);
  const UINT32 value = window != nullptr ? window->device->Read(address - window->base) : 0xFFFFFFFFu;
  Record(false, address, value, window);
  return value;
}

void RegisterBus::Write(UINTN address, UINT32 value) {
  const Window *window = Route(address, true);
  if (window != nullptr) {
    window->device->Write(address - window->base, value);
  }
  Record(true, address, value, window);
}

}  // namespace sim
