// SPDX-License-Identifier: BSD-2-Clause-Patent
// Starting the simulator built for another board: the executable of that
// name in this executable's directory.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/sim_boards.h"

namespace sysinfo_tool {

// Replaces this process with `board`'s simulator run with `args`. Returns
// only when that fails, with a message on `err` and kExitToolFailure.
int ExecSiblingBoard(const SimBoard &board, const std::vector<std::string> &args, std::ostream &err);

}  // namespace sysinfo_tool
