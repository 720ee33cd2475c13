// SPDX-License-Identifier: BSD-2-Clause-Patent
// The driver's image entry point and the constant records it installs.
#pragma once

#include "platform/boot_services.h"
#include "platform/device_path.h"

// The vendor device path on the driver's handle: one hardware vendor node
// carrying PAGE_GUID, then the end of the path.
struct PAGE_DEVICE_PATH {
  VENDOR_DEVICE_PATH Vendor;
  EFI_DEVICE_PATH_PROTOCOL End;
};
static_assert(sizeof(PAGE_DEVICE_PATH) == 24, "vendor node and end node, back to back");

extern const PAGE_DEVICE_PATH mPageDevicePath;

// Brings up the console UART, registers the "System Information" page and
// fills its values. EFI_NOT_FOUND when the HII string or database protocol
// is missing, the status of a failed device-path installation, or
// EFI_OUT_OF_RESOURCES when the page could not be registered; otherwise
// EFI_SUCCESS, whatever facts could not be read.
extern "C" EFI_STATUS EFIAPI DriverEntry(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable);
