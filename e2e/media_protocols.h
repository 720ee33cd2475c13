// SPDX-License-Identifier: BSD-2-Clause-Patent
// The loaded-image, simple-file-system and file protocols, and the media
// file-path node: what the boot application needs to read its mode file and
// to name a file on its own disk in a load option. Member order and offsets
// as UEFI defines them; the driver uses none of it.
#pragma once

#include "platform/boot_services.h"
#include "platform/device_path.h"

inline constexpr EFI_GUID EFI_SIMPLE_FILE_SYSTEM_PROTOCOL_GUID = {
    0x964E5B22, 0x6459, 0x11D2, {0x8E, 0x39, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x3B}};

// A file-path node: the header, then the path as NUL-terminated UCS-2.
inline constexpr UINT8 MEDIA_DEVICE_PATH = 0x04;
inline constexpr UINT8 MEDIA_FILEPATH_DP = 0x04;

struct EFI_LOADED_IMAGE_PROTOCOL {
  UINT32 Revision;
  EFI_HANDLE ParentHandle;
  EFI_SYSTEM_TABLE *SystemTable;
  EFI_HANDLE DeviceHandle;
  EFI_DEVICE_PATH_PROTOCOL *FilePath;
  void *Reserved;
  UINT32 LoadOptionsSize;
  void *LoadOptions;
  void *ImageBase;
  UINT64 ImageSize;
  EFI_MEMORY_TYPE ImageCodeType;
  EFI_MEMORY_TYPE ImageDataType;
  EFI_STATUS(EFIAPI *Unload)(EFI_HANDLE ImageHandle);
};
static_assert(offsetof(EFI_LOADED_IMAGE_PROTOCOL, DeviceHandle) == 24, "loaded image layout");
static_assert(offsetof(EFI_LOADED_IMAGE_PROTOCOL, LoadOptionsSize) == 48, "loaded image layout");
static_assert(sizeof(EFI_LOADED_IMAGE_PROTOCOL) == 96, "loaded image size");

inline constexpr UINT64 EFI_FILE_MODE_READ = 0x1;

// The revision-1 members; later revisions append more.
struct EFI_FILE_PROTOCOL {
  UINT64 Revision;
  EFI_STATUS(EFIAPI *Open)(EFI_FILE_PROTOCOL *This, EFI_FILE_PROTOCOL **NewHandle, const CHAR16 *FileName,
                           UINT64 OpenMode, UINT64 Attributes);
  EFI_STATUS(EFIAPI *Close)(EFI_FILE_PROTOCOL *This);
  EFI_STATUS(EFIAPI *Delete)(EFI_FILE_PROTOCOL *This);
  EFI_STATUS(EFIAPI *Read)(EFI_FILE_PROTOCOL *This, UINTN *BufferSize, void *Buffer);
  EFI_STATUS(EFIAPI *Write)(EFI_FILE_PROTOCOL *This, UINTN *BufferSize, const void *Buffer);
  EFI_STATUS(EFIAPI *GetPosition)(EFI_FILE_PROTOCOL *This, UINT64 *Position);
  EFI_STATUS(EFIAPI *SetPosition)(EFI_FILE_PROTOCOL *This, UINT64 Position);
  EFI_STATUS(EFIAPI *GetInfo)(EFI_FILE_PROTOCOL *This, const EFI_GUID *InformationType, UINTN *BufferSize,
                              void *Buffer);
  EFI_STATUS(EFIAPI *SetInfo)(EFI_FILE_PROTOCOL *This, const EFI_GUID *InformationType, UINTN BufferSize,
                              const void *Buffer);
  EFI_STATUS(EFIAPI *Flush)(EFI_FILE_PROTOCOL *This);
};
static_assert(offsetof(EFI_FILE_PROTOCOL, Read) == 32, "file protocol layout");
static_assert(offsetof(EFI_FILE_PROTOCOL, Flush) == 80, "file protocol layout");

struct EFI_SIMPLE_FILE_SYSTEM_PROTOCOL {
  UINT64 Revision;
  EFI_STATUS(EFIAPI *OpenVolume)(EFI_SIMPLE_FILE_SYSTEM_PROTOCOL *This, EFI_FILE_PROTOCOL **Root);
};
static_assert(sizeof(EFI_SIMPLE_FILE_SYSTEM_PROTOCOL) == 16, "simple file system layout");
