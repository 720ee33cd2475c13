// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/options.h"

#include "tools/option_table.h"
#include "tools/sim_boards.h"
#include "tools/status_names.h"
#include "tools/value_parsers.h"

namespace sysinfo_tool {

namespace {

// Applies the option at args[i] and its value, leaving i on the last
// argument used. `*entry` is the option found, if any.
std::string ApplyAt(Options &options, const std::vector<std::string> &args, std::size_t &i, const OptionEntry **entry) {
  const std::string_view arg = args[i];
  if (!arg.starts_with("-") || arg == "-") {
    return "unexpected argument '" + std::string(arg) + "' (options begin with --; see --help)";
  }
  const std::size_t equals = arg.find('=');
  const std::string_view name = arg.substr(0, equals);
  *entry = FindOption(name);
  if (*entry == nullptr) {
    return "unknown option " + std::string(name);
  }
  const std::string label = std::string((*entry)->name) + ": ";
  std::string_view value;
  if (equals != std::string_view::npos) {
    if ((*entry)->arity == Arity::kFlag) {
      return label + "takes no value";
    }
    value = arg.substr(equals + 1);
  } else if ((*entry)->arity == Arity::kRequired) {
    if (i + 1 >= args.size()) {
      return label + "needs a value " + std::string((*entry)->value_name);
    }
    value = args[++i];
  }
  std::string error = (*entry)->apply(options, value);
  return error.empty() ? error : label + error;
}

std::string Wrapped(std::string_view text, std::size_t indent, std::size_t width = 79) {
  std::string out;
  std::size_t column = 0;
  for (std::string_view word : SplitOn(text, ' ')) {
    if (column > indent && column + 1 + word.size() > width) {
      out += '\n';
      column = 0;
    }
    if (column == 0) {
      out.append(indent, ' ');
      column = indent;
    } else {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
  }
  return out + '\n';
}

std::string OptionHelp() {
  std::string out;
  std::string_view group;
  for (const OptionEntry &entry : OptionTable()) {
    if (entry.group != group) {
      group = entry.group;
      out += "\n" + std::string(group) + ":\n";
    }
    std::string usage = "  " + std::string(entry.name);
    if (entry.arity == Arity::kRequired) {
      usage += " " + std::string(entry.value_name);
    } else if (entry.arity == Arity::kOptional) {
      usage += "[=" + std::string(entry.value_name) + "]";
    }
    out += usage + "\n" + Wrapped(entry.help, 8);
  }
  return out;
}

std::string ServiceList() {
  std::string list;
  for (std::string_view service : FaultableServices()) {
    list += (list.empty() ? "" : " ") + std::string(service);
  }
  return list;
}

}  // namespace

std::string ApplyArguments(Options &options, const std::vector<std::string> &args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const OptionEntry *entry = nullptr;
    if (std::string error = ApplyAt(options, args, i, &entry); !error.empty()) {
      return error;
    }
  }
  return {};
}

ParseResult ParseOptions(const std::vector<std::string> &args) {
  ParseResult result;
  Options &options = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::size_t first = i;
    const OptionEntry *entry = nullptr;
    result.error = ApplyAt(options, args, i, &entry);
    if (!result.error.empty()) {
      return result;
    }
    if (entry->name != "--board") {
      options.forwarded.insert(options.forwarded.end(), args.begin() + first, args.begin() + i + 1);
    }
  }
  if (!options.board.empty() && FindSimBoard(options.board) == nullptr) {
    std::string keys;
    for (const SimBoard &board : SimBoards()) {
      keys += (keys.empty() ? "" : ", ") + std::string(board.key);
    }
    result.error = "--board: no board '" + options.board + "' (boards: " + keys + ")";
  }
  return result;
}

std::string HelpText(std::string_view program, std::string_view own_board) {
  const SimBoard *own = FindSimBoard(own_board);
  std::string out = "Usage: " + std::string(program) + " [OPTION]...\n\n";
  out += Wrapped(
      "Runs the System Information driver's entry point on a simulated board and prints the setup page as "
      "the firmware's setup browser draws it from the HII database, then the status the entry returned. "
      "Without options the board has 16 GiB of memory at 3200 MHz (6400 MT/s), strap value 10, a PD "
      "controller and firmware-version texts; every fact and fault below can be changed.",
      0);
  out += "\n" + Wrapped("This executable simulates board '" + std::string(own_board) + "'" +
                            (own != nullptr ? ": " + std::string(own->description) : std::string()) + ".",
                        0);
  out += OptionHelp();
  out += "\nBoards (--board BOARD):\n";
  out += Wrapped(
      "The board is chosen when the driver is built, so each board has its own executable in the same "
      "directory. --board re-executes that sibling executable with all the other arguments; asking for this "
      "executable's own board just runs it.",
      2);
  for (const SimBoard &board : SimBoards()) {
    out += "  " + std::string(board.key) + " (" + std::string(board.executable) + ")\n" + Wrapped(board.description, 8);
  }
  out += "\nServices for --fail:\n" + Wrapped(ServiceList(), 2);
  out += "\nStatus names (EFI_ prefix and case optional, '-' for '_'; or a number):\n" + Wrapped(StatusNameList(), 2);
  out += "\nExit status:\n";
  out += "  0       the entry returned EFI_SUCCESS (or a warning) and nothing went wrong\n";
  out += "  1       an output file could not be written, or --board could not start\n";
  out += "          the other board's executable\n";
  out += "  2       bad command line\n";
  out += "  3       pool left allocated, or a simulated device or service saw a wrong\n";
  out += "          access (printed as problems; wins over the entry's status)\n";
  out += "  10+N    the entry returned the error status with code N (1..63), e.g. 19 for\n";
  out += "          EFI_OUT_OF_RESOURCES, 24 for EFI_NOT_FOUND, 17 for EFI_DEVICE_ERROR\n";
  out += "  9       any other error status\n";
  out += "\nExamples:\n";
  out += "  " + std::string(program) + " --memory-mib 8191 --strap-value 6\n";
  out += "  " + std::string(program) + " --fail HII.SetString:3 --trace\n";
  out += "  " + std::string(program) + " --board q4l --strap-value 3 --json\n";
  out += "  " + std::string(program) + " --fault pd-not-ready --export-packages page.bin\n";
  return out;
}

std::string FaultShortcutList() {
  std::string out = "Named fault scenarios (--fault NAME):\n";
  for (const FaultShortcut &shortcut : FaultShortcuts()) {
    std::string arguments;
    for (std::string_view argument : shortcut.arguments) {
      arguments += " " + std::string(argument);
    }
    out += "  " + std::string(shortcut.name) + "\n" + Wrapped(arguments.substr(1), 8) + Wrapped(shortcut.effect, 8);
  }
  out += Wrapped(
      "The memory-chip row's \"Internal Error\" comes from a board the driver does not know: "
      "--board unknown.",
      0);
  return out;
}

}  // namespace sysinfo_tool
