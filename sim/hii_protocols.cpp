// SPDX-License-Identifier: BSD-2-Clause-Patent
// The EFIAPI members of the simulated HII database and string protocols:
// each call is traced in the current platform's call log, may be failed by
// its fault plan (scribbling over outputs when asked), and otherwise goes
// to the database's own semantics.
#include <cstdio>
#include <cstring>

#include "sim/hii_database.h"
#include "sim/traced_service.h"
#include "sim/ucs2.h"

namespace sim {

namespace {

constexpr UINTN kScribbledSize = 0xDEAD;
constexpr EFI_STRING_ID kScribbledId = 0xBEEF;

std::string Hex(const void *pointer) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINTN>(pointer)));
  return text;
}

std::string Text8(const CHAR8 *text) { return text == nullptr ? "NULL" : text; }

std::string Text16(const CHAR16 *text) { return text == nullptr ? "NULL" : "\"" + Utf8FromUcs2(text) + "\""; }

std::string Size(const UINTN *size) { return size == nullptr ? "NULL" : std::to_string(*size); }

HiiDatabase *Owner(const EFI_HII_DATABASE_PROTOCOL *This) {
  return This == nullptr ? nullptr : reinterpret_cast<const HiiDatabase::DatabaseInterface *>(This)->owner;
}

HiiDatabase *Owner(const EFI_HII_STRING_PROTOCOL *This) {
  return This == nullptr ? nullptr : reinterpret_cast<const HiiDatabase::StringInterface *>(This)->owner;
}

// Garbage for a caller-supplied buffer of `size` bytes: no terminator
// anywhere, so a caller that trusts a failed call's output is caught.
void ScribbleBuffer(void *buffer, const UINTN *size) {
  if (buffer != nullptr && size != nullptr) {
    std::memset(buffer, 0x5A, *size);
  }
}

void ScribbleSize(UINTN *size) {
  if (size != nullptr) {
    *size = kScribbledSize;
  }
}

// Runs `body` on the database behind `This` as a traced service; a call
// without an interface pointer is an invalid parameter.
template <typename Interface, typename Body, typename Scribbler>
EFI_STATUS Traced(const char *service, std::string detail, const Interface *This, Body body, Scribbler scribble) {
  return TracedService(
      service, std::move(detail),
      [&] {
        HiiDatabase *database = Owner(This);
        return database != nullptr ? body(*database) : EFI_INVALID_PARAMETER;
      },
      scribble);
}

