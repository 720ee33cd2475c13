// SPDX-License-Identifier: BSD-2-Clause-Patent
// A whole simulated board around the driver: the platform (boot services,
// pool, handles, register bus), the HII database, the console UART, the
// GPIO controllers with the memory straps, an I2C bus with the PD
// controller, and the memory-information and firmware-version protocols,
// all set up from one description of the board's facts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform_protocols.h"
#include "sim/firmware_version_model.h"
#include "sim/gpio_model.h"
#include "sim/hii_database.h"
#include "sim/i2c_master_model.h"
#include "sim/memory_info_model.h"
#include "sim/page_model.h"
#include "sim/pd_controller_model.h"
#include "sim/pl011_model.h"
#include "sim/platform.h"

namespace sim {

// The memory straps: bit i of the strap value is the level of kStrapPins[i].
inline constexpr std::array<UINT32, 4> kStrapPins = {49, 50, 57, 60};

// The firmware versions the default board reports.
std::array<std::u16string, FIRMWARE_COMPONENT_COUNT> DefaultFirmwareTexts();

struct BoardFacts {
  // Memory-information protocol.
  bool memory_info = true;
  bool memory_record_null = false;
  UINT32 memory_mib = 16384;
  UINT16 memory_clock_mhz = 3200;

  // Firmware-version protocol: each component's text, or its failure, by
  // component index (FIRMWARE_COMPONENT_*).
  bool firmware_versions = true;
  std::array<std::u16string, FIRMWARE_COMPONENT_COUNT> firmware_texts = DefaultFirmwareTexts();
  std::array<EFI_STATUS, FIRMWARE_COMPONENT_COUNT> firmware_failures{};

  // The PD controller on the I2C bus (device-path bus number 7; the driver
  // looks for that number, so any other hides the bus).
  bool i2c_bus = true;
  UINT8 i2c_bus_number = 7;
  bool pd_present = true;
  PdFirmwareVersions pd = {2, 1, 0, 3, 4, 12};
  UINT8 pd_status_byte = PdControllerModel::kReadyStatus;
  UINT8 pd_reply_length = PdControllerModel::kReplyLength;
  unsigned pd_nack_request = 0;  // 1..3: that request is NACKed

  // Strap levels, and a strap pin taken by another function or set as an
  // output (by index into kStrapPins), if any.
  UINT32 strap_value = 10;
  std::optional<unsigned> strap_pin_not_gpio;
  std::optional<unsigned> strap_pin_output;
  // The same two faults by SoC pin number, for any wired pin.
  std::vector<UINT32> pins_other_function;
  std::vector<UINT32> pins_output;

  // The console UART as the previous boot stage left it.
  UINT32 uart_cr = 0x301, uart_lcr_h = 0x70, uart_ibrd = 0x1A, uart_fbrd = 0x03;
  std::int64_t uart_drain_after_polls = 2;

  // HII: whether the database and string protocols exist, and languages
  // the page's package list carries besides en-US.
  bool hii = true;
  // Each HII protocol on its own (all need `hii`). The configuration-routing,
  // font and image protocols are looked up but never called: their
  // interfaces are empty tables.
  bool hii_database = true;
  bool hii_string = true;
  bool hii_config_routing = true;
  bool hii_font = true;
  bool hii_image = true;
  std::vector<std::string> languages_before;
  std::vector<std::string> languages_after;
};

class SimulatedBoard {
 public:
  explicit SimulatedBoard(const BoardFacts &facts = {});
  SimulatedBoard(const SimulatedBoard &) = delete;
  SimulatedBoard &operator=(const SimulatedBoard &) = delete;

  // Loads the driver as the dispatcher would: module-wide pointers start at
  // zero, then DriverEntry runs with the image handle and system table.
  EFI_STATUS RunDriverEntry();

  // The page's package list in the HII database, if registered.
  EFI_HII_HANDLE PageHandle() const;
  // The page as a setup browser would draw it from the database.
  PageBuild Page() const;
  // A page string as the database holds it in `language`.
  std::optional<std::u16string> PageString(EFI_STRING_ID id, std::string_view language = "en-US") const;
  // Whether the driver's vendor device path is installed on some handle.
  bool PageDevicePathInstalled() const;

  // Pool left allocated and everything any model found wrong.
  std::vector<std::string> Problems() const;

  const BoardFacts facts;
  Platform platform;
  HiiDatabase hii;
  Pl011Model uart;
  GpioBank gpio;
  I2cMasterModel i2c;
  PdControllerModel pd;
  MemoryInfoModel memory;
  FirmwareVersionModel firmware;

 private:
  void PublishHii();

  // Interfaces of the HII protocols the driver only looks up.
  std::array<std::array<void *, 16>, 3> unused_hii_interfaces_{};
};

}  // namespace sim
