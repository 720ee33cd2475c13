// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/call_log.h"

#include "sim/stack_probe.h"

namespace sim {

bool CallLog::Matches(std::string_view pattern, std::string_view service) {
  if (pattern == "*") {
    return true;
  }
  if (!pattern.empty() && pattern.back() == '*') {
    return service.substr(0, pattern.size() - 1) == pattern.substr(0, pattern.size() - 1);
  }
  return pattern == service;
}

Verdict CallLog::Enter(std::string_view service, std::string detail) {
  // Called by the simulated service the driver called (or by its helper):
  // the frame above this one is that service's. Read only while a stack
  // measurement runs.
  if (StackProbeArmed()) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wframe-address"
    NoteDriverStack(CallerStack(__builtin_frame_address(1)));
#pragma GCC diagnostic pop
  }
  ++faultable_calls_;
  bool found = false;
  for (std::size_t i = 0; i < counted_services_.size(); ++i) {
    if (counted_services_[i] == service) {
      ++counted_values_[i];
      found = true;
    }
  }
  if (!found) {
    counted_services_.emplace_back(service);
    counted_values_.push_back(1);
  }

  Verdict verdict;
  for (Fault &fault : faults_) {
    if (!Matches(fault.pattern, service)) {
      continue;
    }
    ++fault.seen;
    if (!verdict.fail && (fault.nth == 0 || fault.seen == fault.nth)) {
      verdict = Verdict{true, fault.status, fault.scribble};
    }
  }
  if (verdict.fail) {
    ++injected_;
  }
  if (recording_) {
    records_.push_back(CallRecord{std::string(service), std::move(detail), verdict.status, verdict.fail});
  }
  open_.push_back(recording_ ? records_.size() - 1 : SIZE_MAX);
  return verdict;
}

EFI_STATUS CallLog::Leave(EFI_STATUS status) {
  if (!open_.empty()) {
    const std::size_t index = open_.back();
    open_.pop_back();
    if (index != SIZE_MAX && index < records_.size()) {
      records_[index].status = status;
    }
  }
  return status;
}

void CallLog::Note(std::string_view service, std::string detail, EFI_STATUS status) {
  if (recording_) {
    records_.push_back(CallRecord{std::string(service), std::move(detail), status, false});
  }
}

void CallLog::FailNth(std::string_view service, std::uint64_t nth, EFI_STATUS status, bool scribble) {
  faults_.push_back(Fault{std::string(service), nth == 0 ? 1 : nth, status, scribble, 0});
}

void CallLog::FailAlways(std::string_view service, EFI_STATUS status, bool scribble) {
  faults_.push_back(Fault{std::string(service), 0, status, scribble, 0});
}

void CallLog::ClearFaults() { faults_.clear(); }

std::uint64_t CallLog::CountOf(std::string_view service) const {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < counted_services_.size(); ++i) {
    if (Matches(service, counted_services_[i])) {
      total += counted_values_[i];
    }
  }
  return total;
}

void CallLog::Clear() {
  records_.clear();
  counted_services_.clear();
  counted_values_.clear();
  open_.clear();
  faultable_calls_ = 0;
  injected_ = 0;
}

}  // namespace sim
