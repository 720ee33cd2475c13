// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/hii_database.h"

#include <algorithm>
#include <cstring>

#include "platform/device_path.h"
#include "platform/guids.h"
#include "sim/platform.h"

namespace sim {

namespace {

constexpr std::size_t kMaxStringId = 0xFFFF;

// Answers a size query the UEFI way: too small a buffer gets the size it
// needs and EFI_BUFFER_TOO_SMALL, else the bytes and their size.
EFI_STATUS DeliverBytes(const void *data, std::size_t needed, void *buffer, UINTN *size) {
  if (*size < needed) {
    *size = needed;
    return EFI_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, data, needed);
  *size = needed;
  return EFI_SUCCESS;
}

bool HasPackage(const PackageList &list, UINT8 type, const EFI_GUID *guid) {
  return std::any_of(list.packages.begin(), list.packages.end(), [&](const HiiPackage &package) {
    if (package.type != type) {
      return false;
    }
    return guid == nullptr || std::memcmp(package.bytes.data() + 4, guid, sizeof *guid) == 0;
  });
}

}  // namespace

StringPackage *FindLanguage(PackageList &list, std::string_view language) {
  for (HiiPackage &package : list.packages) {
    if (package.strings && package.strings->language == language) {
      return &*package.strings;
    }
  }
  return nullptr;
}

const StringPackage *FindLanguage(const PackageList &list, std::string_view language) {
  return FindLanguage(const_cast<PackageList &>(list), language);
}

std::size_t HighestStringId(const PackageList &list) {
  std::size_t highest = 0;
  for (const HiiPackage &package : list.packages) {
    if (package.strings) {
      highest = std::max(highest, package.strings->strings.size());
    }
  }
  return highest;
}

HiiDatabase::HiiDatabase(Platform &platform) : platform_(platform) {
  database_.owner = this;
  string_.owner = this;
  InstallThunks();
}

HiiDatabase::~HiiDatabase() = default;

EFI_HANDLE HiiDatabase::Publish() {
  EFI_HANDLE handle = platform_.Publish(EFI_HII_DATABASE_PROTOCOL_GUID, &database_.protocol);
  return platform_.Publish(EFI_HII_STRING_PROTOCOL_GUID, &string_.protocol, handle);
}

HiiDatabase::Record *HiiDatabase::Find(EFI_HII_HANDLE handle) const {
  for (const auto &record : records_) {
    if (record.get() == handle) {
      return record.get();
    }
  }
  return nullptr;
}

void HiiDatabase::AddLayoutLanguages(PackageList &list) const {
  auto is_strings = [](const HiiPackage &package) { return package.strings.has_value(); };
  const auto first = std::find_if(list.packages.begin(), list.packages.end(), is_strings);
  if (first == list.packages.end()) {
    return;
  }
  const HiiPackage model = *first;
  auto copies = [&](const std::vector<std::string> &languages) {
    std::vector<HiiPackage> out;
    for (const std::string &language : languages) {
      if (FindLanguage(list, language) == nullptr) {
        HiiPackage copy = model;
        copy.strings->language = language;
        copy.bytes.clear();
        out.push_back(std::move(copy));
      }
    }
    return out;
  };
  std::vector<HiiPackage> before = copies(layout_.before);
  std::vector<HiiPackage> after = copies(layout_.after);
  const auto last = std::find_if(list.packages.rbegin(), list.packages.rend(), is_strings).base();
  const std::size_t after_at = static_cast<std::size_t>(last - list.packages.begin());
  const std::size_t before_at = static_cast<std::size_t>(first - list.packages.begin());
  list.packages.insert(list.packages.begin() + static_cast<std::ptrdiff_t>(after_at), after.begin(), after.end());
  list.packages.insert(list.packages.begin() + static_cast<std::ptrdiff_t>(before_at), before.begin(), before.end());
}

// A driver handle with a device path gives the list a device-path package
// holding that path, as UEFI databases do.
void HiiDatabase::AddDevicePathPackage(PackageList &list, EFI_HANDLE driver) const {
  void *interface = nullptr;
  if (driver == nullptr ||
      EFI_ERROR(platform_.handles().HandleProtocol(driver, &EFI_DEVICE_PATH_PROTOCOL_GUID, &interface)) ||
      interface == nullptr) {
    return;
  }
  const std::size_t size = DevicePathSize(static_cast<const EFI_DEVICE_PATH_PROTOCOL *>(interface));
  if (size == 0) {
    return;
  }
  HiiPackage package;
  package.type = EFI_HII_PACKAGE_DEVICE_PATH;
  const UINT32 header = static_cast<UINT32>(4 + size) | (UINT32{EFI_HII_PACKAGE_DEVICE_PATH} << 24);
  for (std::size_t k = 0; k < 4; ++k) {
    package.bytes.push_back(static_cast<UINT8>(header >> (8 * k)));
  }
  const auto *path = static_cast<const UINT8 *>(interface);
  package.bytes.insert(package.bytes.end(), path, path + size);
  list.packages.push_back(std::move(package));
}

// Database -------------------------------------------------------------------------

EFI_STATUS HiiDatabase::NewPackageList(const EFI_HII_PACKAGE_LIST_HEADER *list, EFI_HANDLE driver,
                                       EFI_HII_HANDLE *handle) {
  if (list == nullptr || handle == nullptr) {
    last_rejection_ = "PackageList or Handle is NULL";
    return EFI_INVALID_PARAMETER;
  }
  const auto *bytes = reinterpret_cast<const UINT8 *>(list);
  std::optional<PackageList> parsed = ParsePackageList(bytes, &last_rejection_);
  if (!parsed) {
    return EFI_INVALID_PARAMETER;
  }
  for (const auto &record : records_) {
    if (SameGuid(record->list.guid, parsed->guid)) {
      last_rejection_ = "a package list with this GUID is already registered";
      return EFI_INVALID_PARAMETER;
    }
  }
  AddLayoutLanguages(*parsed);
  AddDevicePathPackage(*parsed, driver);

  auto record = std::make_unique<Record>();
  record->list = std::move(*parsed);
  record->driver = driver;
  UINT32 length = 0;
  std::memcpy(&length, bytes + offsetof(EFI_HII_PACKAGE_LIST_HEADER, PackageLength), sizeof length);
  record->received.assign(bytes, bytes + length);
  *handle = record.get();
  records_.push_back(std::move(record));
  last_rejection_.clear();
  return EFI_SUCCESS;
}

EFI_STATUS HiiDatabase::RemovePackageList(EFI_HII_HANDLE handle) {
  Record *record = Find(handle);
  if (record == nullptr) {
    return EFI_NOT_FOUND;
  }
  std::erase_if(records_, [record](const auto &r) { return r.get() == record; });
  return EFI_SUCCESS;
}

EFI_STATUS HiiDatabase::ListPackageLists(UINT8 type, const EFI_GUID *guid, UINTN *length,
                                         EFI_HII_HANDLE *handles) const {
  if (length == nullptr || (*length > 0 && handles == nullptr) ||
      ((type == EFI_HII_PACKAGE_TYPE_GUID) != (guid != nullptr))) {
    return EFI_INVALID_PARAMETER;
  }
  std::vector<EFI_HII_HANDLE> found;
  for (const auto &record : records_) {
    if (type == EFI_HII_PACKAGE_TYPE_ALL || HasPackage(record->list, type, guid)) {
      found.push_back(record.get());
    }
  }
  if (found.empty()) {
    return EFI_NOT_FOUND;
  }
  return DeliverBytes(found.data(), found.size() * sizeof(EFI_HII_HANDLE), handles, length);
}

EFI_STATUS HiiDatabase::ExportPackageLists(EFI_HII_HANDLE handle, UINTN *size,
                                           EFI_HII_PACKAGE_LIST_HEADER *buffer) const {
  if (size == nullptr || (*size > 0 && buffer == nullptr)) {
    return EFI_INVALID_PARAMETER;
  }
  std::vector<UINT8> bytes;
  if (handle != nullptr) {
    const Record *record = Find(handle);
    if (record == nullptr) {
      return EFI_NOT_FOUND;
    }
    bytes = SerializePackageList(record->list);
  } else {
    for (const auto &record : records_) {
      const std::vector<UINT8> one = SerializePackageList(record->list);
      bytes.insert(bytes.end(), one.begin(), one.end());
    }
  }
  return DeliverBytes(bytes.data(), bytes.size(), buffer, size);
}

EFI_STATUS HiiDatabase::GetPackageListHandle(EFI_HII_HANDLE handle, EFI_HANDLE *driver) const {
  const Record *record = Find(handle);
  if (record == nullptr || driver == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  *driver = record->driver;
  return EFI_SUCCESS;
}

// Strings --------------------------------------------------------------------------

EFI_STATUS HiiDatabase::NewString(EFI_HII_HANDLE handle, EFI_STRING_ID *id, const CHAR8 *language,
                                  const CHAR16 *language_name, const CHAR16 *text) {
  (void)language_name;  // a new language's package gets no name string here
  if (id == nullptr || language == nullptr || text == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  Record *record = Find(handle);
  if (record == nullptr) {
    return EFI_NOT_FOUND;
  }
  const std::size_t new_id = HighestStringId(record->list) + 1;
  if (new_id > kMaxStringId) {
    return EFI_OUT_OF_RESOURCES;
  }
  if (FindLanguage(record->list, language) == nullptr) {
    HiiPackage package;
    package.type = EFI_HII_PACKAGE_STRINGS;
    package.strings.emplace();
    package.strings->language = language;
    record->list.packages.push_back(std::move(package));
  }
  // The id is reserved in every language and holds the text in this one.
  for (HiiPackage &package : record->list.packages) {
    if (package.strings) {
      package.strings->strings.resize(new_id);
    }
  }
  FindLanguage(record->list, language)->strings[new_id - 1] = std::u16string(text);
  *id = static_cast<EFI_STRING_ID>(new_id);
  return EFI_SUCCESS;
}

EFI_STATUS HiiDatabase::GetString(const CHAR8 *language, EFI_HII_HANDLE handle, EFI_STRING_ID id, CHAR16 *text,
                                  UINTN *size) const {
  if (language == nullptr || size == nullptr || (*size > 0 && text == nullptr)) {
    return EFI_INVALID_PARAMETER;
  }
  const Record *record = Find(handle);
  if (record == nullptr || id == 0 || id > HighestStringId(record->list)) {
    return EFI_NOT_FOUND;
  }
  const StringPackage *package = FindLanguage(record->list, language);
  if (package == nullptr || id > package->strings.size() || !package->strings[id - 1]) {
    return EFI_INVALID_LANGUAGE;
  }
  const std::u16string &found = *package->strings[id - 1];
  const std::u16string terminated = found + u'\0';
  return DeliverBytes(terminated.data(), terminated.size() * sizeof(CHAR16), text, size);
}

EFI_STATUS HiiDatabase::SetString(EFI_HII_HANDLE handle, EFI_STRING_ID id, const CHAR8 *language, const CHAR16 *text) {
  if (language == nullptr || text == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  Record *record = Find(handle);
  if (record == nullptr || id == 0 || id > HighestStringId(record->list)) {
    return EFI_NOT_FOUND;
  }
  StringPackage *package = FindLanguage(record->list, language);
  if (package == nullptr) {
    return EFI_NOT_FOUND;
  }
  if (package->strings.size() < id) {
    package->strings.resize(id);
  }
  package->strings[id - 1] = std::u16string(text);
  return EFI_SUCCESS;
}

EFI_STATUS HiiDatabase::GetLanguages(EFI_HII_HANDLE handle, CHAR8 *languages, UINTN *size) const {
  if (size == nullptr || (*size > 0 && languages == nullptr)) {
    return EFI_INVALID_PARAMETER;
  }
  const Record *record = Find(handle);
  if (record == nullptr) {
    return EFI_NOT_FOUND;
  }
  const std::vector<std::string> names = LanguagesOf(handle);
  if (names.empty()) {
    return EFI_NOT_FOUND;
  }
  std::string list;
  for (const std::string &name : names) {
    list += (list.empty() ? "" : ";") + name;
  }
  return DeliverBytes(list.c_str(), list.size() + 1, languages, size);
}

// Read-back ------------------------------------------------------------------------

std::vector<EFI_HII_HANDLE> HiiDatabase::Handles() const {
  std::vector<EFI_HII_HANDLE> handles;
  for (const auto &record : records_) {
    handles.push_back(record.get());
  }
  return handles;
}

std::vector<UINT8> HiiDatabase::ReceivedBytes(EFI_HII_HANDLE handle) const {
  const Record *record = Find(handle);
  return record != nullptr ? record->received : std::vector<UINT8>{};
}

std::vector<UINT8> HiiDatabase::ExportedBytes(EFI_HII_HANDLE handle) const {
  const Record *record = Find(handle);
  return record != nullptr ? SerializePackageList(record->list) : std::vector<UINT8>{};
}

std::vector<UINT8> HiiDatabase::PackageBytes(EFI_HII_HANDLE handle, UINT8 type) const {
  if (const Record *record = Find(handle)) {
    for (const HiiPackage &package : record->list.packages) {
      if (package.type == type) {
        return SerializePackage(package);
      }
    }
  }
  return {};
}

std::optional<std::u16string> HiiDatabase::StringOf(EFI_HII_HANDLE handle, EFI_STRING_ID id,
                                                    std::string_view language) const {
  const Record *record = Find(handle);
  const StringPackage *package = record != nullptr ? FindLanguage(record->list, language) : nullptr;
  if (package == nullptr || id == 0 || id > package->strings.size()) {
    return std::nullopt;
  }
  return package->strings[id - 1];
}

std::vector<std::string> HiiDatabase::LanguagesOf(EFI_HII_HANDLE handle) const {
  std::vector<std::string> names;
  if (const Record *record = Find(handle)) {
    for (const HiiPackage &package : record->list.packages) {
      if (package.strings) {
        names.push_back(package.strings->language);
      }
    }
  }
  return names;
}

EFI_HANDLE HiiDatabase::DriverHandleOf(EFI_HII_HANDLE handle) const {
  const Record *record = Find(handle);
  return record != nullptr ? record->driver : nullptr;
}

}  // namespace sim
