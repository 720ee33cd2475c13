// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page as a setup browser would draw it, taken from a form package:
// the title, then subtitles, blank lines and "label — value" rows in order,
// without the rows that a true SUPPRESS_IF hides. Strings are looked up by
// id (for a registered list: in the simulated database, one language).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace sim {

class HiiDatabase;

enum class RowKind { kSubtitle, kText, kBlank };

const char *RowKindName(RowKind kind);  // "subtitle", "text", "blank"

struct PageRow {
  RowKind kind = RowKind::kBlank;
  std::string label;               // UTF-8
  std::vector<std::string> value;  // text rows: the value's lines (CR LF breaks a line)
};

struct PageModel {
  std::string form_set_title;
  std::string title;  // the form's title, shown in the title bar
  UINT16 form_id = 0;
  std::vector<PageRow> rows;
};

struct PageBuild {
  std::optional<PageModel> page;
  std::string error;  // set when the form could not be interpreted
};

// A string by id, or nothing when the id has no string.
using StringLookup = std::function<std::optional<std::u16string>(EFI_STRING_ID)>;

// Interprets `form_package` (a whole form package, header included) and
// draws its first form, or the form `form_id` when given. Malformed input
// gives an error, never a partial page.
PageBuild BuildPageModel(const std::vector<UINT8> &form_package, const StringLookup &strings,
                         std::optional<UINT16> form_id = std::nullopt);

// The same for the first form package of a registered list, with strings
// from the database in `language`.
PageBuild BuildPageModel(const HiiDatabase &database, EFI_HII_HANDLE handle, std::string_view language = "en-US");

// Text of a value as lines: CR LF (or a lone LF) ends a line, a lone CR is
// dropped, other control characters show as '?'.
std::vector<std::string> ValueLines(std::u16string_view value);

}  // namespace sim
