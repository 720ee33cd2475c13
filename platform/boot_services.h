// SPDX-License-Identifier: BSD-2-Clause-Patent
// EFI_SYSTEM_TABLE and EFI_BOOT_SERVICES, every member in table order.
// Offsets are asserted for the 64-bit targets so a wrong layout fails the
// build instead of the boot.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

struct EFI_DEVICE_PATH_PROTOCOL;
struct EFI_SIMPLE_TEXT_INPUT_PROTOCOL;
struct EFI_SIMPLE_TEXT_OUTPUT_PROTOCOL;
struct EFI_RUNTIME_SERVICES;
struct EFI_CONFIGURATION_TABLE;
struct EFI_MEMORY_DESCRIPTOR;
struct EFI_OPEN_PROTOCOL_INFORMATION_ENTRY;

// UEFI's enumerations keep UEFI's CamelCase enumerators.
// NOLINTBEGIN(readability-identifier-naming)
enum EFI_ALLOCATE_TYPE : UINT32 { AllocateAnyPages, AllocateMaxAddress, AllocateAddress, MaxAllocateType };

enum EFI_MEMORY_TYPE : UINT32 {
  EfiReservedMemoryType,
  EfiLoaderCode,
  EfiLoaderData,
  EfiBootServicesCode,
  EfiBootServicesData,
  EfiRuntimeServicesCode,
  EfiRuntimeServicesData,
  EfiConventionalMemory,
  EfiUnusableMemory,
  EfiACPIReclaimMemory,
  EfiACPIMemoryNVS,
  EfiMemoryMappedIO,
  EfiMemoryMappedIOPortSpace,
  EfiPalCode,
  EfiPersistentMemory,
  EfiMaxMemoryType
};

enum EFI_TIMER_DELAY : UINT32 { TimerCancel, TimerPeriodic, TimerRelative };

enum EFI_INTERFACE_TYPE : UINT32 { EFI_NATIVE_INTERFACE };

enum EFI_LOCATE_SEARCH_TYPE : UINT32 { AllHandles, ByRegisterNotify, ByProtocol };
// NOLINTEND(readability-identifier-naming)

using EFI_EVENT_NOTIFY = void(EFIAPI *)(EFI_EVENT Event, void *Context);

struct EFI_BOOT_SERVICES {
  EFI_TABLE_HEADER Hdr;

  // Task priority
  EFI_TPL(EFIAPI *RaiseTPL)(EFI_TPL NewTpl);
  void(EFIAPI *RestoreTPL)(EFI_TPL OldTpl);

  // Memory
  EFI_STATUS(EFIAPI *AllocatePages)(EFI_ALLOCATE_TYPE Type, EFI_MEMORY_TYPE MemoryType, UINTN Pages,
                                    EFI_PHYSICAL_ADDRESS *Memory);
  EFI_STATUS(EFIAPI *FreePages)(EFI_PHYSICAL_ADDRESS Memory, UINTN Pages);
  EFI_STATUS(EFIAPI *GetMemoryMap)(UINTN *MemoryMapSize, EFI_MEMORY_DESCRIPTOR *MemoryMap, UINTN *MapKey,
                                   UINTN *DescriptorSize, UINT32 *DescriptorVersion);
  EFI_STATUS(EFIAPI *AllocatePool)(EFI_MEMORY_TYPE PoolType, UINTN Size, void **Buffer);
  EFI_STATUS(EFIAPI *FreePool)(void *Buffer);

  // Events and timers
  EFI_STATUS(EFIAPI *CreateEvent)(UINT32 Type, EFI_TPL NotifyTpl, EFI_EVENT_NOTIFY NotifyFunction, void *NotifyContext,
                                  EFI_EVENT *Event);
  EFI_STATUS(EFIAPI *SetTimer)(EFI_EVENT Event, EFI_TIMER_DELAY Type, UINT64 TriggerTime);
  EFI_STATUS(EFIAPI *WaitForEvent)(UINTN NumberOfEvents, EFI_EVENT *Event, UINTN *Index);
  EFI_STATUS(EFIAPI *SignalEvent)(EFI_EVENT Event);
  EFI_STATUS(EFIAPI *CloseEvent)(EFI_EVENT Event);
  EFI_STATUS(EFIAPI *CheckEvent)(EFI_EVENT Event);

