// SPDX-License-Identifier: BSD-2-Clause-Patent
// sysinfo-sim: the System Information page of one board configuration,
// drawn from a simulated start-up. SYSINFO_SIM_BOARD names the board this
// executable is linked with.
#include <iostream>
#include <string>
#include <vector>

#include "tools/board_exec.h"
#include "tools/tool_run.h"

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string program =
      argc > 0 ? std::string(argv[0]).substr(std::string(argv[0]).find_last_of('/') + 1) : std::string("sysinfo-sim");
  return sysinfo_tool::ToolMain(program, SYSINFO_SIM_BOARD, args, std::cout, std::cerr,
                                [](const sysinfo_tool::SimBoard &board, const std::vector<std::string> &forwarded) {
                                  return sysinfo_tool::ExecSiblingBoard(board, forwarded, std::cerr);
                                });
}
