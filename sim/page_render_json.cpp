// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <nlohmann/json.hpp>

#include "sim/page_render.h"

namespace sim {

nlohmann::ordered_json PageJson(const PageModel &page) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const PageRow &row : page.rows) {
    rows.push_back({{"kind", RowKindName(row.kind)}, {"label", row.label}, {"value", row.value}});
  }
  return {{"title", page.title}, {"form_set_title", page.form_set_title}, {"form_id", page.form_id}, {"rows", rows}};
}

std::string JsonText(const nlohmann::ordered_json &document) {
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string RenderPageJson(const PageModel &page) { return JsonText(PageJson(page)); }

}  // namespace sim
