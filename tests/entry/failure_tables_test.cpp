// SPDX-License-Identifier: BSD-2-Clause-Patent
// The driver's failure handling on the whole simulated board: what the
// entry returns and what the page shows when a service, a platform protocol
// or a device lets it down. Rows a failure must not touch are held to a
// fault-free run of the same board. Each single call failing in turn is the
// fault sweep's concern.
#include <gtest/gtest.h>

#include "driver/driver_entry.h"
#include "platform/guids.h"
#include "platform/module_globals.h"
#include "platform/platform_protocols.h"
#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

const EFI_STATUS kErrors[] = {EFI_DEVICE_ERROR, EFI_OUT_OF_RESOURCES, EFI_INVALID_PARAMETER, EFI_NOT_FOUND};

std::function<void(sim::SimulatedBoard &)> FailNth(std::string service, std::uint64_t nth, EFI_STATUS status,
                                                   bool scribble) {
  return [=](sim::SimulatedBoard &board) { board.platform.calls().FailNth(service, nth, status, scribble); };
}

Setup Facts(std::function<void(sim::BoardFacts &)> change) { return Setup{std::move(change), {}}; }

std::function<void(sim::SimulatedBoard &)> Publish(const EFI_GUID &guid, void *interface) {
  return [&guid, interface](sim::SimulatedBoard &board) { board.platform.Publish(guid, interface); };
}

struct RowCase {
  std::string name;
  Setup setup;
  Rows expected;
  std::function<void(sim::SimulatedBoard &)> check = {};  // anything else the case must hold to
};

// Runs each case and holds the entry to success, the rows to the case's
// expectation and the board to no problems.
void ExpectRows(const std::vector<RowCase> &cases) {
  for (const RowCase &c : cases) {
    SCOPED_TRACE(c.name);
    auto board = MakeBoard(c.setup);
    EXPECT_EQ(board->RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(ValueRows(*board), c.expected);
    EXPECT_EQ(Problems(*board), "");
    EXPECT_EQ(board->gpio.Writes(), 0u);
    if (c.check) {
      c.check(*board);
    }
  }
}

// A run that ended before the page was registered leaves nothing behind.
void ExpectNothingRegistered(const sim::SimulatedBoard &board) {
  EXPECT_EQ(board.PageHandle(), nullptr);
  EXPECT_FALSE(board.PageDevicePathInstalled());
  EXPECT_EQ(board.hii.Handles().size(), 0u);
  EXPECT_EQ(Problems(board), "");
}

// The entry's own failures ----------------------------------------------------------

TEST(EntryFailures, DevicePathInstallFailureReturnsItsStatusAndRegistersNothing) {
  for (EFI_STATUS status : kErrors) {
    for (bool scribble : {false, true}) {
      SCOPED_TRACE(testing::Message() << std::hex << status << " scribble " << scribble);
      auto board = MakeBoard({{}, FailNth("BS.InstallMultipleProtocolInterfaces", 1, status, scribble)});
      const std::size_t handles = board->platform.handles().HandleCount();
      EXPECT_EQ(board->RunDriverEntry(), status);
      ExpectNothingRegistered(*board);
      EXPECT_EQ(board->platform.handles().HandleCount(), handles);
      EXPECT_EQ(board->platform.calls().CountOf("HII.*"), 0u);
    }
  }
}

TEST(EntryFailures, PathAlreadyOnAnotherHandleIsRefusedWithTheInstallStatus) {
  sim::SimulatedBoard board;
  board.platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, const_cast<PAGE_DEVICE_PATH *>(&mPageDevicePath));
  const std::size_t handles = board.platform.handles().HandleCount();
  EXPECT_EQ(board.RunDriverEntry(), EFI_ALREADY_STARTED);
  EXPECT_EQ(board.PageHandle(), nullptr);
  EXPECT_EQ(board.platform.handles().HandleCount(), handles);
  EXPECT_EQ(board.platform.calls().CountOf("HII.*"), 0u);
}