// Named apart so the database's own members do not hide them.
namespace thunk {

// Database members ------------------------------------------------------------------

EFI_STATUS EFIAPI NewPackageList(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_HII_PACKAGE_LIST_HEADER *PackageList,
                                 EFI_HANDLE DriverHandle, EFI_HII_HANDLE *Handle) {
  std::string detail = "list=" + Hex(PackageList) + " driver=" + Hex(DriverHandle);
  if (PackageList != nullptr) {
    UINT32 length = 0;
    std::memcpy(&length, reinterpret_cast<const UINT8 *>(PackageList) + 16, sizeof length);
    detail += " length=" + std::to_string(length);
  }
  return Traced(
      "HII.NewPackageList", detail, This,
      [&](HiiDatabase &db) { return db.NewPackageList(PackageList, DriverHandle, Handle); },
      [&] {
        if (Handle != nullptr) {
          *Handle = reinterpret_cast<EFI_HII_HANDLE>(kScribble);
        }
      });
}

EFI_STATUS EFIAPI RemovePackageList(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle) {
  return Traced(
      "HII.RemovePackageList", "handle=" + Hex(Handle), This,
      [&](HiiDatabase &db) { return db.RemovePackageList(Handle); }, NoOutputs);
}

EFI_STATUS EFIAPI UpdatePackageList(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle,
                                    const EFI_HII_PACKAGE_LIST_HEADER *) {
  return Traced(
      "HII.UpdatePackageList", "handle=" + Hex(Handle), This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI ListPackageLists(const EFI_HII_DATABASE_PROTOCOL *This, UINT8 PackageType,
                                   const EFI_GUID *PackageGuid, UINTN *HandleBufferLength, EFI_HII_HANDLE *Handle) {
  return Traced(
      "HII.ListPackageLists", "type=" + std::to_string(PackageType) + " size=" + Size(HandleBufferLength), This,
      [&](HiiDatabase &db) { return db.ListPackageLists(PackageType, PackageGuid, HandleBufferLength, Handle); },
      [&] {
        ScribbleBuffer(Handle, HandleBufferLength);
        ScribbleSize(HandleBufferLength);
      });
}

EFI_STATUS EFIAPI ExportPackageLists(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle, UINTN *BufferSize,
                                     EFI_HII_PACKAGE_LIST_HEADER *Buffer) {
  return Traced(
      "HII.ExportPackageLists", "handle=" + Hex(Handle) + " size=" + Size(BufferSize), This,
      [&](HiiDatabase &db) { return db.ExportPackageLists(Handle, BufferSize, Buffer); },
      [&] {
        ScribbleBuffer(Buffer, BufferSize);
        ScribbleSize(BufferSize);
      });
}

EFI_STATUS EFIAPI RegisterPackageNotify(const EFI_HII_DATABASE_PROTOCOL *This, UINT8, const EFI_GUID *, void *,
                                        EFI_HII_DATABASE_NOTIFY_TYPE, EFI_HANDLE *) {
  return Traced(
      "HII.RegisterPackageNotify", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI UnregisterPackageNotify(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HANDLE) {
  return Traced(
      "HII.UnregisterPackageNotify", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI FindKeyboardLayouts(const EFI_HII_DATABASE_PROTOCOL *This, UINT16 *, EFI_GUID *) {
  return Traced(
      "HII.FindKeyboardLayouts", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI GetKeyboardLayout(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_GUID *, UINT16 *,
                                    EFI_HII_KEYBOARD_LAYOUT *) {
  return Traced(
      "HII.GetKeyboardLayout", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI SetKeyboardLayout(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_GUID *) {
  return Traced(
      "HII.SetKeyboardLayout", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

EFI_STATUS EFIAPI GetPackageListHandle(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE PackageListHandle,
                                       EFI_HANDLE *DriverHandle) {
  return Traced(
      "HII.GetPackageListHandle", "handle=" + Hex(PackageListHandle), This,
      [&](HiiDatabase &db) { return db.GetPackageListHandle(PackageListHandle, DriverHandle); },
      [&] {
        if (DriverHandle != nullptr) {
          *DriverHandle = reinterpret_cast<EFI_HANDLE>(kScribble);
        }
      });
}

// String members --------------------------------------------------------------------

EFI_STATUS EFIAPI NewString(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, EFI_STRING_ID *StringId,
                            const CHAR8 *Language, const CHAR16 *LanguageName, const CHAR16 *String,
                            const EFI_FONT_INFO *) {
  return Traced(
      "HII.NewString", "handle=" + Hex(PackageList) + " lang=" + Text8(Language) + " text=" + Text16(String), This,
      [&](HiiDatabase &db) { return db.NewString(PackageList, StringId, Language, LanguageName, String); },
      [&] {
        if (StringId != nullptr) {
          *StringId = kScribbledId;
        }
      });
}

EFI_STATUS EFIAPI GetString(const EFI_HII_STRING_PROTOCOL *This, const CHAR8 *Language, EFI_HII_HANDLE PackageList,
                            EFI_STRING_ID StringId, CHAR16 *String, UINTN *StringSize, EFI_FONT_INFO **StringFontInfo) {
  if (StringFontInfo != nullptr) {
    *StringFontInfo = nullptr;  // strings here carry no font information
  }
  return Traced(
      "HII.GetString",
      "handle=" + Hex(PackageList) + " id=" + std::to_string(StringId) + " lang=" + Text8(Language) +
          " size=" + Size(StringSize),
      This, [&](HiiDatabase &db) { return db.GetString(Language, PackageList, StringId, String, StringSize); },
      [&] {
        ScribbleBuffer(String, StringSize);
        ScribbleSize(StringSize);
      });
}

EFI_STATUS EFIAPI SetString(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, EFI_STRING_ID StringId,
                            const CHAR8 *Language, const CHAR16 *String, const EFI_FONT_INFO *) {
  return Traced(
      "HII.SetString",
      "handle=" + Hex(PackageList) + " id=" + std::to_string(StringId) + " lang=" + Text8(Language) +
          " text=" + Text16(String),
      This, [&](HiiDatabase &db) { return db.SetString(PackageList, StringId, Language, String); }, NoOutputs);
}

EFI_STATUS EFIAPI GetLanguages(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, CHAR8 *Languages,
                               UINTN *LanguagesSize) {
  return Traced(
      "HII.GetLanguages", "handle=" + Hex(PackageList) + " size=" + Size(LanguagesSize), This,
      [&](HiiDatabase &db) { return db.GetLanguages(PackageList, Languages, LanguagesSize); },
      [&] {
        ScribbleBuffer(Languages, LanguagesSize);
        ScribbleSize(LanguagesSize);
      });
}

EFI_STATUS EFIAPI GetSecondaryLanguages(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE, const CHAR8 *, CHAR8 *,
                                        UINTN *) {
  return Traced(
      "HII.GetSecondaryLanguages", {}, This, [](HiiDatabase &) { return EFI_UNSUPPORTED; }, NoOutputs);
}

}  // namespace thunk
}  // namespace

void HiiDatabase::InstallThunks() {
  EFI_HII_DATABASE_PROTOCOL &database = database_.protocol;
  database.NewPackageList = thunk::NewPackageList;
  database.RemovePackageList = thunk::RemovePackageList;
  database.UpdatePackageList = thunk::UpdatePackageList;
  database.ListPackageLists = thunk::ListPackageLists;
  database.ExportPackageLists = thunk::ExportPackageLists;
  database.RegisterPackageNotify = thunk::RegisterPackageNotify;
  database.UnregisterPackageNotify = thunk::UnregisterPackageNotify;
  database.FindKeyboardLayouts = thunk::FindKeyboardLayouts;
  database.GetKeyboardLayout = thunk::GetKeyboardLayout;
  database.SetKeyboardLayout = thunk::SetKeyboardLayout;
  database.GetPackageListHandle = thunk::GetPackageListHandle;

  EFI_HII_STRING_PROTOCOL &strings = string_.protocol;
  strings.NewString = thunk::NewString;
  strings.GetString = thunk::GetString;
  strings.SetString = thunk::SetString;
  strings.GetLanguages = thunk::GetLanguages;
  strings.GetSecondaryLanguages = thunk::GetSecondaryLanguages;
}

}  // namespace sim
