// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated register bus: 32-bit accesses routed by address to device
// models, every access logged in order. On the host, the driver's RegRead32
// and RegWrite32 arrive here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace sim {

class CallLog;

class RegisterDevice {
 public:
  virtual ~RegisterDevice() = default;
  virtual UINT32 Read(UINTN offset) = 0;
  virtual void Write(UINTN offset, UINT32 value) = 0;
};

struct RegisterAccess {
  bool write;
  UINTN address;
  UINT32 value;
  std::uint64_t repeat = 1;  // identical consecutive reads are folded into one entry

  bool operator==(const RegisterAccess &other) const {
    return write == other.write && address == other.address && value == other.value && repeat == other.repeat;
  }
};

class RegisterBus {
 public:
  // Maps [base, base + size) to `device`; offsets passed to it are from base.
  void Map(UINTN base, UINTN size, RegisterDevice *device, std::string name = {});
  void Unmap(RegisterDevice *device);

  UINT32 Read(UINTN address);
  void Write(UINTN address, UINT32 value);

  const std::vector<RegisterAccess> &Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  std::uint64_t AccessCount() const { return accesses_; }

  // Unmapped or misaligned accesses; an unmapped read returns all ones.
  const std::vector<std::string> &Violations() const { return violations_; }

  // When set, every access is also noted in the call log (for traces).
  void AttachTrace(CallLog *trace) { trace_ = trace; }

 private:
  struct Window {
    UINTN base;
    UINTN size;
    RegisterDevice *device;
    std::string name;
  };
  const Window *Route(UINTN address, bool write);
  void Record(bool write, UINTN address, UINT32 value, const Window *window);

  std::vector<Window> windows_;
  std::vector<RegisterAccess> log_;
  std::vector<std::string> violations_;
  std::uint64_t accesses_ = 0;
  CallLog *trace_ = nullptr;
};

// The bus the host build of RegRead32/RegWrite32 uses; null when none.
void SetCurrentBus(RegisterBus *bus);
RegisterBus *CurrentBus();

}  // namespace sim