TEST(EntryFailures, RegistrationWithoutHandleIsOutOfResourcesAndRemovesTheDevicePath) {
  struct Target {
    const char *service;  // the first call of it fails
    const char *what;
  };
  const Target targets[] = {{"HII.NewPackageList", "the database refuses the list"},
                            {"BS.AllocatePool", "no pool for the list"}};
  for (const Target &target : targets) {
    for (EFI_STATUS status : kErrors) {
      for (bool scribble : {false, true}) {
        SCOPED_TRACE(testing::Message() << target.what << ", " << std::hex << status << " scribble " << scribble);
        auto board = MakeBoard({{}, FailNth(target.service, 1, status, scribble)});
        const std::size_t handles = board->platform.handles().HandleCount();
        EXPECT_EQ(board->RunDriverEntry(), EFI_OUT_OF_RESOURCES);
        ExpectNothingRegistered(*board);
        EXPECT_EQ(board->platform.handles().HandleCount(), handles);
        EXPECT_EQ(board->platform.calls().CountOf("BS.UninstallMultipleProtocolInterfaces"), 1u);
        EXPECT_EQ(board->platform.calls().CountOf("HII.SetString"), 0u);
      }
    }
  }
}

TEST(EntryFailures, FailedRemovalOfTheDevicePathDoesNotChangeTheResult) {
  auto board = MakeBoard({{}, [](sim::SimulatedBoard &b) {
                            b.platform.calls().FailNth("HII.NewPackageList", 1, EFI_DEVICE_ERROR);
                            b.platform.calls().FailNth("BS.UninstallMultipleProtocolInterfaces", 1, EFI_NOT_FOUND);
                          }});
  EXPECT_EQ(board->RunDriverEntry(), EFI_OUT_OF_RESOURCES);
  EXPECT_EQ(board->PageHandle(), nullptr);
  EXPECT_EQ(Problems(*board), "");
}

// Stand-ins for the HII protocols the driver keeps but never calls.
int g_config_routing_stand_in, g_font_stand_in, g_image_stand_in;

TEST(EntryFailures, HiiProtocolLookUpsFillOnlyThePointersThatWereFound) {
  struct Case {
    std::uint64_t failing;  // which LocateProtocol call fails, 1..5
    EFI_STATUS status;      // the entry's result
  };
  const Case cases[] = {{1, EFI_NOT_FOUND}, {2, EFI_NOT_FOUND}, {3, EFI_SUCCESS}, {4, EFI_SUCCESS}, {5, EFI_SUCCESS}};
  const Rows clean = CleanRun();
  for (const Case &c : cases) {
    for (bool scribble : {false, true}) {
      SCOPED_TRACE(testing::Message() << "look-up " << c.failing << " fails, scribble " << scribble);
      sim::SimulatedBoard board(sim::BoardFacts{.hii_config_routing = false, .hii_font = false, .hii_image = false});
      board.platform.Publish(EFI_HII_CONFIG_ROUTING_PROTOCOL_GUID, &g_config_routing_stand_in);
      board.platform.Publish(EFI_HII_FONT_PROTOCOL_GUID, &g_font_stand_in);
      board.platform.Publish(EFI_HII_IMAGE_PROTOCOL_GUID, &g_image_stand_in);
      board.platform.calls().FailNth("BS.LocateProtocol", c.failing, EFI_NOT_FOUND, scribble);
      EXPECT_EQ(board.RunDriverEntry(), c.status);

      const void *found[] = {gStringProtocol, gDatabaseProtocol, gConfigRoutingProtocol, gFontProtocol, gImageProtocol};
      const void *published[] = {board.hii.StringProtocol(), board.hii.DatabaseProtocol(), &g_config_routing_stand_in,
                                 &g_font_stand_in, &g_image_stand_in};
      for (std::uint64_t i = 0; i < 5; ++i) {
        EXPECT_EQ(found[i], i + 1 == c.failing ? nullptr : published[i]) << "pointer " << i + 1;
      }
      EXPECT_EQ(gSystemTable, board.platform.SystemTable());
      EXPECT_EQ(gBootServices, board.platform.BootServices());
      if (c.status == EFI_SUCCESS) {
        EXPECT_EQ(ValueRows(board), clean);
        EXPECT_EQ(Problems(board), "");
      } else {
        ExpectNothingRegistered(board);
        EXPECT_EQ(board.platform.calls().CountOf("BS.InstallMultipleProtocolInterfaces"), 0u);
      }
    }
  }
}

