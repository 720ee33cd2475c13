// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/hii_string_store.h"

#include <cstdio>

#include "platform/hii.h"

namespace sim {

namespace {

constexpr std::size_t kLanguageOffset = offsetof(EFI_HII_STRING_PACKAGE_HDR, Language);  // 46
constexpr std::size_t kMaxStrings = 0xFFFF;

UINT32 Le16At(const UINT8 *bytes, std::size_t offset) { return bytes[offset] | (bytes[offset + 1] << 8); }

UINT32 Le32At(const UINT8 *bytes, std::size_t offset) {
  return Le16At(bytes, offset) | (Le16At(bytes, offset + 2) << 16);
}

void PutLe16(std::vector<UINT8> &out, UINT32 value) {
  out.push_back(static_cast<UINT8>(value));
  out.push_back(static_cast<UINT8>(value >> 8));
}

void PutLe32(std::vector<UINT8> &out, UINT32 value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

std::string Fail(std::string *why, const std::string &text) {
  if (why != nullptr) {
    *why = text;
  }
  return text;
}

std::string At(std::size_t offset) { return " at package offset " + std::to_string(offset); }

// Appends `count` absent strings; false when the id space overflows.
bool Skip(StringPackage &package, std::size_t count) {
  if (package.strings.size() + count > kMaxStrings) {
    return false;
  }
  package.strings.resize(package.strings.size() + count);
  return true;
}

// Parses the header fields; false (with `why`) when they do not fit.
bool ParseHeader(const UINT8 *bytes, std::size_t size, StringPackage &package, std::size_t *blocks, std::string *why) {
  if (size < kLanguageOffset + 1) {
    Fail(why, "string package of " + std::to_string(size) + " bytes is shorter than its header");
    return false;
  }
  const UINT32 header_size = Le32At(bytes, 4);
  const UINT32 info_offset = Le32At(bytes, 8);
  if (header_size < kLanguageOffset + 1 || header_size > size) {
    Fail(why, "string package HdrSize " + std::to_string(header_size) + " is out of range");
    return false;
  }
  if (info_offset < header_size || info_offset >= size) {
    Fail(why, "string package StringInfoOffset " + std::to_string(info_offset) + " is out of range");
    return false;
  }
  std::size_t end = kLanguageOffset;
  while (end < header_size && bytes[end] != 0) {
    ++end;
  }
  if (end == header_size) {
    Fail(why, "string package language tag is not terminated within the header");
    return false;
  }
  if (end == kLanguageOffset) {
    Fail(why, "string package has an empty language tag");
    return false;
  }
  for (std::size_t i = 0; i < 16; ++i) {
    package.language_window[i] = static_cast<CHAR16>(Le16At(bytes, 12 + 2 * i));
  }
  package.language_name = static_cast<EFI_STRING_ID>(Le16At(bytes, 44));
  package.language.assign(reinterpret_cast<const char *>(bytes + kLanguageOffset), end - kLanguageOffset);
  package.header_tail.assign(bytes + end + 1, bytes + header_size);
  package.gap.assign(bytes + header_size, bytes + info_offset);
  *blocks = info_offset;
  return true;
}

// A UCS-2 text from `offset` up to its 0x0000; npos when unterminated.
std::size_t ReadUcs2(const UINT8 *bytes, std::size_t size, std::size_t offset, std::u16string *text) {
  for (std::size_t at = offset; at + 2 <= size; at += 2) {
    const CHAR16 unit = static_cast<CHAR16>(Le16At(bytes, at));
    if (unit == 0) {
      return at + 2;
    }
    text->push_back(unit);
  }
  return std::string::npos;
}

}  // namespace

std::optional<StringPackage> ParseStringPackage(const UINT8 *bytes, std::size_t size, std::string *why) {
  StringPackage package;
  std::size_t offset = 0;
  if (!ParseHeader(bytes, size, package, &offset, why)) {
    return std::nullopt;
  }
  while (offset < size) {
    const UINT8 type = bytes[offset];
    switch (type) {
      case EFI_HII_SIBT_END:
        if (offset + 1 != size) {
          Fail(why, std::to_string(size - offset - 1) + " bytes follow the end block" + At(offset));
          return std::nullopt;
        }
        return package;
      case EFI_HII_SIBT_STRING_UCS2: {
        std::u16string text;
        const std::size_t next = ReadUcs2(bytes, size, offset + 1, &text);
        if (next == std::string::npos) {
          Fail(why, "UCS-2 string block is not terminated" + At(offset));
          return std::nullopt;
        }
        if (package.strings.size() >= kMaxStrings) {
          Fail(why, "more than 65535 strings" + At(offset));
          return std::nullopt;
        }
        package.strings.emplace_back(std::move(text));
        offset = next;
        break;
      }
      case EFI_HII_SIBT_SKIP1:
      case EFI_HII_SIBT_SKIP2: {
        const std::size_t width = type == EFI_HII_SIBT_SKIP1 ? 1 : 2;
        if (offset + 1 + width > size) {
          Fail(why, "skip block is cut short" + At(offset));
          return std::nullopt;
        }
        const std::size_t count = width == 1 ? bytes[offset + 1] : Le16At(bytes, offset + 1);
        if (!Skip(package, count)) {
          Fail(why, "skip block runs past string id 65535" + At(offset));
          return std::nullopt;
        }
        offset += 1 + width;
        break;
      }
      default: {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", type);
        Fail(why, std::string("string block type ") + text + " is not supported" + At(offset));
        return std::nullopt;
      }
    }
  }
  Fail(why, "string blocks have no end block");
  return std::nullopt;
}

std::vector<UINT8> SerializeStringPackage(const StringPackage &package) {
  std::vector<UINT8> out(4, 0);  // package header, filled in last
  const UINT32 header_size =
      static_cast<UINT32>(kLanguageOffset + package.language.size() + 1 + package.header_tail.size());
  PutLe32(out, header_size);
  PutLe32(out, header_size + static_cast<UINT32>(package.gap.size()));
  for (CHAR16 unit : package.language_window) {
    PutLe16(out, unit);
  }
  PutLe16(out, package.language_name);
  out.insert(out.end(), package.language.begin(), package.language.end());
  out.push_back(0);
  out.insert(out.end(), package.header_tail.begin(), package.header_tail.end());
  out.insert(out.end(), package.gap.begin(), package.gap.end());

  for (std::size_t i = 0; i < package.strings.size();) {
    if (package.strings[i].has_value()) {
      out.push_back(EFI_HII_SIBT_STRING_UCS2);
      for (CHAR16 unit : *package.strings[i]) {
        PutLe16(out, unit);
      }
      PutLe16(out, 0);
      ++i;
      continue;
    }
    std::size_t run = 0;
    while (i + run < package.strings.size() && !package.strings[i + run].has_value()) {
      ++run;
    }
    if (run <= 0xFF) {
      out.push_back(EFI_HII_SIBT_SKIP1);
      out.push_back(static_cast<UINT8>(run));
    } else {
      out.push_back(EFI_HII_SIBT_SKIP2);
      PutLe16(out, static_cast<UINT32>(run));
    }
    i += run;
  }
  out.push_back(EFI_HII_SIBT_END);

  const UINT32 length = static_cast<UINT32>(out.size());
  const UINT32 header = (length & 0xFFFFFF) | (static_cast<UINT32>(EFI_HII_PACKAGE_STRINGS) << 24);
  for (std::size_t k = 0; k < 4; ++k) {
    out[k] = static_cast<UINT8>(header >> (8 * k));
  }
  return out;
}

}  // namespace sim
