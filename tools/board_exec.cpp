// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/board_exec.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "tools/status_names.h"

namespace sysinfo_tool {

int ExecSiblingBoard(const SimBoard &board, const std::vector<std::string> &args, std::ostream &err) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    err << "--board " << board.key << ": cannot find this executable: " << error.message() << "\n";
    return kExitToolFailure;
  }
  const std::string sibling = (self.parent_path() / board.executable).string();
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(sibling.c_str()));
  for (const std::string &arg : args) {
    argv.push_back(const_cast<char *>(arg.c_str()));
  }
  argv.push_back(nullptr);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  ::execv(sibling.c_str(), argv.data());
  err << "--board " << board.key << ": cannot run " << sibling << ": " << std::strerror(errno) << "\n";
  return kExitToolFailure;
}

}  // namespace sysinfo_tool
