// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/trace_print.h"

#include "tools/status_names.h"

namespace sysinfo_tool {

namespace {

bool IsRegisterAccess(const sim::CallRecord &record) { return record.service.starts_with("REG."); }

// Keeps a call on one line: control characters in texts show escaped.
std::string OneLine(const std::string &detail) {
  std::string out;
  for (char c : detail) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += '?';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void PrintTrace(const sim::CallLog &calls, const sim::RegisterBus &bus, std::ostream &out) {
  const std::vector<sim::RegisterAccess> &accesses = bus.Log();
  std::size_t access = 0;  // the bus log entry of the next register record
  std::size_t number = 0;
  std::uint64_t register_accesses = 0;
  for (const sim::CallRecord &record : calls.Records()) {
    out << ++number << ' ' << record.service;
    if (IsRegisterAccess(record)) {
      // Each traced access opened one bus log entry; repeats only counted there.
      const std::uint64_t repeat = access < accesses.size() ? accesses[access++].repeat : 1;
      register_accesses += repeat;
      out << ' ' << record.detail;
      if (repeat > 1) {
        out << " (x" << repeat << ')';
      }
    } else {
      out << '(' << OneLine(record.detail) << ") = " << StatusName(record.status);
      if (record.injected) {
        out << " [injected]";
      }
    }
    out << '\n';
  }
  out << "-- " << calls.FaultableCalls() << " service calls, " << register_accesses << " register accesses, "
      << calls.InjectedFaults() << " faults injected\n";
}

}  // namespace sysinfo_tool
