// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/tool_run.h"

#include <algorithm>
#include <fstream>
#include <memory>

#include "boards/board_config.h"
#include "sim/board.h"
#include "sim/ucs2.h"
#include "tools/run_report.h"
#include "tools/status_names.h"
#include "tools/trace_print.h"

namespace sysinfo_tool {

namespace {

// The output files, opened before the run so a bad path costs nothing.
struct OutputFiles {
  std::unique_ptr<std::ofstream> trace;
  std::unique_ptr<std::ofstream> packages;
};

std::unique_ptr<std::ofstream> OpenOutput(const std::string &path, std::string *error) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file) {
    *error = "cannot write " + path;
    return nullptr;
  }
  return file;
}

std::string OpenOutputs(const Options &options, OutputFiles *files) {
  std::string error;
  if (options.trace && !options.trace_file.empty() && !(files->trace = OpenOutput(options.trace_file, &error))) {
    return error;
  }
  if (!options.export_file.empty() && !(files->packages = OpenOutput(options.export_file, &error))) {
    return error;
  }
  return {};
}

// Draws the registered page in the wanted language into the report.
void TakePage(const sim::SimulatedBoard &board, const Options &options, RunReport *report) {
  const EFI_HII_HANDLE handle = board.PageHandle();
  if (handle == nullptr) {
    if (!EFI_ERROR(report->status)) {
      report->problems.push_back("the entry succeeded but no package list carries the page's GUID");
    }
    return;
  }
  const std::vector<std::string> languages = board.hii.LanguagesOf(handle);
  if (std::find(languages.begin(), languages.end(), options.language) == languages.end()) {
    std::string list;
    for (const std::string &language : languages) {
      list += " " + language;
    }
    report->notes.push_back("the page has no strings in " + options.language + " (it has:" + list +
                            "); drawn in en-US");
  }
  const std::string &language = std::find(languages.begin(), languages.end(), options.language) != languages.end()
                                    ? options.language
                                    : std::string("en-US");
  sim::PageBuild build = sim::BuildPageModel(board.hii, handle, language);
  if (build.page) {
    report->page = std::move(build.page);
  } else {
    report->problems.push_back("the registered page cannot be drawn: " + build.error);
  }
}

void ExportPackages(const sim::SimulatedBoard &board, std::ofstream &file, RunReport *report) {
  const EFI_HII_HANDLE handle = board.PageHandle();
  const std::vector<UINT8> bytes = handle != nullptr ? board.hii.ExportedBytes(handle) : std::vector<UINT8>{};
  if (bytes.empty()) {
    report->notes.push_back("no page is registered: the package file is empty");
  }
  file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int RunSimulation(std::string_view program, const Options &options, std::ostream &out, std::ostream &err) {
  OutputFiles files;
  if (std::string error = OpenOutputs(options, &files); !error.empty()) {
    err << program << ": " << error << "\n";
    return kExitToolFailure;
  }

  sim::SimulatedBoard board(options.facts);
  if (options.trace) {
    board.platform.bus().AttachTrace(&board.platform.calls());
  }
  InstallFaultRules(options.faults, board.platform.calls());

  RunReport report;
  report.board = sim::Utf8FromUcs2(mBoardName);
  report.language = options.language;
  report.status = board.RunDriverEntry();
  TakePage(board, options, &report);
  report.problems = [&] {
    std::vector<std::string> all = board.Problems();
    all.insert(all.end(), report.problems.begin(), report.problems.end());
    return all;
  }();
  for (const FaultRule &rule : options.faults) {
    if (std::string note = UnfiredRuleNote(rule, board.platform.calls()); !note.empty()) {
      report.notes.push_back(note);
    }
  }
  if (files.packages) {
    ExportPackages(board, *files.packages, &report);
  }
  report.exit_code = report.problems.empty() ? ExitCodeFor(report.status) : kExitProblems;

  if (options.trace) {
    PrintTrace(board.platform.calls(), board.platform.bus(), files.trace ? *files.trace : err);
  }
  out << (options.json ? RenderReportJson(report) : RenderReportText(report));
  for (const std::string &note : report.notes) {
    err << program << ": note: " << note << "\n";
  }
  for (const std::string &problem : report.problems) {
    err << program << ": problem: " << problem << "\n";
  }

  const bool written = (!files.trace || files.trace->flush()) && (!files.packages || files.packages->flush());
  if (!written) {
    err << program << ": could not finish writing an output file\n";
    return kExitToolFailure;
  }
  return report.exit_code;
}

int ToolMain(std::string_view program, std::string_view own_board, const std::vector<std::string> &args,
             std::ostream &out, std::ostream &err, const SiblingLauncher &launch) {
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.error.empty()) {
    err << program << ": " << parsed.error << "\nTry '" << program << " --help'.\n";
    return kExitUsage;
  }
  const Options &options = parsed.options;
  if (!options.board.empty() && options.board != own_board) {
    return launch(*FindSimBoard(options.board), options.forwarded);
  }
  if (options.help) {
    out << HelpText(program, own_board);
    return kExitSuccess;
  }
  if (options.version) {
    out << program << " " << SYSINFO_VERSION << "\n";
    return kExitSuccess;
  }
  if (options.list_faults) {
    out << FaultShortcutList();
    return kExitSuccess;
  }
  return RunSimulation(program, options, out, err);
}

}  // namespace sysinfo_tool
