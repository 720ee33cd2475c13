// SPDX-License-Identifier: BSD-2-Clause-Patent
// The run's trace: every boot-service, HII, I2C, firmware-version and
// register call in the order made.
#pragma once

#include <ostream>

#include "sim/call_log.h"
#include "sim/register_bus.h"

namespace sysinfo_tool {

// One line per call: number, service, detail, status (injected faults
// marked). A register read repeated in a row with the same result (a
// poll) is one line with its count, taken from the bus's folded log.
void PrintTrace(const sim::CallLog &calls, const sim::RegisterBus &bus, std::ostream &out);

}  // namespace sysinfo_tool
