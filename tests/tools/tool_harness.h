// SPDX-License-Identifier: BSD-2-Clause-Patent
// Runs the simulator in-process, as its executable would, and reads rows
// back from the printed page.
#pragma once

#include <string>
#include <vector>

#include "tools/sim_boards.h"

namespace tool_test {

struct Launch {
  std::string board;
  std::vector<std::string> args;
};

struct ToolResult {
  int exit_code = -1;
  std::string out;
  std::string err;
  std::vector<Launch> launches;  // sibling boards --board asked for
};

// The board the test program links, the default board: first in the table.
inline std::string OwnBoard() { return std::string(sysinfo_tool::SimBoards().front().key); }

// The default board's simulator run with `args`; a --board for another
// board is recorded and answered with exit code 42.
ToolResult RunTool(const std::vector<std::string> &args);

inline constexpr int kLaunchExitCode = 42;

// The value lines of the text row labelled `label` on the printed page,
// trimmed; empty when the page has no such row.
std::vector<std::string> RowValue(const std::string &screen, const std::string &label);

// A path for an output file in the test's temporary directory.
std::string TempPath(const std::string &name);
std::string ReadFile(const std::string &path);

}  // namespace tool_test
