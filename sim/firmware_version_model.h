// SPDX-License-Identifier: BSD-2-Clause-Patent
// The platform's firmware-version protocol: a table of services whose
// twelfth entry, GetComponentVersion(Component, &Text, &Aux), hands out a
// version text the protocol keeps owning. Texts and failures are set per
// component. The other entries are NULL, so calling any of them crashes the
// test. Each call is traced and faultable as "FW.GetComponentVersion" with
// "component=N" as detail; an injected fault with `scribble` leaves a
// garbage text pointer behind.
//
// GetComponentVersion gets no interface pointer, so it acts on the most
// recently created model that is still alive.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/platform_protocols.h"

namespace sim {

class Platform;

class FirmwareVersionModel {
 public:
  FirmwareVersionModel();  // component i answers u"<i>.0.0-sim"
  ~FirmwareVersionModel();
  FirmwareVersionModel(const FirmwareVersionModel &) = delete;
  FirmwareVersionModel &operator=(const FirmwareVersionModel &) = delete;

  void SetText(UINT32 component, std::u16string text) { texts_.at(component) = std::move(text); }
  // Makes one component's calls fail with `status` (EFI_SUCCESS: answer
  // again); a failing call leaves a garbage text pointer behind.
  void SetFailure(UINT32 component, EFI_STATUS status) { failures_.at(component) = status; }
  const std::u16string &Text(UINT32 component) const { return texts_.at(component); }

  // Installs the interface on a new handle of `platform`.
  EFI_HANDLE Publish(Platform &platform);
  FIRMWARE_VERSION_PROTOCOL *Interface() { return &interface_; }

  // Component indexes in the order they were asked for.
  const std::vector<UINT32> &Calls() const { return calls_; }

  static EFI_STATUS EFIAPI GetComponentVersion(UINT32 Component, CHAR16 **Version, UINT32 *Aux);

 private:
  FIRMWARE_VERSION_PROTOCOL interface_{};
  std::array<std::u16string, FIRMWARE_COMPONENT_COUNT> texts_;
  std::array<EFI_STATUS, FIRMWARE_COMPONENT_COUNT> failures_{};
  std::vector<UINT32> calls_;
  FirmwareVersionModel *previous_ = nullptr;
};

}  // namespace sim
