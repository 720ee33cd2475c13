// SPDX-License-Identifier: BSD-2-Clause-Patent
// Output forms of a drawn page: a fixed-width text screen like a setup
// browser's (title bar, label column, value column) and JSON.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "sim/page_model.h"

namespace sim {

inline constexpr std::size_t kScreenWidth = 80;
inline constexpr std::size_t kLabelColumnWidth = 26;

// The page framed in a box `width` columns wide, one string per screen line
// joined by '\n'. Long labels and values wrap within their columns.
std::string RenderPageText(const PageModel &page, std::size_t width = kScreenWidth);

// {"title", "form_set_title", "form_id", "rows": [{"kind", "label", "value": [lines]}]},
// keys in that order.
nlohmann::ordered_json PageJson(const PageModel &page);

// A JSON document as the tools print it: two-space indent, a newline at the
// end, and U+FFFD for each byte of text that is not valid UTF-8.
std::string JsonText(const nlohmann::ordered_json &document);

// JsonText(PageJson(page)).
std::string RenderPageJson(const PageModel &page);

}  // namespace sim
