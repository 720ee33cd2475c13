// SPDX-License-Identifier: BSD-2-Clause-Patent
// Injected faults: generic rules on the simulated services ("--fail"), and
// named shortcuts that reproduce each way the driver's start-up can meet a
// failure ("--fault").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "sim/call_log.h"

namespace sysinfo_tool {

struct FaultRule {
  std::string service;    // a service name or pattern: "HII.SetString", "BS.*", "*"
  std::uint64_t nth = 0;  // 0: every call; else only the nth call (from 1)
  EFI_STATUS status = EFI_DEVICE_ERROR;
  bool scribble = false;  // the failing service first writes garbage to its outputs
};

// Parses SERVICE[:N[:STATUS[:scribble]]]; N is a count from 1, or 0, '*'
// or "all" for every call. Returns an error message, empty on success.
std::string ParseFaultRule(std::string_view text, FaultRule *rule);

// Every service the simulated board traces and can fail, for validation
// and the help text.
const std::vector<std::string_view> &FaultableServices();

void InstallFaultRules(const std::vector<FaultRule> &rules, sim::CallLog &calls);

// A rule that matched no call, or whose nth call never came, as a note for
// the user; empty when the rule fired.
std::string UnfiredRuleNote(const FaultRule &rule, const sim::CallLog &calls);

struct FaultShortcut {
  std::string_view name;
  std::vector<std::string_view> arguments;  // what the shortcut stands for
  std::string_view effect;                  // what the page or the entry shows
};

const std::vector<FaultShortcut> &FaultShortcuts();
const FaultShortcut *FindFaultShortcut(std::string_view name);

}  // namespace sysinfo_tool
