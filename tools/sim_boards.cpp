#include "tools/sim_boards.h"

namespace sysinfo_tool {

const std::vector<SimBoard> &SimBoards() {
  static const std::vector<SimBoard> boards = {
      {"q4m", "sysinfo-sim", "Vemko Tarsa Q4M, four memory straps (the default)"},
      {"q4l", "sysinfo-sim-q4l", "Vemko Tarsa Q4L, two memory straps"},
      {"qemu-virt", "sysinfo-sim-qemu-virt", "QEMU virt standing in for a Q4M (other UART and GPIO addresses)"},
      {"unknown", "sysinfo-sim-unknown",
       "a board named \"Vemko Tarsa Q4m\", which the driver does not know: Memory Chip shows Internal Error"},
  };
  return boards;
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