TEST(EntryFailures, BoardWithoutHiiDatabaseEndsBeforeInstallingAnything) {
  sim::SimulatedBoard board(sim::BoardFacts{.hii = false});
  EXPECT_EQ(board.RunDriverEntry(), EFI_NOT_FOUND);
  EXPECT_FALSE(board.PageDevicePathInstalled());
  EXPECT_EQ(board.platform.calls().CountOf("BS.InstallMultipleProtocolInterfaces"), 0u);
  EXPECT_EQ(board.platform.calls().CountOf("BS.LocateProtocol"), 5u);
  EXPECT_EQ(Problems(board), "");
}

// Firmware-version rows -------------------------------------------------------------

FIRMWARE_VERSION_PROTOCOL g_table_without_entry{};

// A firmware-version service that succeeds for every component but gives
// no text for one of them.
UINT32 g_textless_component = 0;
CHAR16 g_any_version[] = u"9.9.9";
EFI_STATUS EFIAPI TextlessVersion(UINT32 Component, CHAR16 **Version, UINT32 *) {
  *Version = Component == g_textless_component ? nullptr : g_any_version;
  return EFI_SUCCESS;
}
FIRMWARE_VERSION_PROTOCOL g_textless_table{{}, TextlessVersion};

std::vector<EFI_STRING_ID> FirmwareRows() {
  std::vector<EFI_STRING_ID> rows;
  for (const ComponentRow &c : kComponentRows) {
    rows.push_back(c.row);
  }
  return rows;
}

Rows WithFirmwareRows(Rows rows, const std::string &text) {
  for (EFI_STRING_ID id : FirmwareRows()) {
    rows[id] = text;
  }
  return rows;
}

TEST(FirmwareRowFailures, AbsentProtocolLeavesTheVersionRowsBlankAndStillSetsTheSources) {
  const auto absent = [](sim::BoardFacts &f) { f.firmware_versions = false; };
  const Rows blank = WithFirmwareRows(CleanRun(), kBlank);
  ExpectRows({
      {"not published", {absent, {}}, blank},
      {"published as a NULL interface", {absent, Publish(FIRMWARE_VERSION_PROTOCOL_GUID, nullptr)}, blank},
      {"its GetComponentVersion entry is NULL",
       {absent, Publish(FIRMWARE_VERSION_PROTOCOL_GUID, &g_table_without_entry)},
       blank},
  });
}

TEST(FirmwareRowFailures, OneFailingComponentShowsNotAvailableInItsRowOnly) {
  const Rows clean = CleanRun();
  std::vector<RowCase> cases;
  for (std::size_t k = 0; k < std::size(kComponentRows); ++k) {
    const ComponentRow c = kComponentRows[k];
    const EFI_STATUS status = kErrors[k % std::size(kErrors)];
    cases.push_back({"component " + std::to_string(c.component) + " fails",
                     {[=](sim::BoardFacts &f) { f.firmware_failures[c.component] = status; }, {}},
                     With(clean, {c.row}, "N/A")});
  }
  ExpectRows(cases);
}

TEST(FirmwareRowFailures, SuccessWithoutTextShowsNotAvailable) {
  const Rows found = WithFirmwareRows(CleanRun(), "9.9.9");
  for (const ComponentRow &c : kComponentRows) {
    SCOPED_TRACE(testing::Message() << "component " << c.component);
    g_textless_component = c.component;
    auto board = MakeBoard({[](sim::BoardFacts &f) { f.firmware_versions = false; },
                            Publish(FIRMWARE_VERSION_PROTOCOL_GUID, &g_textless_table)});
    EXPECT_EQ(board->RunDriverEntry(), EFI_SUCCESS);
    EXPECT_EQ(ValueRows(*board), With(found, {c.row}, "N/A"));
  }
}

TEST(FirmwareRowFailures, EveryComponentFailingShowsNotAvailableInAllEightRows) {
  const Rows expected = WithFirmwareRows(CleanRun(), "N/A");
  ExpectRows({
      {"every component fails", {[](sim::BoardFacts &f) { f.firmware_failures.fill(EFI_DEVICE_ERROR); }, {}}, expected},
      {"every call faulted with scribble",
       {{},
        [](sim::SimulatedBoard &b) { b.platform.calls().FailAlways("FW.GetComponentVersion", EFI_NOT_FOUND, true); }},
       expected},
  });
}

