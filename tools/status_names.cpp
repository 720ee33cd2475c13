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

constexpr NamedStatus kStatuses[] = {
    {EFI_SUCCESS, "EFI_SUCCESS"},
    {EFI_WARN_UNKNOWN_GLYPH, "EFI_WARN_UNKNOWN_GLYPH"},
    {EFI_WARN_DELETE_FAILURE, "EFI_WARN_DELETE_FAILURE"},
    {EFI_WARN_WRITE_FAILURE, "EFI_WARN_WRITE_FAILURE"},
    {EFI_WARN_BUFFER_TOO_SMALL, "EFI_WARN_BUFFER_TOO_SMALL"},
    {EFI_WARN_STALE_DATA, "EFI_WARN_STALE_DATA"},
    {EFI_LOAD_ERROR, "EFI_LOAD_ERROR"},
    {EFI_INVALID_PARAMETER, "EFI_INVALID_PARAMETER"},
    {EFI_UNSUPPORTED, "EFI_UNSUPPORTED"},
    {EFI_BAD_BUFFER_SIZE, "EFI_BAD_BUFFER_SIZE"},
    {EFI_BUFFER_TOO_SMALL, "EFI_BUFFER_TOO_SMALL"},
    {EFI_NOT_READY, "EFI_NOT_READY"},
    {EFI_DEVICE_ERROR, "EFI_DEVICE_ERROR"},
    {EFI_WRITE_PROTECTED, "EFI_WRITE_PROTECTED"},
    {EFI_OUT_OF_RESOURCES, "EFI_OUT_OF_RESOURCES"},
    {EFI_VOLUME_CORRUPTED, "EFI_VOLUME_CORRUPTED"},
    {EFI_VOLUME_FULL, "EFI_VOLUME_FULL"},
    {EFI_NO_MEDIA, "EFI_NO_MEDIA"},
    {EFI_MEDIA_CHANGED, "EFI_MEDIA_CHANGED"},
    {EFI_NOT_FOUND, "EFI_NOT_FOUND"},
    {EFI_ACCESS_DENIED, "EFI_ACCESS_DENIED"},
    {EFI_NO_RESPONSE, "EFI_NO_RESPONSE"},
    {EFI_NO_MAPPING, "EFI_NO_MAPPING"},
    {EFI_TIMEOUT, "EFI_TIMEOUT"},
    {EFI_NOT_STARTED, "EFI_NOT_STARTED"},
    {EFI_ALREADY_STARTED, "EFI_ALREADY_STARTED"},
    {EFI_ABORTED, "EFI_ABORTED"},
    {EFI_ICMP_ERROR, "EFI_ICMP_ERROR"},
    {EFI_TFTP_ERROR, "EFI_TFTP_ERROR"},
    {EFI_PROTOCOL_ERROR, "EFI_PROTOCOL_ERROR"},
    {EFI_INCOMPATIBLE_VERSION, "EFI_INCOMPATIBLE_VERSION"},
    {EFI_SECURITY_VIOLATION, "EFI_SECURITY_VIOLATION"},
    {EFI_CRC_ERROR, "EFI_CRC_ERROR"},
    {EFI_END_OF_MEDIA, "EFI_END_OF_MEDIA"},
    {EFI_END_OF_FILE, "EFI_END_OF_FILE"},
    {EFI_INVALID_LANGUAGE, "EFI_INVALID_LANGUAGE"},
    {EFI_COMPROMISED_DATA, "EFI_COMPROMISED_DATA"},
};

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
