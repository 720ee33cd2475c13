// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/sim_boards.h"

#include <iterator>

#include "sim_board_table.h"

namespace sysinfo_tool {

const std::vector<SimBoard> &SimBoards() {
  static const std::vector<SimBoard> kBoards(std::begin(kSimBoardTable), std::end(kSimBoardTable));
  return kBoards;
}

const SimBoard *FindSimBoard(std::string_view key) {
  for (const SimBoard &board : SimBoards()) {
    if (board.key == key) {
      return &board;
    }
  }
  return nullptr;
}

}  // namespace sysinfo_tool
