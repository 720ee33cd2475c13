// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/gpio_model.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace sim {

namespace {

// The board's wiring per controller: the SoC pins on its lines in bit
// order, as ranges of consecutive pins. Controller 2 carries no strap or
// board pin; lines beyond the listed pins are unconnected.
struct PinRange {
  UINT32 first;
  UINT32 last;
};
struct ControllerWiring {
  UINT32 controller;
  std::vector<PinRange> pins;
};

const std::vector<ControllerWiring> &BoardWiring() {
  static const std::vector<ControllerWiring> kWiring = {
      {0, {{1, 14}, {25, 42}}},  // lines 0..13, then 14..31
      {1, {{15, 24}}},           // lines 0..9
      {2, {}},                   // no board pin
      {3, {{43, 74}}},           // all 32 lines
      {4, {{75, 106}}},          // all 32 lines
      {5, {{107, 138}}},         // all 32 lines
      {6, {{139, 155}}},         // lines 0..16
  };
  return kWiring;
}

}  // namespace

UINT32 GpioControllerModel::Read(UINTN offset) {
  switch (offset) {
    case kMode:
      return mode;
    case kDirection:
      return direction;
    case kInput:
      return input;
    default:
      return 0;
  }
}

void GpioControllerModel::Write(UINTN, UINT32) { ++writes_; }

GpioBank::GpioBank(RegisterBus &bus) : bus_(bus) {
  for (UINT32 c = 0; c < GPIO_CONTROLLER_COUNT; ++c) {
    bus_.Map(mGpioControllerBase[c], GpioControllerModel::kBlockSize, &controllers_[c], "gpio" + std::to_string(c));
  }
}

GpioBank::~GpioBank() {
  for (GpioControllerModel &controller : controllers_) {
    bus_.Unmap(&controller);
  }
}

std::optional<GpioLine> GpioBank::LineOf(UINT32 pin) {
  for (const ControllerWiring &wiring : BoardWiring()) {
    UINT32 bit = 0;
    for (const PinRange &range : wiring.pins) {
      if (pin >= range.first && pin <= range.last) {
        return GpioLine{wiring.controller, bit + (pin - range.first)};
      }
      bit += range.last - range.first + 1;
    }
  }
  return std::nullopt;
}

std::vector<UINT32> GpioBank::WiredPins() {
  std::vector<UINT32> pins;
  for (UINT32 pin = 0; pin < kPinCount; ++pin) {
    if (LineOf(pin)) {
      pins.push_back(pin);
    }
  }
  return pins;
}

GpioLine GpioBank::Wired(UINT32 pin) const {
  const std::optional<GpioLine> line = LineOf(pin);
  if (!line) {
    std::fprintf(stderr, "sim: pin %u has no GPIO line\n", pin);
    std::abort();
  }
  return *line;
}

void GpioBank::SetBit(UINT32 &reg, UINT32 bit, bool on) { reg = on ? (reg | (1U << bit)) : (reg & ~(1U << bit)); }

void GpioBank::SetLevel(UINT32 pin, bool high) {
  const GpioLine line = Wired(pin);
  SetBit(controllers_[line.controller].input, line.bit, high);
}

void GpioBank::SetMode(UINT32 pin, bool other_function) {
  const GpioLine line = Wired(pin);
  SetBit(controllers_[line.controller].mode, line.bit, other_function);
}

void GpioBank::SetDirection(UINT32 pin, bool is_input) {
  const GpioLine line = Wired(pin);
  SetBit(controllers_[line.controller].direction, line.bit, is_input);
}

void GpioBank::SetInput(UINT32 pin, bool high) {
  SetMode(pin, false);
  SetDirection(pin, true);
  SetLevel(pin, high);
}

void GpioBank::AllInputsLow() {
  for (GpioControllerModel &controller : controllers_) {
    controller.mode = 0;
    controller.direction = 0xFFFFFFFF;
    controller.input = 0;
  }
}

std::uint64_t GpioBank::Writes() const {
  std::uint64_t total = 0;
  for (const GpioControllerModel &controller : controllers_) {
    total += controller.Writes();
  }
  return total;
}

}  // namespace sim
