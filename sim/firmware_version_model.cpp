// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/firmware_version_model.h"

#include <cstdio>
#include <cstdlib>

#include "platform/guids.h"
#include "sim/traced_service.h"

namespace sim {

namespace {
FirmwareVersionModel *g_current_firmware = nullptr;
}

FirmwareVersionModel::FirmwareVersionModel() {
  for (UINT32 i = 0; i < FIRMWARE_COMPONENT_COUNT; ++i) {
    texts_[i] = std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".0.0-sim";
  }
  interface_.GetComponentVersion = GetComponentVersion;
  previous_ = g_current_firmware;
  g_current_firmware = this;
}

FirmwareVersionModel::~FirmwareVersionModel() {
  if (g_current_firmware == this) {
    g_current_firmware = previous_;
  }
}

EFI_HANDLE FirmwareVersionModel::Publish(Platform &platform) {
  return platform.Publish(FIRMWARE_VERSION_PROTOCOL_GUID, &interface_);
}

EFI_STATUS EFIAPI FirmwareVersionModel::GetComponentVersion(UINT32 Component, CHAR16 **Version, UINT32 *Aux) {
  FirmwareVersionModel *model = g_current_firmware;
  if (model == nullptr) {
    std::fputs("sim: GetComponentVersion called with no firmware-version model alive\n", stderr);
    std::abort();
  }
  model->calls_.push_back(Component);
  auto garbage_text = [&] {
    if (Version != nullptr) {
      *Version = reinterpret_cast<CHAR16 *>(kScribble);
    }
  };
  return TracedService(
      "FW.GetComponentVersion", "component=" + std::to_string(Component),
      [&] {
        if (Component >= FIRMWARE_COMPONENT_COUNT || Version == nullptr) {
          return EFI_INVALID_PARAMETER;
        }
        if (EFI_ERROR(model->failures_[Component])) {
          garbage_text();
          return model->failures_[Component];
        }
        *Version = model->texts_[Component].data();
        if (Aux != nullptr) {
          *Aux = static_cast<UINT32>(model->texts_[Component].size());
        }
        return EFI_SUCCESS;
      },
      garbage_text);
}

}  // namespace sim
