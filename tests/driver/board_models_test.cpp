// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated board devices behave as the hardware and the platform
// drivers do, so the driver's tests against them mean something.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/guids.h"
#include "sim/firmware_version_model.h"
#include "sim/i2c_master_model.h"
#include "sim/pd_controller_model.h"
#include "sim/platform.h"

namespace {

using Bytes = std::vector<UINT8>;

TEST(BoardModels, FirmwareVersionsAnswerThroughTheTwelfthEntry) {
  sim::Platform platform;
  sim::FirmwareVersionModel firmware;
  firmware.SetText(3, u"v2.9-atf");
  firmware.SetFailure(5, EFI_NOT_FOUND);
  firmware.Publish(platform);
  void *found = nullptr;
  ASSERT_EQ(platform.BootServices()->LocateProtocol(&FIRMWARE_VERSION_PROTOCOL_GUID, nullptr, &found), EFI_SUCCESS);
  void *entries[12];
  std::memcpy(entries, found, sizeof entries);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(entries[i], nullptr) << "entry " << i;
  }
  auto get = reinterpret_cast<FIRMWARE_GET_COMPONENT_VERSION>(entries[11]);
  platform.calls().FailNth("FW.GetComponentVersion", 3, EFI_DEVICE_ERROR, /*scribble=*/true);

  struct Case {
    UINT32 component;
    EFI_STATUS status;
    const char16_t *text;  // nullptr: a garbage pointer is left behind
  };
  const Case cases[] = {
      {3, EFI_SUCCESS, u"v2.9-atf"},  {5, EFI_NOT_FOUND, nullptr},      {0, EFI_DEVICE_ERROR, nullptr},
      {7, EFI_SUCCESS, u"7.0.0-sim"}, {8, EFI_INVALID_PARAMETER, u"x"},
  };
  for (const Case &c : cases) {
    CHAR16 sentinel[] = u"x";
    CHAR16 *text = sentinel;
    UINT32 aux = 0;
    EXPECT_EQ(get(c.component, &text, &aux), c.status) << c.component;
    if (c.text == nullptr) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(text), sim::kScribble);
    } else {
      EXPECT_EQ(std::u16string(text), c.text);
    }
  }
  EXPECT_EQ(firmware.Calls(), (std::vector<UINT32>{3, 5, 0, 7, 8}));
  std::vector<std::string> traced;
  for (const sim::CallRecord &call : platform.calls().Records()) {
    if (call.service == "FW.GetComponentVersion") {
      traced.push_back(call.detail + (call.injected ? " injected" : ""));
    }
  }
  EXPECT_EQ(traced, (std::vector<std::string>{"component=3", "component=5", "component=0 injected", "component=7",
                                              "component=8"}));
}

TEST(BoardModels, I2cMasterRefusesMalformedPacketsAndNacksEmptyAddresses) {
  sim::Platform platform;
  sim::I2cMasterModel bus;
  sim::PdControllerModel pd;
  pd.AttachTo(bus);
  EFI_I2C_MASTER_PROTOCOL *i2c = bus.Protocol();
  UINT8 byte = 0x80;
  struct Case {
    const char *name;
    UINTN address, count;
    UINT32 flags, length;
    bool buffer, packet;
    EFI_STATUS status;
  };
  const Case cases[] = {
      {"NULL packet", 0x72, 1, 0, 1, true, false, EFI_INVALID_PARAMETER},
      {"no operations", 0x72, 0, 0, 1, true, true, EFI_INVALID_PARAMETER},
      {"NULL buffer", 0x72, 1, 0, 1, false, true, EFI_INVALID_PARAMETER},
      {"empty operation", 0x72, 1, 0, 0, true, true, EFI_INVALID_PARAMETER},
      {"SMBus flag", 0x72, 1, I2C_FLAG_SMBUS_OPERATION, 1, true, true, EFI_INVALID_PARAMETER},
      {"nobody at 0x50", 0x50, 1, I2C_FLAG_READ, 1, true, true, EFI_NO_RESPONSE},
      {"PD status read before the command", 0x72, 1, I2C_FLAG_READ, 1, true, true, EFI_NO_RESPONSE},
      {"PD: lone version command", 0x72, 1, 0, 1, true, true, EFI_NO_RESPONSE},
  };
  for (const Case &c : cases) {
    EFI_I2C_REQUEST_PACKET packet = {c.count, {{c.flags, c.length, c.buffer ? &byte : nullptr}}};
    EFI_STATUS reported = EFI_SUCCESS;
    EXPECT_EQ(i2c->StartRequest(i2c, c.address, c.packet ? &packet : nullptr, nullptr, &reported), c.status) << c.name;
    EXPECT_EQ(reported, c.status) << c.name;
  }
  EXPECT_EQ(bus.Violations().size(), 5u);
  EXPECT_EQ(pd.ProtocolErrors().size(), 2u);
  EXPECT_EQ(bus.Requests().size(), std::size(cases));
}

TEST(BoardModels, AScribbledI2cFaultStillMovesTheBytes) {
  sim::Platform platform;
  sim::I2cMasterModel bus;
  sim::PdControllerModel pd;
  pd.AttachTo(bus);
  EFI_I2C_MASTER_PROTOCOL *i2c = bus.Protocol();
  UINT8 command[] = {0x3A, 0x03, 0x00, 0x00, 0x00};
  EFI_I2C_REQUEST_PACKET write = {1, {{0, 5, command}}};
  UINT8 status = 0;
  EFI_I2C_REQUEST_PACKET read = {1, {{I2C_FLAG_READ, 1, &status}}};
  platform.calls().FailNth("I2C.StartRequest", 1, EFI_TIMEOUT, /*scribble=*/false);
  platform.calls().FailNth("I2C.StartRequest", 3, EFI_TIMEOUT, /*scribble=*/true);
  EXPECT_EQ(i2c->StartRequest(i2c, 0x72, &write, nullptr, nullptr), EFI_TIMEOUT);
  EXPECT_EQ(pd.RequestsSeen(), 0u) << "a plain fault never reaches the device";
  EXPECT_EQ(i2c->StartRequest(i2c, 0x72, &write, nullptr, nullptr), EFI_SUCCESS);
  EXPECT_EQ(i2c->StartRequest(i2c, 0x72, &read, nullptr, nullptr), EFI_TIMEOUT);
  EXPECT_EQ(status, sim::PdControllerModel::kReadyStatus);
  EXPECT_EQ(bus.Requests().back().operations[0].bytes, Bytes{sim::PdControllerModel::kReadyStatus});
}

}  // namespace
