// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/status_names.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace sysinfo_tool {

namespace {

struct NamedStatus {
  EFI_STATUS value;
  const char *name;
};

#define NAMED_STATUS(Name, Code, Text) {Name, #Name},
#define UNNAMED_STATUS(Code, Text)
constexpr NamedStatus kStatuses[] = {EFI_SUCCESS_STATUS_LIST(NAMED_STATUS)
                                         EFI_ERROR_STATUS_LIST(NAMED_STATUS, UNNAMED_STATUS)};
#undef NAMED_STATUS
#undef UNNAMED_STATUS

// Upper case, '-' read as '_', "EFI_" added when missing.
std::string CanonicalName(std::string_view text) {
  std::string name;
  for (char c : text) {
    name += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return name.starts_with("EFI_") ? name : "EFI_" + name;
}

std::optional<EFI_STATUS> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  EFI_STATUS value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string StatusName(EFI_STATUS status) {
  for (const NamedStatus &named : kStatuses) {
    if (named.value == status) {
      return named.name;
    }
  }
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(status));
  return text;
}

std::optional<EFI_STATUS> ParseStatus(std::string_view text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front()))) {
    return ParseNumber(text);
  }
  const std::string name = CanonicalName(text);
  for (const NamedStatus &named : kStatuses) {
    if (name == named.name) {
      return named.value;
    }
  }
  return std::nullopt;
}

std::string StatusNameList() {
  std::string list;
  for (const NamedStatus &named : kStatuses) {
    list += (list.empty() ? "" : " ") + std::string(named.name);
  }
  return list;
}

int ExitCodeFor(EFI_STATUS status) {
  if (!EFI_ERROR(status)) {
    return kExitSuccess;
  }
  const EFI_STATUS code = status & ~EFI_ERROR_BIT;
  return code >= 1 && code <= 63 ? kExitErrorBase + static_cast<int>(code) : kExitOtherError;
}

}  // namespace sysinfo_tool
