// SPDX-License-Identifier: BSD-2-Clause-Patent
// What one simulated start-up produced, and its two printed forms: the
// page as text followed by the entry's status, or one JSON document.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"
#include "sim/page_model.h"

namespace sysinfo_tool {

struct RunReport {
  std::string board;  // the name the driver was built with
  EFI_STATUS status = EFI_SUCCESS;
  int exit_code = 0;
  std::string language;
  std::optional<sim::PageModel> page;  // none when nothing is registered
  std::vector<std::string> problems;   // pool left behind, wrong accesses
  std::vector<std::string> notes;      // fault rules that never fired and the like
};

// The page framed as the setup browser draws it (or a line saying there is
// none), then "DriverEntry returned <status>".
std::string RenderReportText(const RunReport &report);

// {"board", "status", "status_value", "exit_code", "language", "page": {...} | null, "problems", "notes"}
std::string RenderReportJson(const RunReport &report);

}  // namespace sysinfo_tool
