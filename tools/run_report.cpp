#include "tools/run_report.h"

#include <cstdio>

#include "sim/page_render.h"
#include "tools/status_names.h"

namespace sysinfo_tool {

namespace {

std::string HexStatus(EFI_STATUS status) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(status));
  return text;
}

std::string JsonList(const std::vector<std::string> &items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += (i == 0 ? "" : ", ") + sim::JsonQuoted(items[i]);
  }
  return out + "]";
}

// The page's own JSON, indented one level to sit inside the report.
std::string NestedPageJson(const sim::PageModel &page) {
  std::string json = sim::RenderPageJson(page);
  while (!json.empty() && json.back() == '\n') {
    json.pop_back();
  }
  std::string out;
  for (char c : json) {
    out += c;
    if (c == '\n') {
      out += "  ";
    }
  }
  return out;
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
  std::string out = "{\n";
  out += "  \"board\": " + sim::JsonQuoted(report.board) + ",\n";
  out += "  \"status\": " + sim::JsonQuoted(StatusName(report.status)) + ",\n";
  out += "  \"status_value\": " + sim::JsonQuoted(HexStatus(report.status)) + ",\n";
  out += "  \"exit_code\": " + std::to_string(report.exit_code) + ",\n";
  out += "  \"language\": " + sim::JsonQuoted(report.language) + ",\n";
  out += "  \"page\": " + (report.page ? NestedPageJson(*report.page) : std::string("null")) + ",\n";
  out += "  \"problems\": " + JsonList(report.problems) + ",\n";
  out += "  \"notes\": " + JsonList(report.notes) + "\n";
  return out + "}\n";
}

}  // namespace sysinfo_tool
