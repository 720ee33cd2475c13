// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulator's command line: the board's facts, injected faults and the
// output wanted, parsed from the arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/board.h"
#include "tools/fault_rules.h"

namespace sysinfo_tool {

struct Options {
  sim::BoardFacts facts;
  std::vector<FaultRule> faults;

  bool help = false;
  bool version = false;
  bool list_faults = false;
  bool json = false;
  bool trace = false;
  std::string trace_file;          // empty: the trace goes to stderr
  std::string export_file;         // empty: nothing is exported
  std::string language = "en-US";  // the language the page is drawn in

  std::string board;                   // --board; empty when not given
  std::vector<std::string> forwarded;  // the arguments without --board, for a sibling board's executable
};

struct ParseResult {
  Options options;
  std::string error;  // set for a bad command line
};

ParseResult ParseOptions(const std::vector<std::string> &args);

// The whole --help text.
std::string HelpText(std::string_view program, std::string_view own_board);

// The --list-faults text: each shortcut, what it stands for and its effect.
std::string FaultShortcutList();

}  // namespace sysinfo_tool
