// SPDX-License-Identifier: BSD-2-Clause-Patent
// HII package, IFR and string-block layouts and the two HII protocols the
// driver calls (database and string). The configuration-routing, font and
// image protocols are only located and kept, so they stay opaque here.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

// Package list and packages -------------------------------------------------

struct EFI_HII_PACKAGE_LIST_HEADER {
  EFI_GUID PackageListGuid;
  UINT32 PackageLength;
};
static_assert(sizeof(EFI_HII_PACKAGE_LIST_HEADER) == 20, "package-list header");

// Bits 0..23: length including this header; bits 24..31: type.
struct EFI_HII_PACKAGE_HEADER {
  UINT32 Length : 24;
  UINT32 Type : 8;
};
static_assert(sizeof(EFI_HII_PACKAGE_HEADER) == 4, "package header");

inline constexpr UINT8 EFI_HII_PACKAGE_TYPE_ALL = 0x00;
inline constexpr UINT8 EFI_HII_PACKAGE_TYPE_GUID = 0x01;
inline constexpr UINT8 EFI_HII_PACKAGE_FORMS = 0x02;
inline constexpr UINT8 EFI_HII_PACKAGE_STRINGS = 0x04;
inline constexpr UINT8 EFI_HII_PACKAGE_FONTS = 0x05;
inline constexpr UINT8 EFI_HII_PACKAGE_IMAGES = 0x06;
inline constexpr UINT8 EFI_HII_PACKAGE_SIMPLE_FONTS = 0x07;
inline constexpr UINT8 EFI_HII_PACKAGE_DEVICE_PATH = 0x08;
inline constexpr UINT8 EFI_HII_PACKAGE_KEYBOARD_LAYOUT = 0x09;
inline constexpr UINT8 EFI_HII_PACKAGE_ANIMATIONS = 0x0A;
inline constexpr UINT8 EFI_HII_PACKAGE_END = 0xDF;

// String package ------------------------------------------------------------

struct EFI_HII_STRING_PACKAGE_HDR {
  EFI_HII_PACKAGE_HEADER Header;
  UINT32 HdrSize;
  UINT32 StringInfoOffset;
  CHAR16 LanguageWindow[16];
  EFI_STRING_ID LanguageName;
  CHAR8 Language[1];  // NUL-terminated, extends past the struct
};
static_assert(offsetof(EFI_HII_STRING_PACKAGE_HDR, HdrSize) == 4, "string package header");
static_assert(offsetof(EFI_HII_STRING_PACKAGE_HDR, StringInfoOffset) == 8, "string package header");
static_assert(offsetof(EFI_HII_STRING_PACKAGE_HDR, LanguageWindow) == 12, "string package header");
static_assert(offsetof(EFI_HII_STRING_PACKAGE_HDR, LanguageName) == 44, "string package header");
static_assert(offsetof(EFI_HII_STRING_PACKAGE_HDR, Language) == 46, "string package header");

// String information block types.
inline constexpr UINT8 EFI_HII_SIBT_END = 0x00;
inline constexpr UINT8 EFI_HII_SIBT_STRING_SCSU = 0x10;
inline constexpr UINT8 EFI_HII_SIBT_STRING_SCSU_FONT = 0x11;
inline constexpr UINT8 EFI_HII_SIBT_STRINGS_SCSU = 0x12;
inline constexpr UINT8 EFI_HII_SIBT_STRINGS_SCSU_FONT = 0x13;
inline constexpr UINT8 EFI_HII_SIBT_STRING_UCS2 = 0x14;
inline constexpr UINT8 EFI_HII_SIBT_STRING_UCS2_FONT = 0x15;
inline constexpr UINT8 EFI_HII_SIBT_STRINGS_UCS2 = 0x16;
inline constexpr UINT8 EFI_HII_SIBT_STRINGS_UCS2_FONT = 0x17;
inline constexpr UINT8 EFI_HII_SIBT_DUPLICATE = 0x20;
inline constexpr UINT8 EFI_HII_SIBT_SKIP2 = 0x21;
inline constexpr UINT8 EFI_HII_SIBT_SKIP1 = 0x22;
inline constexpr UINT8 EFI_HII_SIBT_EXT1 = 0x30;
inline constexpr UINT8 EFI_HII_SIBT_EXT2 = 0x31;
inline constexpr UINT8 EFI_HII_SIBT_EXT4 = 0x32;
inline constexpr UINT8 EFI_HII_SIBT_FONT = 0x40;

// IFR -----------------------------------------------------------------------

// Byte 0: opcode; byte 1: bits 0..6 length (header included), bit 7 scope.
struct EFI_IFR_OP_HEADER {
  UINT8 OpCode;
  UINT8 Length : 7;
  UINT8 Scope : 1;
};
static_assert(sizeof(EFI_IFR_OP_HEADER) == 2, "IFR op header");

inline constexpr UINT8 EFI_IFR_FORM_OP = 0x01;
inline constexpr UINT8 EFI_IFR_SUBTITLE_OP = 0x02;
inline constexpr UINT8 EFI_IFR_TEXT_OP = 0x03;
inline constexpr UINT8 EFI_IFR_SUPPRESS_IF_OP = 0x0A;
inline constexpr UINT8 EFI_IFR_FORM_SET_OP = 0x0E;
inline constexpr UINT8 EFI_IFR_GRAY_OUT_IF_OP = 0x19;
inline constexpr UINT8 EFI_IFR_END_OP = 0x29;
inline constexpr UINT8 EFI_IFR_EQUAL_OP = 0x2F;
inline constexpr UINT8 EFI_IFR_TRUE_OP = 0x46;
inline constexpr UINT8 EFI_IFR_FALSE_OP = 0x47;
inline constexpr UINT8 EFI_IFR_UINT8_OP = 0x42;
inline constexpr UINT8 EFI_IFR_UINT16_OP = 0x43;
inline constexpr UINT8 EFI_IFR_UINT32_OP = 0x44;
inline constexpr UINT8 EFI_IFR_UINT64_OP = 0x45;
inline constexpr UINT8 EFI_IFR_NOT_EQUAL_OP = 0x30;
inline constexpr UINT8 EFI_IFR_NOT_OP = 0x17;
inline constexpr UINT8 EFI_IFR_DEFAULTSTORE_OP = 0x5C;

