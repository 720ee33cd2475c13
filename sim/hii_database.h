// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated HII database with its database and string protocols. It
// copies and validates registered package lists, keeps each list's driver
// handle, lets strings be read, set and added per language, and exports
// lists again. Protocol calls are traced and faultable through the current
// platform's call log under "HII.<Member>"; the C++ members below are the
// untraced semantics behind them, and the read-back helpers are for tests
// and tools.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hii.h"
#include "sim/hii_package_list.h"

namespace sim {

class Platform;

class HiiDatabase {
 public:
  // Extra string languages added to every list registered afterwards: each
  // is a copy of the list's first string package under another language,
  // placed before or after the list's own string packages.
  struct LanguageLayout {
    std::vector<std::string> before;
    std::vector<std::string> after;
  };

  explicit HiiDatabase(Platform &platform);
  ~HiiDatabase();
  HiiDatabase(const HiiDatabase &) = delete;
  HiiDatabase &operator=(const HiiDatabase &) = delete;

  void SetLanguageLayout(LanguageLayout layout) { layout_ = std::move(layout); }

  EFI_HII_DATABASE_PROTOCOL *DatabaseProtocol() { return &database_.protocol; }
  EFI_HII_STRING_PROTOCOL *StringProtocol() { return &string_.protocol; }

  // Installs both protocols on one new handle of the platform, so that
  // LocateProtocol finds them; returns that handle.
  EFI_HANDLE Publish();

  // EFI_HII_DATABASE_PROTOCOL semantics.
  EFI_STATUS NewPackageList(const EFI_HII_PACKAGE_LIST_HEADER *list, EFI_HANDLE driver, EFI_HII_HANDLE *handle);
  EFI_STATUS RemovePackageList(EFI_HII_HANDLE handle);
  EFI_STATUS ListPackageLists(UINT8 type, const EFI_GUID *guid, UINTN *length, EFI_HII_HANDLE *handles) const;
  EFI_STATUS ExportPackageLists(EFI_HII_HANDLE handle, UINTN *size, EFI_HII_PACKAGE_LIST_HEADER *buffer) const;
  EFI_STATUS GetPackageListHandle(EFI_HII_HANDLE handle, EFI_HANDLE *driver) const;

  // EFI_HII_STRING_PROTOCOL semantics.
  EFI_STATUS NewString(EFI_HII_HANDLE handle, EFI_STRING_ID *id, const CHAR8 *language, const CHAR16 *language_name,
                       const CHAR16 *text);
  EFI_STATUS GetString(const CHAR8 *language, EFI_HII_HANDLE handle, EFI_STRING_ID id, CHAR16 *text, UINTN *size) const;
  EFI_STATUS SetString(EFI_HII_HANDLE handle, EFI_STRING_ID id, const CHAR8 *language, const CHAR16 *text);
  EFI_STATUS GetLanguages(EFI_HII_HANDLE handle, CHAR8 *languages, UINTN *size) const;

  // Read-back.
  std::vector<EFI_HII_HANDLE> Handles() const;
  bool IsHandle(EFI_HII_HANDLE handle) const { return Find(handle) != nullptr; }
  std::vector<UINT8> ReceivedBytes(EFI_HII_HANDLE handle) const;  // the list exactly as NewPackageList got it
  std::vector<UINT8> ExportedBytes(EFI_HII_HANDLE handle) const;  // the list as it is now
  std::vector<UINT8> PackageBytes(EFI_HII_HANDLE handle, UINT8 type) const;  // first package of a type
  std::optional<std::u16string> StringOf(EFI_HII_HANDLE handle, EFI_STRING_ID id, std::string_view language) const;
  std::vector<std::string> LanguagesOf(EFI_HII_HANDLE handle) const;
  EFI_HANDLE DriverHandleOf(EFI_HII_HANDLE handle) const;
  const std::string &LastRejection() const { return last_rejection_; }  // why NewPackageList refused

  // The protocol interfaces, each followed by its owner so a member called
  // through `This` finds the database.
  struct DatabaseInterface {
    EFI_HII_DATABASE_PROTOCOL protocol;
    HiiDatabase *owner;
  };
  struct StringInterface {
    EFI_HII_STRING_PROTOCOL protocol;
    HiiDatabase *owner;
  };

 private:
  struct Record {
    PackageList list;
    EFI_HANDLE driver = nullptr;
    std::vector<UINT8> received;
  };

  Record *Find(EFI_HII_HANDLE handle) const;
  void AddLayoutLanguages(PackageList &list) const;
  void AddDevicePathPackage(PackageList &list, EFI_HANDLE driver) const;
  void InstallThunks();  // hii_protocols.cpp

  Platform &platform_;
  LanguageLayout layout_;
  std::vector<std::unique_ptr<Record>> records_;
  std::string last_rejection_;
  DatabaseInterface database_{};
  StringInterface string_{};
};

// Helpers on a list's string packages.
StringPackage *FindLanguage(PackageList &list, std::string_view language);
const StringPackage *FindLanguage(const PackageList &list, std::string_view language);
std::size_t HighestStringId(const PackageList &list);

}  // namespace sim