  // Protocol handlers
  EFI_STATUS(EFIAPI *InstallProtocolInterface)(EFI_HANDLE *Handle, const EFI_GUID *Protocol,
                                               EFI_INTERFACE_TYPE InterfaceType, void *Interface);
  EFI_STATUS(EFIAPI *ReinstallProtocolInterface)(EFI_HANDLE Handle, const EFI_GUID *Protocol, void *OldInterface,
                                                 void *NewInterface);
  EFI_STATUS(EFIAPI *UninstallProtocolInterface)(EFI_HANDLE Handle, const EFI_GUID *Protocol, void *Interface);
  EFI_STATUS(EFIAPI *HandleProtocol)(EFI_HANDLE Handle, const EFI_GUID *Protocol, void **Interface);
  void *Reserved;
  EFI_STATUS(EFIAPI *RegisterProtocolNotify)(const EFI_GUID *Protocol, EFI_EVENT Event, void **Registration);
  EFI_STATUS(EFIAPI *LocateHandle)(EFI_LOCATE_SEARCH_TYPE SearchType, const EFI_GUID *Protocol, void *SearchKey,
                                   UINTN *BufferSize, EFI_HANDLE *Buffer);
  EFI_STATUS(EFIAPI *LocateDevicePath)(const EFI_GUID *Protocol, EFI_DEVICE_PATH_PROTOCOL **DevicePath,
                                       EFI_HANDLE *Device);
  EFI_STATUS(EFIAPI *InstallConfigurationTable)(const EFI_GUID *Guid, void *Table);

  // Image services
  EFI_STATUS(EFIAPI *LoadImage)(BOOLEAN BootPolicy, EFI_HANDLE ParentImageHandle, EFI_DEVICE_PATH_PROTOCOL *DevicePath,
                                void *SourceBuffer, UINTN SourceSize, EFI_HANDLE *ImageHandle);
  EFI_STATUS(EFIAPI *StartImage)(EFI_HANDLE ImageHandle, UINTN *ExitDataSize, CHAR16 **ExitData);
  EFI_STATUS(EFIAPI *Exit)(EFI_HANDLE ImageHandle, EFI_STATUS ExitStatus, UINTN ExitDataSize, CHAR16 *ExitData);
  EFI_STATUS(EFIAPI *UnloadImage)(EFI_HANDLE ImageHandle);
  EFI_STATUS(EFIAPI *ExitBootServices)(EFI_HANDLE ImageHandle, UINTN MapKey);

  // Miscellaneous
  EFI_STATUS(EFIAPI *GetNextMonotonicCount)(UINT64 *Count);
  EFI_STATUS(EFIAPI *Stall)(UINTN Microseconds);
  EFI_STATUS(EFIAPI *SetWatchdogTimer)(UINTN Timeout, UINT64 WatchdogCode, UINTN DataSize, CHAR16 *WatchdogData);

  // Driver support
  EFI_STATUS(EFIAPI *ConnectController)(EFI_HANDLE ControllerHandle, EFI_HANDLE *DriverImageHandle,
                                        EFI_DEVICE_PATH_PROTOCOL *RemainingDevicePath, BOOLEAN Recursive);
  EFI_STATUS(EFIAPI *DisconnectController)(EFI_HANDLE ControllerHandle, EFI_HANDLE DriverImageHandle,
                                           EFI_HANDLE ChildHandle);

  // Open and close protocol
  EFI_STATUS(EFIAPI *OpenProtocol)(EFI_HANDLE Handle, const EFI_GUID *Protocol, void **Interface,
                                   EFI_HANDLE AgentHandle, EFI_HANDLE ControllerHandle, UINT32 Attributes);
  EFI_STATUS(EFIAPI *CloseProtocol)(EFI_HANDLE Handle, const EFI_GUID *Protocol, EFI_HANDLE AgentHandle,
                                    EFI_HANDLE ControllerHandle);
  EFI_STATUS(EFIAPI *OpenProtocolInformation)(EFI_HANDLE Handle, const EFI_GUID *Protocol,
                                              EFI_OPEN_PROTOCOL_INFORMATION_ENTRY **EntryBuffer, UINTN *EntryCount);

