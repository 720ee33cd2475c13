// SPDX-License-Identifier: BSD-2-Clause-Patent
// The one path every simulated service call takes: it is entered in the
// current platform's call log, the fault plan decides whether it fails,
// and its result is logged as it leaves.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "sim/platform.h"

namespace sim {

inline void NoOutputs() {}

// Runs `body` unless the fault plan fails the call; a failed call returns
// the planned status and, when the plan asks for it, first lets `scribble`
// write garbage to the call's outputs.
template <typename Body, typename Scribbler = void (*)()>
EFI_STATUS TracedService(std::string_view service, std::string detail, Body body, Scribbler scribble = NoOutputs) {
  CallLog &calls = Current().calls();
  const Verdict verdict = calls.Enter(service, std::move(detail));
  if (verdict.fail) {
    if (verdict.scribble) {
      scribble();
    }
    return calls.Leave(verdict.status);
  }
  return calls.Leave(body());
}

// For services that do their work even when failed (the failure changes
// only what they report): `body` runs on every call and sees the verdict;
// a failed call returns the planned status whatever `body` returns.
template <typename Body>
EFI_STATUS TracedServiceAlwaysRuns(std::string_view service, std::string detail, Body body) {
  CallLog &calls = Current().calls();
  const Verdict verdict = calls.Enter(service, std::move(detail));
  const EFI_STATUS status = body(verdict);
  return calls.Leave(verdict.fail ? verdict.status : status);
}

}  // namespace sim
