// SPDX-License-Identifier: BSD-2-Clause-Patent
// EFI_RUNTIME_SERVICES, every member in table order, with the variable
// attributes and reset types the boot application uses. The driver needs
// none of this, so it lives beside the emulator-run programs.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

struct EFI_TIME_CAPABILITIES;
struct EFI_MEMORY_DESCRIPTOR;
struct EFI_CAPSULE_HEADER;

// NOLINTNEXTLINE(readability-identifier-naming): UEFI's enumerators
enum EFI_RESET_TYPE : UINT32 { EfiResetCold, EfiResetWarm, EfiResetShutdown, EfiResetPlatformSpecific };

inline constexpr UINT32 EFI_VARIABLE_NON_VOLATILE = 0x1;
inline constexpr UINT32 EFI_VARIABLE_BOOTSERVICE_ACCESS = 0x2;
inline constexpr UINT32 EFI_VARIABLE_RUNTIME_ACCESS = 0x4;

// Vendor GUID of the boot manager's variables (Driver####, DriverOrder).
inline constexpr EFI_GUID EFI_GLOBAL_VARIABLE = {
    0x8BE4DF61, 0x93CA, 0x11D2, {0xAA, 0x0D, 0x00, 0xE0, 0x98, 0x03, 0x2B, 0x8C}};

struct EFI_RUNTIME_SERVICES {
  EFI_TABLE_HEADER Hdr;

  // Time
  EFI_STATUS(EFIAPI *GetTime)(EFI_TIME *Time, EFI_TIME_CAPABILITIES *Capabilities);
  EFI_STATUS(EFIAPI *SetTime)(EFI_TIME *Time);
  EFI_STATUS(EFIAPI *GetWakeupTime)(BOOLEAN *Enabled, BOOLEAN *Pending, EFI_TIME *Time);
  EFI_STATUS(EFIAPI *SetWakeupTime)(BOOLEAN Enable, EFI_TIME *Time);

  // Virtual memory
  EFI_STATUS(EFIAPI *SetVirtualAddressMap)(UINTN MemoryMapSize, UINTN DescriptorSize, UINT32 DescriptorVersion,
                                           EFI_MEMORY_DESCRIPTOR *VirtualMap);
  EFI_STATUS(EFIAPI *ConvertPointer)(UINTN DebugDisposition, void **Address);

  // Variables
  EFI_STATUS(EFIAPI *GetVariable)(const CHAR16 *VariableName, const EFI_GUID *VendorGuid, UINT32 *Attributes,
                                  UINTN *DataSize, void *Data);
  EFI_STATUS(EFIAPI *GetNextVariableName)(UINTN *VariableNameSize, CHAR16 *VariableName, EFI_GUID *VendorGuid);
  EFI_STATUS(EFIAPI *SetVariable)(const CHAR16 *VariableName, const EFI_GUID *VendorGuid, UINT32 Attributes,
                                  UINTN DataSize, const void *Data);

  // Miscellaneous
  EFI_STATUS(EFIAPI *GetNextHighMonotonicCount)(UINT32 *HighCount);
  void(EFIAPI *ResetSystem)(EFI_RESET_TYPE ResetType, EFI_STATUS ResetStatus, UINTN DataSize, void *ResetData);

  // Capsules and variable information
  EFI_STATUS(EFIAPI *UpdateCapsule)(EFI_CAPSULE_HEADER **CapsuleHeaderArray, UINTN CapsuleCount,
                                    EFI_PHYSICAL_ADDRESS ScatterGatherList);
  EFI_STATUS(EFIAPI *QueryCapsuleCapabilities)(EFI_CAPSULE_HEADER **CapsuleHeaderArray, UINTN CapsuleCount,
                                               UINT64 *MaximumCapsuleSize, EFI_RESET_TYPE *ResetType);
  EFI_STATUS(EFIAPI *QueryVariableInfo)(UINT32 Attributes, UINT64 *MaximumVariableStorageSize,
                                        UINT64 *RemainingVariableStorageSize, UINT64 *MaximumVariableSize);
};

static_assert(offsetof(EFI_RUNTIME_SERVICES, GetVariable) == 72, "EFI_RUNTIME_SERVICES layout");
static_assert(offsetof(EFI_RUNTIME_SERVICES, SetVariable) == 88, "EFI_RUNTIME_SERVICES layout");
static_assert(offsetof(EFI_RUNTIME_SERVICES, ResetSystem) == 104, "EFI_RUNTIME_SERVICES layout");
static_assert(sizeof(EFI_RUNTIME_SERVICES) == 136, "EFI_RUNTIME_SERVICES size");