inline constexpr UINT8 EFI_IFR_FLAG_SCOPE = 0x80;

inline constexpr UINT16 EFI_HII_DEFAULT_CLASS_STANDARD = 0x0000;
inline constexpr UINT16 EFI_HII_DEFAULT_CLASS_MANUFACTURING = 0x0001;

// Protocols -----------------------------------------------------------------

struct EFI_FONT_INFO;
struct EFI_HII_CONFIG_ROUTING_PROTOCOL;
struct EFI_HII_FONT_PROTOCOL;
struct EFI_HII_IMAGE_PROTOCOL;
struct EFI_HII_KEYBOARD_LAYOUT;

using EFI_HII_DATABASE_NOTIFY_TYPE = UINTN;

struct EFI_HII_DATABASE_PROTOCOL {
  EFI_STATUS(EFIAPI *NewPackageList)(const EFI_HII_DATABASE_PROTOCOL *This,
                                     const EFI_HII_PACKAGE_LIST_HEADER *PackageList, EFI_HANDLE DriverHandle,
                                     EFI_HII_HANDLE *Handle);
  EFI_STATUS(EFIAPI *RemovePackageList)(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle);
  EFI_STATUS(EFIAPI *UpdatePackageList)(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle,
                                        const EFI_HII_PACKAGE_LIST_HEADER *PackageList);
  EFI_STATUS(EFIAPI *ListPackageLists)(const EFI_HII_DATABASE_PROTOCOL *This, UINT8 PackageType,
                                       const EFI_GUID *PackageGuid, UINTN *HandleBufferLength, EFI_HII_HANDLE *Handle);
  EFI_STATUS(EFIAPI *ExportPackageLists)(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE Handle,
                                         UINTN *BufferSize, EFI_HII_PACKAGE_LIST_HEADER *Buffer);
  EFI_STATUS(EFIAPI *RegisterPackageNotify)(const EFI_HII_DATABASE_PROTOCOL *This, UINT8 PackageType,
                                            const EFI_GUID *PackageGuid, void *PackageNotifyFn,
                                            EFI_HII_DATABASE_NOTIFY_TYPE NotifyType, EFI_HANDLE *NotifyHandle);
  EFI_STATUS(EFIAPI *UnregisterPackageNotify)(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HANDLE NotificationHandle);
  EFI_STATUS(EFIAPI *FindKeyboardLayouts)(const EFI_HII_DATABASE_PROTOCOL *This, UINT16 *KeyGuidBufferLength,
                                          EFI_GUID *KeyGuidBuffer);
  EFI_STATUS(EFIAPI *GetKeyboardLayout)(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_GUID *KeyGuid,
                                        UINT16 *KeyboardLayoutLength, EFI_HII_KEYBOARD_LAYOUT *KeyboardLayout);
  EFI_STATUS(EFIAPI *SetKeyboardLayout)(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_GUID *KeyGuid);
  EFI_STATUS(EFIAPI *GetPackageListHandle)(const EFI_HII_DATABASE_PROTOCOL *This, EFI_HII_HANDLE PackageListHandle,
                                           EFI_HANDLE *DriverHandle);
};
static_assert(offsetof(EFI_HII_DATABASE_PROTOCOL, ExportPackageLists) == 32, "HII database layout");
static_assert(sizeof(EFI_HII_DATABASE_PROTOCOL) == 88, "HII database layout");

struct EFI_HII_STRING_PROTOCOL {
  EFI_STATUS(EFIAPI *NewString)(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList,
                                EFI_STRING_ID *StringId, const CHAR8 *Language, const CHAR16 *LanguageName,
                                const CHAR16 *String, const EFI_FONT_INFO *StringFontInfo);
  EFI_STATUS(EFIAPI *GetString)(const EFI_HII_STRING_PROTOCOL *This, const CHAR8 *Language, EFI_HII_HANDLE PackageList,
                                EFI_STRING_ID StringId, CHAR16 *String, UINTN *StringSize,
                                EFI_FONT_INFO **StringFontInfo);
  EFI_STATUS(EFIAPI *SetString)(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, EFI_STRING_ID StringId,
                                const CHAR8 *Language, const CHAR16 *String, const EFI_FONT_INFO *StringFontInfo);
  EFI_STATUS(EFIAPI *GetLanguages)(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, CHAR8 *Languages,
                                   UINTN *LanguagesSize);
  EFI_STATUS(EFIAPI *GetSecondaryLanguages)(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList,
                                            const CHAR8 *PrimaryLanguage, CHAR8 *SecondaryLanguages,
                                            UINTN *SecondaryLanguagesSize);
};
static_assert(offsetof(EFI_HII_STRING_PROTOCOL, SetString) == 16, "HII string layout");
static_assert(offsetof(EFI_HII_STRING_PROTOCOL, GetLanguages) == 24, "HII string layout");
static_assert(sizeof(EFI_HII_STRING_PROTOCOL) == 40, "HII string layout");
