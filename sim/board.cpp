// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/board.h"

#include <cstring>

#include "boards/board_config.h"
#include "driver/driver_entry.h"
#include "platform/guids.h"
#include "platform/module_globals.h"

namespace sim {

namespace {

void ResetModuleGlobals() {
  gSystemTable = nullptr;
  gBootServices = nullptr;
  gStringProtocol = nullptr;
  gDatabaseProtocol = nullptr;
  gConfigRoutingProtocol = nullptr;
  gFontProtocol = nullptr;
  gImageProtocol = nullptr;
}

}  // namespace

std::array<std::u16string, FIRMWARE_COMPONENT_COUNT> DefaultFirmwareTexts() {
  std::array<std::u16string, FIRMWARE_COMPONENT_COUNT> texts;
  texts[FIRMWARE_COMPONENT_SE] = u"1.4.2";
  texts[FIRMWARE_COMPONENT_PM] = u"1.1.0";
  texts[FIRMWARE_COMPONENT_PBL] = u"2.0.1";
  texts[FIRMWARE_COMPONENT_ATF] = u"2.9.0";
  texts[FIRMWARE_COMPONENT_TEE] = u"3.19.0";
  texts[FIRMWARE_COMPONENT_EC] = u"0.9.7";
  texts[FIRMWARE_COMPONENT_STMM] = u"1.0.3";
  texts[FIRMWARE_COMPONENT_UEFI] = u"2024.03";
  return texts;
}

SimulatedBoard::SimulatedBoard(const BoardFacts &board_facts)
    : facts(board_facts),
      hii(platform),
      gpio(platform.bus()),
      memory(board_facts.memory_mib, board_facts.memory_clock_mhz) {
  platform.bus().Map(CONSOLE_UART_BASE, 0x1000, &uart, "uart");
  uart.Configure(facts.uart_cr, facts.uart_lcr_h, facts.uart_ibrd, facts.uart_fbrd);
  uart.SetDrainAfterPolls(facts.uart_drain_after_polls);

  PublishHii();

  gpio.AllInputsLow();
  for (std::size_t i = 0; i < kStrapPins.size(); ++i) {
    gpio.SetInput(kStrapPins[i], (facts.strap_value >> i) & 1);
  }
  if (facts.strap_pin_not_gpio) {
    gpio.SetMode(kStrapPins.at(*facts.strap_pin_not_gpio), true);
  }
  if (facts.strap_pin_output) {
    gpio.SetDirection(kStrapPins.at(*facts.strap_pin_output), false);
  }
  for (UINT32 pin : facts.pins_other_function) {
    gpio.SetMode(pin, true);
  }
  for (UINT32 pin : facts.pins_output) {
    gpio.SetDirection(pin, false);
  }

  if (facts.i2c_bus) {
    i2c.Publish(platform, I2cBusDevicePath(facts.i2c_bus_number));
  }
  if (facts.pd_present) {
    pd.versions = facts.pd;
    pd.status_byte = facts.pd_status_byte;
    pd.reply_length_byte = facts.pd_reply_length;
    pd.nack_request = facts.pd_nack_request;
    pd.AttachTo(i2c);
  }

  if (facts.memory_info) {
    memory.SetNullRecord(facts.memory_record_null);
    memory.Publish(platform);
  }

  if (facts.firmware_versions) {
    for (UINT32 i = 0; i < FIRMWARE_COMPONENT_COUNT; ++i) {
      firmware.SetText(i, facts.firmware_texts[i]);
      firmware.SetFailure(i, facts.firmware_failures[i]);
    }
    firmware.Publish(platform);
  }
}

void SimulatedBoard::PublishHii() {
  if (!facts.hii) {
    return;
  }
  hii.SetLanguageLayout({facts.languages_before, facts.languages_after});
  if (facts.hii_database && facts.hii_string) {
    hii.Publish();
  } else if (facts.hii_database) {
    platform.Publish(EFI_HII_DATABASE_PROTOCOL_GUID, hii.DatabaseProtocol());
  } else if (facts.hii_string) {
    platform.Publish(EFI_HII_STRING_PROTOCOL_GUID, hii.StringProtocol());
  }
  const struct {
    bool present;
    const EFI_GUID &guid;
  } unused[] = {
      {facts.hii_config_routing, EFI_HII_CONFIG_ROUTING_PROTOCOL_GUID},
      {facts.hii_font, EFI_HII_FONT_PROTOCOL_GUID},
      {facts.hii_image, EFI_HII_IMAGE_PROTOCOL_GUID},
  };
  for (std::size_t i = 0; i < std::size(unused); ++i) {
    if (unused[i].present) {
      platform.Publish(unused[i].guid, unused_hii_interfaces_[i].data());
    }
  }
}

EFI_STATUS SimulatedBoard::RunDriverEntry() {
  ResetModuleGlobals();
  return DriverEntry(platform.ImageHandle(), platform.SystemTable());
}

EFI_HII_HANDLE SimulatedBoard::PageHandle() const {
  UINTN size = 0;
  if (hii.ListPackageLists(EFI_HII_PACKAGE_TYPE_ALL, nullptr, &size, nullptr) != EFI_BUFFER_TOO_SMALL) {
    return nullptr;
  }
  std::vector<EFI_HII_HANDLE> handles(size / sizeof(EFI_HII_HANDLE));
  if (EFI_ERROR(hii.ListPackageLists(EFI_HII_PACKAGE_TYPE_ALL, nullptr, &size, handles.data()))) {
    return nullptr;
  }
  for (EFI_HII_HANDLE handle : handles) {
    const std::vector<UINT8> bytes = hii.ExportedBytes(handle);
    if (bytes.size() >= sizeof(EFI_GUID) && std::memcmp(bytes.data(), &PAGE_GUID, sizeof(EFI_GUID)) == 0) {
      return handle;
    }
  }
  return nullptr;
}

PageBuild SimulatedBoard::Page() const {
  EFI_HII_HANDLE handle = PageHandle();
  if (handle == nullptr) {
    return PageBuild{std::nullopt, "no package list carries the page's GUID"};
  }
  return BuildPageModel(hii, handle);
}

std::optional<std::u16string> SimulatedBoard::PageString(EFI_STRING_ID id, std::string_view language) const {
  EFI_HII_HANDLE handle = PageHandle();
  if (handle == nullptr) {
    return std::nullopt;
  }
  return hii.StringOf(handle, id, language);
}

bool SimulatedBoard::PageDevicePathInstalled() const {
  return platform.handles().DevicePathInstalled(&mPageDevicePath.Vendor.Header);
}

std::vector<std::string> SimulatedBoard::Problems() const {
  std::vector<std::string> problems = platform.Violations();
  if (platform.pool().LiveCount() != 0) {
    problems.push_back(platform.pool().LeakReport());
  }
  problems.insert(problems.end(), i2c.Violations().begin(), i2c.Violations().end());
  problems.insert(problems.end(), pd.ProtocolErrors().begin(), pd.ProtocolErrors().end());
  return problems;
}

}  // namespace sim
