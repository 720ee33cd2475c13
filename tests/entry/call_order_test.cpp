// SPDX-License-Identifier: BSD-2-Clause-Patent
// The order in which the entry reaches the platform: the console UART
// first, then the HII look-ups, the device path and the registration, then
// the rows section by section.
#include <gtest/gtest.h>

#include <optional>

#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

// One step of the entry as the trace shows it. Pool, language and handle
// look-ups serve a step and are not steps of their own.
std::optional<std::string> Step(const sim::CallRecord &call) {
  const std::string &s = call.service;
  if (s == "REG.Read" || s == "REG.Write") {
    return call.detail.rfind("uart", 0) == 0 ? "uart" : call.detail.rfind("gpio", 0) == 0 ? "gpio" : "register?";
  }
  if (s == "BS.LocateProtocol") {
    return "locate " + call.detail;
  }
  if (s == "BS.InstallMultipleProtocolInterfaces") {
    return "install " + call.detail;
  }
  if (s == "BS.UninstallMultipleProtocolInterfaces") {
    return "uninstall " + call.detail;
  }
  if (s == "HII.NewPackageList") {
    return "register";
  }
  if (s == "I2C.StartRequest") {
    return "pd";
  }
  if (s == "HII.SetString") {
    return "set " + DetailField(call.detail, "id");
  }
  if (s == "FW.GetComponentVersion") {
    return "fw " + DetailField(call.detail, "component");
  }
  return std::nullopt;
}

using StepList = std::vector<std::string>;

// The steps of a run, repeats of one step folded.
StepList Steps(sim::SimulatedBoard &board) {
  StepList steps;
  for (const sim::CallRecord &call : board.platform.calls().Records()) {
    const std::optional<std::string> step = Step(call);
    if (step && (steps.empty() || steps.back() != *step)) {
      steps.push_back(*step);
    }
  }
  return steps;
}

std::string Set(EFI_STRING_ID id) { return "set " + std::to_string(id); }

StepList Join(std::initializer_list<StepList> parts) {
  StepList all;
  for (const StepList &part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

const StepList kStart = {"uart",           "locate HiiString", "locate HiiDatabase", "locate HiiConfigRouting",
                         "locate HiiFont", "locate HiiImage",  "install DevicePath", "register"};
const StepList kHardware = {"locate MemoryInfo",
                            Set(STRING_TOTAL_MEMORY_VALUE),
                            Set(STRING_MEMORY_FREQUENCY_VALUE),
                            Set(STRING_PCB_SKU_VALUE),
                            "pd",
                            Set(STRING_PD_VERSION_VALUE),
                            "gpio",
                            Set(STRING_MEMORY_CHIP_VALUE)};
const StepList kSources = {Set(STRING_EDK2_ZUN_VALUE), Set(STRING_EDK2_VALUE), Set(STRING_EDK2_NON_OSI_VALUE),
                           Set(STRING_EDK2_PLATFORMS_VALUE)};

StepList Firmware() {
  StepList steps = {"locate FirmwareVersion"};
  for (const ComponentRow &c : kComponentRows) {
    steps.push_back("fw " + std::to_string(c.component));
    steps.push_back(Set(c.row));
  }
  return steps;
}

TEST(CallOrder, EntryStepsFollowTheStartUpSequence) {
  struct Case {
    const char *name;
    entry_test::Setup setup;
    StepList steps;
    std::vector<UINT32> components;  // as the firmware-version protocol was asked
  };
  const std::vector<UINT32> in_order = {0, 2, 3, 1, 4, 7, 6, 5};
  const Case cases[] = {
      {"every fact present", {}, Join({kStart, kHardware, Firmware(), kSources}), in_order},
      {"UART already configured",
       {[](sim::BoardFacts &f) {
          f.uart_ibrd = 0x36;
          f.uart_fbrd = 0x10;
        },
        {}},
       Join({kStart, kHardware, Firmware(), kSources}),
       in_order},
      {"no firmware-version protocol",
       {[](sim::BoardFacts &f) { f.firmware_versions = false; }, {}},
       Join({kStart, kHardware, {"locate FirmwareVersion"}, kSources}),
       {}},
      {"no memory information",
       {[](sim::BoardFacts &f) { f.memory_info = false; }, {}},
       Join({kStart, {"locate MemoryInfo"}, Firmware(), kSources}),
       in_order},
      {"registration refused",
       {{}, [](sim::SimulatedBoard &b) { b.platform.calls().FailNth("HII.NewPackageList", 1, EFI_DEVICE_ERROR); }},
       Join({kStart, {"uninstall DevicePath"}}),
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    auto board = MakeBoard(c.setup);
    board->platform.bus().AttachTrace(&board->platform.calls());
    board->RunDriverEntry();
    EXPECT_EQ(Steps(*board), c.steps);
    EXPECT_EQ(board->firmware.Calls(), c.components);
  }
}

}  // namespace
}  // namespace entry_test
