// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/run_report.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "sim/page_render.h"
#include "tools/status_names.h"

namespace sysinfo_tool {

namespace {

std::string HexStatus(EFI_STATUS status) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(status));
  return text;
}

}  // namespace

std::string RenderReportText(const RunReport &report) {
  std::string out = report.page ? sim::RenderPageText(*report.page) : "No System Information page is registered.\n";
  out += "DriverEntry returned " + StatusName(report.status);
  if (report.status != EFI_SUCCESS) {
    out += " (" + HexStatus(report.status) + ")";
  }
  return out + "\n";
}

std::string RenderReportJson(const RunReport &report) {
  const nlohmann::ordered_json document = {
      {"board", report.board},
      {"status", StatusName(report.status)},
      {"status_value", HexStatus(report.status)},
      {"exit_code", report.exit_code},
      {"language", report.language},
      {"page", report.page ? sim::PageJson(*report.page) : nlohmann::ordered_json(nullptr)},
      {"problems", report.problems},
      {"notes", report.notes},
  };
  return sim::JsonText(document);
}

}  // namespace sysinfo_tool
