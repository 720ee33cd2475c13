// SPDX-License-Identifier: BSD-2-Clause-Patent
// The table of command-line options: name, value, help and how each one
// changes the options. The parser and the help text both read it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/options.h"

namespace sysinfo_tool {

enum class Arity {
  kFlag,      // --name
  kRequired,  // --name VALUE or --name=VALUE
  kOptional,  // --name or --name=VALUE
};

struct OptionEntry {
  std::string_view name;        // with its leading dashes
  std::string_view value_name;  // for the help text
  Arity arity;
  std::string_view group;
  std::string_view help;
  // Applies the option; returns an error message, empty when accepted.
  std::string (*apply)(Options &options, std::string_view value);
};

const std::vector<OptionEntry> &OptionTable();
const OptionEntry *FindOption(std::string_view name);

}  // namespace sysinfo_tool

namespace sysinfo_tool {

// Applies a list of arguments to `options` as the parser does (used by
// --fault to apply what a shortcut stands for). Returns an error message.
std::string ApplyArguments(Options &options, const std::vector<std::string> &args);

}  // namespace sysinfo_tool
