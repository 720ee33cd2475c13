// SPDX-License-Identifier: BSD-2-Clause-Patent
// The board's seven GPIO controllers: per controller a mode, a direction
// and an input-level register (one bit per line), mapped on the register
// bus at the board's controller bases. GpioBank sets lines by SoC pin
// number through the board's wiring, which is written here from the
// board's schematic view (controller lines in bit order), not taken from
// the driver's pin map, so a wrong map shows up as a wrong reading.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "boards/board_config.h"
#include "sim/register_bus.h"

namespace sim {

class GpioControllerModel : public RegisterDevice {
 public:
  static constexpr UINTN kMode = 0x00, kDirection = 0x04, kInput = 0x10;
  static constexpr UINTN kBlockSize = 0x1000;

  UINT32 mode = 0;       // set bit: line handed to another function
  UINT32 direction = 0;  // set bit: input
  UINT32 input = 0;      // line levels

  UINT32 Read(UINTN offset) override;
  // The registers are read-only to the driver; writes are counted, not applied.
  void Write(UINTN offset, UINT32 value) override;
  std::uint64_t Writes() const { return writes_; }

 private:
  std::uint64_t writes_ = 0;
};

// Where a SoC pin is wired: controller number and bit.
struct GpioLine {
  UINT32 controller;
  UINT32 bit;
  bool operator==(const GpioLine &) const = default;
};

class GpioBank {
 public:
  static constexpr UINT32 kPinCount = 157;

  // Maps the seven controllers on `bus` at mGpioControllerBase.
  explicit GpioBank(RegisterBus &bus);
  ~GpioBank();
  GpioBank(const GpioBank &) = delete;
  GpioBank &operator=(const GpioBank &) = delete;

  // The board's wiring; nullopt for a pin without a GPIO line.
  static std::optional<GpioLine> LineOf(UINT32 pin);
  // Every wired pin, ascending.
  static std::vector<UINT32> WiredPins();

  // Pin state setters; each aborts for a pin without a line.
  void SetLevel(UINT32 pin, bool high);
  void SetMode(UINT32 pin, bool other_function);
  void SetDirection(UINT32 pin, bool is_input);
  // A readable GPIO input at the given level.
  void SetInput(UINT32 pin, bool high);
  // Every line of every controller a GPIO input, all low.
  void AllInputsLow();

  GpioControllerModel &Controller(UINT32 index) { return controllers_.at(index); }
  std::uint64_t Writes() const;

 private:
  static void SetBit(UINT32 &reg, UINT32 bit, bool on);
  GpioLine Wired(UINT32 pin) const;

  RegisterBus &bus_;
  std::array<GpioControllerModel, GPIO_CONTROLLER_COUNT> controllers_;
};

}  // namespace sim
