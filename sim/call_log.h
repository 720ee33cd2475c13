// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulator's record of every service call and register access, in
// order, and the fault plan that makes chosen calls fail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace sim {

struct CallRecord {
  std::string service;  // e.g. "BS.AllocatePool", "HII.SetString", "I2C.StartRequest", "REG.Read"
  std::string detail;   // arguments worth reading in a trace
  EFI_STATUS status = EFI_SUCCESS;
  bool injected = false;  // the status came from the fault plan
};

// What a service must do on one call: run normally, or fail with `status`
// (and, when `scribble` is set, first write garbage to its outputs).
struct Verdict {
  bool fail = false;
  EFI_STATUS status = EFI_SUCCESS;
  bool scribble = false;
};

// A value services write into output parameters when scribbling, so a
// caller that trusts outputs of a failed call is caught.
inline constexpr std::uintptr_t kScribble = 0xDEADBEEFDEADBEEFull;

class CallLog {
 public:
  // Every simulated service calls Enter once per call, before doing
  // anything, and Leave with its result (all through sim/traced_service.h).
  // Enter returns the fault verdict.
  Verdict Enter(std::string_view service, std::string detail = {});
  EFI_STATUS Leave(EFI_STATUS status);

  // Records an event that is not subject to faults (register accesses).
  void Note(std::string_view service, std::string detail, EFI_STATUS status = EFI_SUCCESS);

  // Fault plan. `nth` counts from 1. A service name of "*" matches every
  // service that takes faults; "BS.*" every boot service, and so on.
  void FailNth(std::string_view service, std::uint64_t nth, EFI_STATUS status, bool scribble = false);
  void FailAlways(std::string_view service, EFI_STATUS status, bool scribble = false);
  void ClearFaults();

  const std::vector<CallRecord> &Records() const { return records_; }
  std::uint64_t CountOf(std::string_view service) const;  // calls entered so far (pattern allowed)
  std::uint64_t FaultableCalls() const { return faultable_calls_; }
  std::uint64_t InjectedFaults() const { return injected_; }
  void Clear();

  // Set to keep only counts (fast runs with huge register traffic).
  void SetRecording(bool on) { recording_ = on; }

  static bool Matches(std::string_view pattern, std::string_view service);

 private:
  struct Fault {
    std::string pattern;
    std::uint64_t nth = 0;  // 0: every call
    EFI_STATUS status = EFI_SUCCESS;
    bool scribble = false;
    std::uint64_t seen = 0;
  };
  std::vector<CallRecord> records_;
  std::vector<Fault> faults_;
  std::vector<std::string> counted_services_;
  std::vector<std::uint64_t> counted_values_;
  std::vector<std::size_t> open_;  // records awaiting Leave
  std::uint64_t faultable_calls_ = 0;
  std::uint64_t injected_ = 0;
  bool recording_ = true;
};

}  // namespace sim
