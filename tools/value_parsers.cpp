// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/value_parsers.h"

#include <cctype>
#include <charconv>

#include "platform/platform_protocols.h"

namespace sysinfo_tool {

namespace {

struct NamedComponent {
  std::string_view name;  // as the page's row label begins
  UINT32 index;
};

#define NAMED_COMPONENT(Name, Index) {#Name, FIRMWARE_COMPONENT_##Name},
constexpr NamedComponent kComponents[] = {FIRMWARE_COMPONENT_LIST(NAMED_COMPONENT)};
#undef NAMED_COMPONENT

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<TripleVersion> ParseTripleVersion(std::string_view text) {
  const std::vector<std::string_view> parts = SplitOn(text, '.');
  if (parts.size() != 3) {
    return std::nullopt;
  }
  const auto major = ParseUnsigned(parts[0], 0xFFFF);
  const auto minor = ParseUnsigned(parts[1], 0xFF);
  const auto patch = ParseUnsigned(parts[2], 0xFF);
  if (!major || !minor || !patch) {
    return std::nullopt;
  }
  return TripleVersion{static_cast<UINT16>(*major), static_cast<UINT8>(*minor), static_cast<UINT8>(*patch)};
}

std::optional<UINT32> ParseComponent(std::string_view text) {
  for (const NamedComponent &component : kComponents) {
    if (EqualIgnoringCase(text, component.name)) {
      return component.index;
    }
  }
  if (const auto index = ParseUnsigned(text, FIRMWARE_COMPONENT_COUNT - 1)) {
    return static_cast<UINT32>(*index);
  }
  return std::nullopt;
}

std::string ComponentNameList() {
  std::string list;
  for (const NamedComponent &component : kComponents) {
    list += (list.empty() ? "" : " ") + std::string(component.name) + "=" + std::to_string(component.index);
  }
  return list;
}

std::optional<std::u16string> Ucs2FromUtf8(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t point = 0;
    if (lead < 0x80) {
      length = 1, point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, point = lead & 0x0F;
    } else {
      return std::nullopt;  // four-byte forms lie beyond UCS-2; other leads are malformed
    }
    if (i + length > text.size()) {
      return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return std::nullopt;
      }
      point = (point << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800};
    if (point < smallest[length] || (point >= 0xD800 && point <= 0xDFFF)) {
      return std::nullopt;  // overlong form or a surrogate
    }
    out.push_back(static_cast<char16_t>(point));
    i += length;
  }
  return out;
}

bool IsLanguageTag(std::string_view text) {
  if (text.empty() || text.size() > 32) {
    return false;
  }
  for (char c : text) {
    if (c <= ' ' || c > '~' || c == ';') {
      return false;
    }
  }
  return true;
}

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(at + 1);
  }
}

}  // namespace sysinfo_tool
