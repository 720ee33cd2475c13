// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "driver/driver_entry.h"

#include "boards/board_config.h"
#include "driver/hardware_info.h"
#include "hii/package_list.h"
#include "hii/page_packages.h"
#include "hii/page_string.h"
#include "hii/page_strings.h"
#include "platform/guids.h"
#include "platform/module_globals.h"
#include "platform/platform_protocols.h"
#include "serial/console_uart.h"

extern const PAGE_DEVICE_PATH mPageDevicePath = {
    {{HARDWARE_DEVICE_PATH, HW_VENDOR_DP, {sizeof(VENDOR_DEVICE_PATH), 0}}, PAGE_GUID},
    {END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, {sizeof(EFI_DEVICE_PATH_PROTOCOL), 0}},
};

namespace {

// Firmware components in the order they are asked for (their rows' id
// order), with their rows.
constexpr PAGE_COMPONENT_ROWS mComponentRows = ListPageComponentRows();

struct SOURCE_ROW {
  EFI_STRING_ID Value;
  const CHAR16 *CommitId;
};

constexpr SOURCE_ROW mSourceRows[] = {
    {STRING_EDK2_ZUN_VALUE, mSourceIdEdk2Zun},
    {STRING_EDK2_VALUE, mSourceIdEdk2},
    {STRING_EDK2_NON_OSI_VALUE, mSourceIdEdk2NonOsi},
    {STRING_EDK2_PLATFORMS_VALUE, mSourceIdEdk2Platforms},
};

constexpr const CHAR16 *mNotAvailable = u"N/A";

// A failed look-up leaves the pointer as it was, whatever the service wrote.
template <typename PROTOCOL>
void LocateInto(const EFI_GUID *Guid, PROTOCOL **Slot) {
  void *Interface = nullptr;
  if (!EFI_ERROR(gBootServices->LocateProtocol(Guid, nullptr, &Interface))) {
    *Slot = static_cast<PROTOCOL *>(Interface);
  }
}

void LocateHiiProtocols() {
  LocateInto(&EFI_HII_STRING_PROTOCOL_GUID, &gStringProtocol);
  LocateInto(&EFI_HII_DATABASE_PROTOCOL_GUID, &gDatabaseProtocol);
  LocateInto(&EFI_HII_CONFIG_ROUTING_PROTOCOL_GUID, &gConfigRoutingProtocol);
  LocateInto(&EFI_HII_FONT_PROTOCOL_GUID, &gFontProtocol);
  LocateInto(&EFI_HII_IMAGE_PROTOCOL_GUID, &gImageProtocol);
}

void ShowFirmwareVersions(EFI_HII_HANDLE HiiHandle) {
  void *Interface = nullptr;
  if (EFI_ERROR(gBootServices->LocateProtocol(&FIRMWARE_VERSION_PROTOCOL_GUID, nullptr, &Interface)) ||
      Interface == nullptr) {
    return;
  }
  const auto *Firmware = static_cast<const FIRMWARE_VERSION_PROTOCOL *>(Interface);
  if (Firmware->GetComponentVersion == nullptr) {
    return;
  }
  for (const PAGE_COMPONENT_ROW &Row : mComponentRows.Rows) {
    CHAR16 *Text = nullptr;
    UINT32 Aux = 0;
    const EFI_STATUS Status = Firmware->GetComponentVersion(Row.Component, &Text, &Aux);
    SetPageString(HiiHandle, Row.Value, EFI_ERROR(Status) || Text == nullptr ? mNotAvailable : Text);
  }
}

void ShowSourceIds(EFI_HII_HANDLE HiiHandle) {
  for (const SOURCE_ROW &Row : mSourceRows) {
    SetPageString(HiiHandle, Row.Value, Row.CommitId);
  }
}

}  // namespace

extern "C" EFI_STATUS EFIAPI DriverEntry(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable) {
  (void)ImageHandle;
  InitConsoleUart();

  gSystemTable = SystemTable;
  gBootServices = SystemTable->BootServices;
  LocateHiiProtocols();
  if (gStringProtocol == nullptr || gDatabaseProtocol == nullptr) {
    return EFI_NOT_FOUND;
  }

  void *DevicePath = const_cast<PAGE_DEVICE_PATH *>(&mPageDevicePath);
  EFI_HANDLE Handle = nullptr;
  const EFI_STATUS Status =
      gBootServices->InstallMultipleProtocolInterfaces(&Handle, &EFI_DEVICE_PATH_PROTOCOL_GUID, DevicePath, nullptr);
  if (EFI_ERROR(Status)) {
    return Status;
  }

  EFI_HII_HANDLE HiiHandle = RegisterPagePackages(&PAGE_GUID, Handle, mPageStringPackage, mPageFormPackage, nullptr);
  if (HiiHandle == nullptr) {
    gBootServices->UninstallMultipleProtocolInterfaces(Handle, &EFI_DEVICE_PATH_PROTOCOL_GUID, DevicePath, nullptr);
    return EFI_OUT_OF_RESOURCES;
  }

  UpdateHardwareInformation(HiiHandle);
  ShowFirmwareVersions(HiiHandle);
  ShowSourceIds(HiiHandle);
  return EFI_SUCCESS;
}
