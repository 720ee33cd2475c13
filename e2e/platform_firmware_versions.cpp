// SPDX-License-Identifier: BSD-2-Clause-Patent
// The firmware-version protocol: GetComponentVersion hands out the
// scenario's text of a component, or fails for a component without one.
#include "e2e/test_platform.h"
#include "platform/guids.h"

namespace {

const E2E_SCENARIO *gFirmwareScenario = nullptr;
FIRMWARE_VERSION_PROTOCOL mFirmwareVersions;

// The auxiliary output carries a marker; the driver is not meant to read it.
constexpr UINT32 AUX_MARKER = 0xE2E00000;

EFI_STATUS EFIAPI GetComponentVersion(UINT32 Component, CHAR16 **Version, UINT32 *Aux) {
  if (Component >= FIRMWARE_COMPONENT_COUNT || Version == nullptr || Aux == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  *Aux = AUX_MARKER | Component;
  const CHAR16 *Text = gFirmwareScenario->Firmware[Component];
  if (Text == nullptr) {
    return EFI_DEVICE_ERROR;
  }
  *Version = const_cast<CHAR16 *>(Text);
  return EFI_SUCCESS;
}

}  // namespace

EFI_STATUS PublishFirmwareVersions(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario) {
  gFirmwareScenario = Scenario;
  mFirmwareVersions.GetComponentVersion = GetComponentVersion;
  EFI_HANDLE Handle = nullptr;
  return BootServices->InstallProtocolInterface(&Handle, &FIRMWARE_VERSION_PROTOCOL_GUID, EFI_NATIVE_INTERFACE,
                                                &mFirmwareVersions);
}
