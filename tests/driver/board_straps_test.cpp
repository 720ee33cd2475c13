// SPDX-License-Identifier: BSD-2-Clause-Patent
// GPIO pin and strap reads on the simulated board: results, the register
// accesses behind them, and the refusals.
#include <gtest/gtest.h>

#include <vector>

#include "boards/board_config.h"
#include "driver/board_straps.h"
#include "sim/gpio_model.h"
#include "sim/platform.h"

namespace {

constexpr UINT32 kUntouched = 0x12345678;

class BoardStrapsTest : public testing::Test {
 protected:
  void SetUp() override { gpio_.AllInputsLow(); }
  void TearDown() override {
    EXPECT_EQ(gpio_.Writes(), 0u) << "GPIO registers are never written";
    EXPECT_TRUE(platform_.Violations().empty());
  }

  // Register addresses read since the last ClearLog, in order.
  std::vector<UINTN> Reads() {
    std::vector<UINTN> reads;
    for (const sim::RegisterAccess &access : platform_.bus().Log()) {
      reads.insert(reads.end(), access.repeat, access.address);
    }
    return reads;
  }
  static UINTN Register(UINT32 pin, UINTN offset) {
    return mGpioControllerBase[sim::GpioBank::LineOf(pin)->controller] + offset;
  }

