// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulator program: command line in, page and status out.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/options.h"
#include "tools/sim_boards.h"

namespace sysinfo_tool {

// Runs the driver's entry once on a board made from the options, prints
// what the options ask for and returns the exit code.
int RunSimulation(std::string_view program, const Options &options, std::ostream &out, std::ostream &err);

// Runs the simulator built for another board with the given arguments;
// returns an exit code (only when it could not be started, for the real one).
using SiblingLauncher = std::function<int(const SimBoard &board, const std::vector<std::string> &args)>;

// The whole program: parses `args`, hands a --board for another board to
// `launch`, prints help, the version or the fault list, or runs the
// simulation.
int ToolMain(std::string_view program, std::string_view own_board, const std::vector<std::string> &args,
             std::ostream &out, std::ostream &err, const SiblingLauncher &launch);

}  // namespace sysinfo_tool