// Page string updates ---------------------------------------------------------------

TEST(PageStringFailures, FailedUpdatesAreIgnored) {
  Rows all_blank;
  for (EFI_STRING_ID id : mPageValueSlots) {
    all_blank[id] = kBlank;
  }
  std::vector<RowCase> cases;
  for (const char *service : {"HII.SetString", "HII.GetLanguages"}) {
    cases.push_back(
        {std::string("every ") + service + " fails",
         {{}, [=](sim::SimulatedBoard &b) { b.platform.calls().FailAlways(service, EFI_DEVICE_ERROR, true); }},
         all_blank});
  }
  ExpectRows(cases);
}

// Hardware rows ---------------------------------------------------------------------

TEST(HardwareRowFailures, MissingMemoryInformationLeavesTheWholeSectionBlank) {
  Rows blank = CleanRun();
  for (EFI_STRING_ID id : kHardwareRows) {
    blank[id] = kBlank;
  }
  // Nothing else of the section is asked for: no PD exchange, no strap read.
  const auto nothing_read = [](sim::SimulatedBoard &board) {
    EXPECT_TRUE(board.i2c.Requests().empty());
    EXPECT_TRUE(GpioReads(board).empty());
  };
  ExpectRows({
      {"not published", Facts([](sim::BoardFacts &f) { f.memory_info = false; }), blank, nothing_read},
      {"record pointer NULL", Facts([](sim::BoardFacts &f) { f.memory_record_null = true; }), blank, nothing_read},
      {"published as a NULL interface",
       {[](sim::BoardFacts &f) { f.memory_info = false; }, Publish(MEMORY_INFO_PROTOCOL_GUID, nullptr)},
       blank,
       nothing_read},
  });
}

TEST(HardwareRowFailures, UnreadablePdVersionShowsUndefined) {
  const Rows expected = With(CleanRun(), {STRING_PD_VERSION_VALUE}, "Undefined");
  std::vector<RowCase> cases = {
      {"no PD controller", Facts([](sim::BoardFacts &f) { f.pd_present = false; }), expected},
      {"no I2C bus", Facts([](sim::BoardFacts &f) { f.i2c_bus = false; }), expected},
  };
  for (unsigned request : {1u, 2u, 3u}) {
    cases.push_back({"request " + std::to_string(request) + " NACKed",
                     Facts([=](sim::BoardFacts &f) { f.pd_nack_request = request; }), expected});
  }
  // Both fields of the status byte count: bits 7..6 must be 01, bits 5..0 0x0B.
  for (UINT8 status : {0xCB, 0x0B, 0x8B, 0x4A, 0x4C, 0x00, 0xFF}) {
    cases.push_back({"status byte " + std::to_string(status),
                     Facts([=](sim::BoardFacts &f) { f.pd_status_byte = status; }), expected});
  }
  for (UINT8 length : {0, 10, 12, 0xFF}) {
    cases.push_back({"reply length " + std::to_string(length),
                     Facts([=](sim::BoardFacts &f) { f.pd_reply_length = length; }), expected});
  }
  ExpectRows(cases);
}

TEST(HardwareRowFailures, UnreadableStrapLeavesMemoryChipBlank) {
  const Rows expected = With(CleanRun(), {STRING_MEMORY_CHIP_VALUE}, kBlank);
  std::vector<RowCase> cases;
  for (unsigned strap = 0; strap < sim::kStrapPins.size(); ++strap) {
    const std::string pin = std::to_string(sim::kStrapPins[strap]);
    cases.push_back({"pin " + pin + " serves another function",
                     {[=](sim::BoardFacts &f) { f.strap_pin_not_gpio = strap; }, {}},
                     expected});
    cases.push_back(
        {"pin " + pin + " is an output", {[=](sim::BoardFacts &f) { f.strap_pin_output = strap; }, {}}, expected});
  }
  ExpectRows(cases);
}

}  // namespace
}  // namespace entry_test