  sim::Platform platform_;
  sim::GpioBank gpio_{platform_.bus()};
};

TEST_F(BoardStrapsTest, PinReadFollowsModeDirectionAndLevelOfItsOwnLineOnly) {
  struct Case {
    const char *name;
    bool other_function, input, high;
    EFI_STATUS status;
    std::vector<UINTN> registers;  // offsets read, in order
  };
  constexpr UINTN kM = GPIO_MODE_REGISTER, kD = GPIO_DIRECTION_REGISTER, kI = GPIO_INPUT_REGISTER;
  const Case cases[] = {
      {"input high", false, true, true, EFI_SUCCESS, {kM, kD, kI}},
      {"input low", false, true, false, EFI_SUCCESS, {kM, kD, kI}},
      {"handed to another function", true, true, true, EFI_DEVICE_ERROR, {kM}},
      {"output", false, false, true, EFI_DEVICE_ERROR, {kM, kD}},
      {"other function and output", true, false, false, EFI_DEVICE_ERROR, {kM}},
  };
  for (UINT32 pin : {1u, 14u, 24u, 25u, 42u, 49u, 74u, 75u, 107u, 138u, 155u}) {
    for (const Case &c : cases) {
      // Every other line of the controller is set to the opposite state.
      for (bool hostile_neighbours : {false, true}) {
        SCOPED_TRACE(testing::Message() << "pin " << pin << ", " << c.name << ", hostile " << hostile_neighbours);
        sim::GpioControllerModel &controller = gpio_.Controller(sim::GpioBank::LineOf(pin)->controller);
        controller.mode = hostile_neighbours ? 0xFFFFFFFF : 0;
        controller.direction = hostile_neighbours ? 0 : 0xFFFFFFFF;
        controller.input = hostile_neighbours && !c.high ? 0xFFFFFFFF : 0;
        gpio_.SetMode(pin, c.other_function);
        gpio_.SetDirection(pin, c.input);
        gpio_.SetLevel(pin, c.high);
        platform_.bus().ClearLog();
        UINT32 level = kUntouched;
        EXPECT_EQ(ReadGpioPin(pin, &level), c.status);
        EXPECT_EQ(level, c.status == EFI_SUCCESS ? UINT32{c.high} : kUntouched);
        std::vector<UINTN> expected;
        for (UINTN offset : c.registers) {
          expected.push_back(Register(pin, offset));
        }
        EXPECT_EQ(Reads(), expected);
      }
    }
  }
}

TEST_F(BoardStrapsTest, EachWiredPinReadsItsOwnLineAndNoOther) {
  platform_.calls().SetRecording(false);
  for (UINT32 raised : sim::GpioBank::WiredPins()) {
    gpio_.SetLevel(raised, true);
    for (UINT32 pin : sim::GpioBank::WiredPins()) {
      UINT32 level = kUntouched;
      ASSERT_EQ(ReadGpioPin(pin, &level), EFI_SUCCESS) << pin;
      ASSERT_EQ(level, pin == raised ? 1u : 0u) << "pin " << pin << " with pin " << raised << " high";
    }
    gpio_.SetLevel(raised, false);
    platform_.bus().ClearLog();
  }
}

TEST_F(BoardStrapsTest, PinsWithoutALineOrOutsideTheMapAreRefusedWithoutAnyAccess) {
  struct Case {
    UINT32 pin;
    bool level_pointer;
    EFI_STATUS status;
  };
  const Case cases[] = {
      {0, true, EFI_DEVICE_ERROR},
      {156, true, EFI_DEVICE_ERROR},
      {157, true, EFI_INVALID_PARAMETER},
      {1000, true, EFI_INVALID_PARAMETER},
      {0xFFFFFFFF, true, EFI_INVALID_PARAMETER},
      {49, false, EFI_INVALID_PARAMETER},
  };
  for (const Case &c : cases) {
    platform_.bus().ClearLog();
    UINT32 level = kUntouched;
    EXPECT_EQ(ReadGpioPin(c.pin, c.level_pointer ? &level : nullptr), c.status) << "pin " << c.pin;
    EXPECT_EQ(level, kUntouched);
    EXPECT_TRUE(Reads().empty()) << "pin " << c.pin;
  }
}

TEST_F(BoardStrapsTest, StrapValuesCarryPinIInBitI) {
  std::vector<UINT32> all32;
  for (UINT32 pin = 43; pin <= 74; ++pin) {
    all32.push_back(pin);
  }
  std::vector<UINT32> odd32, last32 = {74};
  for (UINT32 pin = 44; pin <= 74; pin += 2) {
    odd32.push_back(pin);
  }
  struct Case {
    std::vector<UINT32> pins, high;
    UINT32 value;
  };
  const Case cases[] = {
      {{49, 50}, {49, 50}, 3},
      {{49, 50}, {50}, 2},
      {{49, 50}, {}, 0},
      {{49, 50, 57, 60}, {60}, 8},
      {{49, 50, 57, 60}, {49, 57}, 5},
      {{49, 50, 57, 60}, {49, 50, 57, 60}, 15},
      {{60, 57, 50, 49}, {60}, 1},
      {{49, 49}, {49}, 3},
      {{15, 139}, {139}, 2},
      {all32, odd32, 0xAAAAAAAA},
      {all32, last32, 0x80000000},
      {all32, all32, 0xFFFFFFFF},
  };
  for (const Case &c : cases) {
    gpio_.AllInputsLow();
    for (UINT32 pin : c.high) {
      gpio_.SetLevel(pin, true);
    }
    UINT32 value = kUntouched;
    EXPECT_EQ(ReadBoardStraps(c.pins.data(), static_cast<UINT32>(c.pins.size()), &value), EFI_SUCCESS);
    EXPECT_EQ(value, c.value) << "pins " << testing::PrintToString(c.pins);
  }
}

TEST_F(BoardStrapsTest, AFailingPinStopsTheWalkAndLeavesAllOnes) {
  const UINT32 straps[] = {49, 50, 57, 60};  // all on controller 3
  constexpr UINTN kM = GPIO_MODE_REGISTER, kD = GPIO_DIRECTION_REGISTER, kI = GPIO_INPUT_REGISTER;
  struct Case {
    const char *name;
    std::vector<UINT32> pins;
    UINT32 count;
    bool null_pins;
    void (*scene)(sim::GpioBank &);
    EFI_STATUS status;
    std::vector<UINTN> offsets_read;  // in controller 3's block, in order
  };
  const Case cases[] = {
      {"later strap handed to another function",
       {49, 50, 57, 60},
       4,
       false,
       [](sim::GpioBank &g) { g.SetMode(57, true); },
       EFI_DEVICE_ERROR,
       {kM, kD, kI, kM, kD, kI, kM}},
      {"first strap is an output",
       {49, 50, 57, 60},
       4,
       false,
       [](sim::GpioBank &g) { g.SetDirection(49, false); },
       EFI_DEVICE_ERROR,
       {kM, kD}},
      {"last strap is an output",
       {49, 50, 57, 60},
       4,
       false,
       [](sim::GpioBank &g) { g.SetDirection(60, false); },
       EFI_DEVICE_ERROR,
       {kM, kD, kI, kM, kD, kI, kM, kD, kI, kM, kD}},
      {"pin without a line", {49, 0, 50}, 3, false, nullptr, EFI_DEVICE_ERROR, {kM, kD, kI}},
      {"pin beyond the map", {157, 49}, 2, false, nullptr, EFI_INVALID_PARAMETER, {}},
      {"no pins", {49}, 0, false, nullptr, EFI_INVALID_PARAMETER, {}},
      {"more pins than bits", std::vector<UINT32>(33, 49), 33, false, nullptr, EFI_INVALID_PARAMETER, {}},
      {"NULL pin list", {}, 2, true, nullptr, EFI_INVALID_PARAMETER, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    gpio_.AllInputsLow();
    for (UINT32 pin : straps) {
      gpio_.SetLevel(pin, true);
    }
    if (c.scene != nullptr) {
      c.scene(gpio_);
    }
    platform_.bus().ClearLog();
    UINT32 value = kUntouched;
    EXPECT_EQ(ReadBoardStraps(c.null_pins ? nullptr : c.pins.data(), c.count, &value), c.status);
    EXPECT_EQ(value, BOARD_STRAPS_UNREADABLE);
    std::vector<UINTN> expected;
    for (UINTN offset : c.offsets_read) {
      expected.push_back(mGpioControllerBase[3] + offset);
    }
    EXPECT_EQ(Reads(), expected);
  }
  platform_.bus().ClearLog();
  EXPECT_EQ(ReadBoardStraps(straps, 4, nullptr), EFI_INVALID_PARAMETER);
  EXPECT_TRUE(Reads().empty());
}

}  // namespace
