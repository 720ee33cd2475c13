// SPDX-License-Identifier: BSD-2-Clause-Patent
// The boards the simulator is built for, one per board file. The board is
// a build-time choice of the driver, so there is one executable per board;
// --board runs the sibling executable built for the board asked for.
#pragma once

#include <string_view>
#include <vector>

namespace sysinfo_tool {

struct SimBoard {
  std::string_view key;         // the --board value
  std::string_view executable;  // file name of its simulator, next to this one
  std::string_view description;
};

// Every board, the default board (the executable `sysinfo-sim`) first.
const std::vector<SimBoard> &SimBoards();
const SimBoard *FindSimBoard(std::string_view key);

}  // namespace sysinfo_tool
