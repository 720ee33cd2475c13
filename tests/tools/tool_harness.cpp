// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tests/tools/tool_harness.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/page_render.h"
#include "tools/tool_run.h"

namespace tool_test {

namespace {

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

ToolResult RunTool(const std::vector<std::string> &args) {
  ToolResult result;
  std::ostringstream out;
  std::ostringstream err;
  result.exit_code =
      sysinfo_tool::ToolMain("sysinfo-sim", OwnBoard(), args, out, err,
                             [&result](const sysinfo_tool::SimBoard &board, const std::vector<std::string> &forwarded) {
                               result.launches.push_back(Launch{std::string(board.key), forwarded});
                               return kLaunchExitCode;
                             });
  result.out = out.str();
  result.err = err.str();
  return result;
}

// A row is "| " + label column + two spaces + value column + " |"; a value
// that goes on takes the following lines whose label column is blank.
std::vector<std::string> RowValue(const std::string &screen, const std::string &label) {
  constexpr std::size_t kValueStart = 2 + sim::kLabelColumnWidth + 2;
  std::istringstream lines(screen);
  std::string line;
  std::vector<std::string> value;
  bool in_row = false;
  while (std::getline(lines, line)) {
    if (!line.starts_with("| ") || line.size() < kValueStart + 2) {
      in_row = false;
      continue;
    }
    const std::string row_label = Trimmed(line.substr(2, sim::kLabelColumnWidth));
    const std::string cell = Trimmed(line.substr(kValueStart, line.size() - kValueStart - 2));
    if (row_label == label || (in_row && row_label.empty() && !cell.empty())) {
      value.push_back(cell);
      in_row = true;
    } else if (in_row) {
      break;
    }
  }
  return value;
}

std::string TempPath(const std::string &name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "sysinfo-tool-test";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

std::string ReadFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace tool_test
