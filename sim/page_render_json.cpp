#include <cstdio>

#include "sim/page_render.h"

namespace sim {

namespace {

std::string Quoted(const std::string &text) {
  std::string out = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      out += escaped;
    } else {
      out += c;  // UTF-8 passes through
    }
  }
  return out + "\"";
}

}  // namespace

std::string RenderPageJson(const PageModel &page) {
  std::string out = "{\n  \"title\": " + Quoted(page.title) +
                    ",\n  \"form_set_title\": " + Quoted(page.form_set_title) +
                    ",\n  \"form_id\": " + std::to_string(page.form_id) + ",\n  \"rows\": [";
  for (std::size_t r = 0; r < page.rows.size(); ++r) {
    const PageRow &row = page.rows[r];
    out += r == 0 ? "\n" : ",\n";
    out += "    {\"kind\": " + Quoted(RowKindName(row.kind)) + ", \"label\": " + Quoted(row.label) + ", \"value\": [";
    for (std::size_t i = 0; i < row.value.size(); ++i) {
      out += (i == 0 ? "" : ", ") + Quoted(row.value[i]);
    }
    out += "]}";
  }
  return out + (page.rows.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace sim