  // Library services
  EFI_STATUS(EFIAPI *ProtocolsPerHandle)(EFI_HANDLE Handle, EFI_GUID ***ProtocolBuffer, UINTN *ProtocolBufferCount);
  EFI_STATUS(EFIAPI *LocateHandleBuffer)(EFI_LOCATE_SEARCH_TYPE SearchType, const EFI_GUID *Protocol, void *SearchKey,
                                         UINTN *NoHandles, EFI_HANDLE **Buffer);
  EFI_STATUS(EFIAPI *LocateProtocol)(const EFI_GUID *Protocol, void *Registration, void **Interface);
  EFI_STATUS(EFIAPI *InstallMultipleProtocolInterfaces)(EFI_HANDLE *Handle, ...);
  EFI_STATUS(EFIAPI *UninstallMultipleProtocolInterfaces)(EFI_HANDLE Handle, ...);

  // 32-bit CRC
  EFI_STATUS(EFIAPI *CalculateCrc32)(const void *Data, UINTN DataSize, UINT32 *Crc32);

  // Memory utilities
  void(EFIAPI *CopyMem)(void *Destination, const void *Source, UINTN Length);
  void(EFIAPI *SetMem)(void *Buffer, UINTN Size, UINT8 Value);
  EFI_STATUS(EFIAPI *CreateEventEx)(UINT32 Type, EFI_TPL NotifyTpl, EFI_EVENT_NOTIFY NotifyFunction,
                                    const void *NotifyContext, const EFI_GUID *EventGroup, EFI_EVENT *Event);
};

static_assert(offsetof(EFI_BOOT_SERVICES, RaiseTPL) == 24, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, AllocatePool) == 64, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, FreePool) == 72, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, InstallProtocolInterface) == 128, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, HandleProtocol) == 152, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, LoadImage) == 200, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, OpenProtocol) == 280, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, LocateHandleBuffer) == 312, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, LocateProtocol) == 320, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, InstallMultipleProtocolInterfaces) == 328, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, UninstallMultipleProtocolInterfaces) == 336, "EFI_BOOT_SERVICES layout");
static_assert(offsetof(EFI_BOOT_SERVICES, CreateEventEx) == 368, "EFI_BOOT_SERVICES layout");
static_assert(sizeof(EFI_BOOT_SERVICES) == 376, "EFI_BOOT_SERVICES size");

inline constexpr UINT64 EFI_BOOT_SERVICES_SIGNATURE = 0x56524553544f4f42ULL;  // "BOOTSERV"
inline constexpr UINT64 EFI_SYSTEM_TABLE_SIGNATURE = 0x5453595320494249ULL;   // "IBI SYST"

struct EFI_SYSTEM_TABLE {
  EFI_TABLE_HEADER Hdr;
  CHAR16 *FirmwareVendor;
  UINT32 FirmwareRevision;
  EFI_HANDLE ConsoleInHandle;
  EFI_SIMPLE_TEXT_INPUT_PROTOCOL *ConIn;
  EFI_HANDLE ConsoleOutHandle;
  EFI_SIMPLE_TEXT_OUTPUT_PROTOCOL *ConOut;
  EFI_HANDLE StandardErrorHandle;
  EFI_SIMPLE_TEXT_OUTPUT_PROTOCOL *StdErr;
  EFI_RUNTIME_SERVICES *RuntimeServices;
  EFI_BOOT_SERVICES *BootServices;
  UINTN NumberOfTableEntries;
  EFI_CONFIGURATION_TABLE *ConfigurationTable;
};

static_assert(offsetof(EFI_SYSTEM_TABLE, ConOut) == 64, "EFI_SYSTEM_TABLE layout");
static_assert(offsetof(EFI_SYSTEM_TABLE, BootServices) == 96, "EFI_SYSTEM_TABLE layout");
static_assert(sizeof(EFI_SYSTEM_TABLE) == 120, "EFI_SYSTEM_TABLE size");

using EFI_IMAGE_ENTRY_POINT = EFI_STATUS(EFIAPI *)(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable);
