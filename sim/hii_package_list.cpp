// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/hii_package_list.h"

#include <cstring>

#include "platform/hii.h"

namespace sim {

namespace {

constexpr std::size_t kListHeaderSize = sizeof(EFI_HII_PACKAGE_LIST_HEADER);  // 20
constexpr std::size_t kPackageHeaderSize = 4;

UINT32 Le32At(const UINT8 *bytes) { return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (UINT32{bytes[3]} << 24); }

std::optional<PackageList> Reject(std::string *why, std::string text) {
  if (why != nullptr) {
    *why = std::move(text);
  }
  return std::nullopt;
}

// Checks what the database understands of one package; false with `why`.
bool AcceptPackage(HiiPackage &package, const PackageList &list, std::string *why) {
  switch (package.type) {
    case EFI_HII_PACKAGE_TYPE_ALL:
      *why = "package type 0x00 is not a package type";
      return false;
    case EFI_HII_PACKAGE_STRINGS: {
      package.strings = ParseStringPackage(package.bytes.data(), package.bytes.size(), why);
      if (!package.strings) {
        return false;
      }
      for (const HiiPackage &other : list.packages) {
        if (other.strings && other.strings->language == package.strings->language) {
          *why = "two string packages for language " + package.strings->language;
          return false;
        }
      }
      return true;
    }
    case EFI_HII_PACKAGE_TYPE_GUID:
      if (package.bytes.size() < kPackageHeaderSize + sizeof(EFI_GUID)) {
        *why = "GUID package shorter than its GUID";
        return false;
      }
      return true;
    default:
      return true;  // carried as it stands
  }
}

}  // namespace

std::optional<PackageList> ParsePackageList(const UINT8 *list, std::string *why) {
  std::string reason;
  PackageList parsed;
  std::memcpy(&parsed.guid, list, sizeof parsed.guid);
  const UINT32 length = Le32At(list + 16);
  if (length < kListHeaderSize + kPackageHeaderSize) {
    return Reject(why, "PackageLength " + std::to_string(length) + " cannot hold a header and an end package");
  }
  std::size_t offset = kListHeaderSize;
  while (offset < length) {
    const std::string where = " at list offset " + std::to_string(offset);
    if (length - offset < kPackageHeaderSize) {
      return Reject(why, "package header cut short by PackageLength" + where);
    }
    const UINT32 header = Le32At(list + offset);
    const std::size_t package_length = header & 0xFFFFFF;
    const UINT8 type = static_cast<UINT8>(header >> 24);
    if (package_length < kPackageHeaderSize) {
      return Reject(why, "package length " + std::to_string(package_length) + " is below its header" + where);
    }
    if (package_length > length - offset) {
      return Reject(why, "package of " + std::to_string(package_length) + " bytes runs past PackageLength" + where);
    }
    if (type == EFI_HII_PACKAGE_END) {
      if (package_length != kPackageHeaderSize) {
        return Reject(why, "end package of length " + std::to_string(package_length) + where);
      }
      if (offset + kPackageHeaderSize != length) {
        return Reject(why, std::to_string(length - offset - kPackageHeaderSize) + " bytes follow the end package");
      }
      return parsed;
    }
    HiiPackage package;
    package.type = type;
    package.bytes.assign(list + offset, list + offset + package_length);
    if (!AcceptPackage(package, parsed, &reason)) {
      return Reject(why, reason + where);
    }
    parsed.packages.push_back(std::move(package));
    offset += package_length;
  }
  return Reject(why, "no end package within PackageLength");
}

std::vector<UINT8> SerializePackage(const HiiPackage &package) {
  return package.strings ? SerializeStringPackage(*package.strings) : package.bytes;
}

std::vector<UINT8> SerializePackageList(const PackageList &list) {
  std::vector<UINT8> out(kListHeaderSize);
  std::memcpy(out.data(), &list.guid, sizeof list.guid);
  for (const HiiPackage &package : list.packages) {
    const std::vector<UINT8> bytes = SerializePackage(package);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  const UINT8 end[] = {0x04, 0x00, 0x00, EFI_HII_PACKAGE_END};
  out.insert(out.end(), std::begin(end), std::end(end));
  const UINT32 length = static_cast<UINT32>(out.size());
  for (std::size_t k = 0; k < 4; ++k) {
    out[16 + k] = static_cast<UINT8>(length >> (8 * k));
  }
  return out;
}

}  // namespace sim
