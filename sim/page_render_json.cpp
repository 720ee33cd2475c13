#include <cstdio>

#include "sim/page_render.h"

namespace sim {

std::string JsonQuoted(const std::string &text) {
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

std::string RenderPageJson(const PageModel &page) {
  std::string out = "{\n  \"title\": " + JsonQuoted(page.title) +
                    ",\n  \"form_set_title\": " + JsonQuoted(page.form_set_title) +
                    ",\n  \"form_id\": " + std::to_string(page.form_id) + ",\n  \"rows\": [";
  for (std::size_t r = 0; r < page.rows.size(); ++r) {
    const PageRow &row = page.rows[r];
    out += r == 0 ? "\n" : ",\n";
    out += "    {\"kind\": " + JsonQuoted(RowKindName(row.kind)) + ", \"label\": " + JsonQuoted(row.label) +
           ", \"value\": [";
    for (std::size_t i = 0; i < row.value.size(); ++i) {
      out += (i == 0 ? "" : ", ") + JsonQuoted(row.value[i]);
    }
    out += "]}";
  }
  return out + (page.rows.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace sim
