// SPDX-License-Identifier: BSD-2-Clause-Patent
// Whole runs of the simulator: exit codes, fault scenarios, the trace, the
// exported package list and the hand-over to another board's executable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/guids.h"
#include "serial/console_uart.h"
#include "tests/tools/tool_harness.h"
#include "tools/fault_rules.h"
#include "tools/status_names.h"

namespace {

using tool_test::RowValue;
using tool_test::RunTool;
using tool_test::ToolResult;

bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

TEST(ToolExit, StatusOfTheEntryAndProblemsDecideTheExitCode) {
  struct Case {
    std::vector<std::string> args;
    std::string status;  // as printed, or "" for a problem run
    int exit_code;
  };
  const Case cases[] = {
      {{}, "EFI_SUCCESS", 0},
      {{"--no-hii"}, "EFI_NOT_FOUND", 24},
      {{"--no-hii-string"}, "EFI_NOT_FOUND", 24},
      {{"--no-hii-database"}, "EFI_NOT_FOUND", 24},
      {{"--fail", "HII.NewPackageList"}, "EFI_OUT_OF_RESOURCES", 19},
      {{"--fail", "BS.AllocatePool:1:EFI_OUT_OF_RESOURCES:scribble"}, "EFI_OUT_OF_RESOURCES", 19},
      {{"--fail", "BS.InstallMultipleProtocolInterfaces:1:access-denied"}, "EFI_ACCESS_DENIED", 25},
      {{"--fail", "BS.InstallMultipleProtocolInterfaces:1:0x8000000000000100"}, "0x8000000000000100", 9},
      // A bus that reports success without sending the arming write makes
      // the PD controller see its status read out of order.
      {{"--fail", "I2C.StartRequest:1:EFI_SUCCESS"}, "", 3},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ToolResult result = RunTool(c.args);
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    if (c.status.empty()) {
      EXPECT_TRUE(Contains(result.err, "problem: ")) << result.err;
    } else {
      EXPECT_TRUE(Contains(result.out, "DriverEntry returned " + c.status)) << result.out;
    }
    EXPECT_EQ(Contains(result.out, "No System Information page is registered."), c.exit_code >= 9) << result.out;
  }
}

TEST(ToolExit, BadCommandLineExitsTwoWithAMessageAndNoPage) {
  for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
           {"--nope"}, {"--memory-mib", "x"}, {"--fail"}, {"--board", "q9"}, {"--json", "extra"}}) {
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.exit_code, sysinfo_tool::kExitUsage) << testing::PrintToString(args);
    EXPECT_TRUE(result.err.starts_with("sysinfo-sim: ")) << result.err;
    EXPECT_TRUE(Contains(result.err, "--help")) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(ToolExit, UnwritableOutputFileExitsOneBeforeRunning) {
  for (const char *option : {"--trace=/nonexistent-dir/trace.txt", "--export-packages=/nonexistent-dir/p.bin"}) {
    const ToolResult result = RunTool({option});
    EXPECT_EQ(result.exit_code, sysinfo_tool::kExitToolFailure) << option;
    EXPECT_TRUE(Contains(result.err, "cannot write /nonexistent-dir/")) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

// Every named scenario does what its description says.
TEST(FaultShortcuts, EachShowsItsEffect) {
  struct Case {
    std::string name;
    std::string label;  // a row, or "" to check the status only
    std::vector<std::string> value;
    int exit_code;
  };
  const std::vector<Case> cases = {
      {"no-hii", "", {}, 24},
      {"install-fails", "", {}, 30},
      {"register-fails", "", {}, 19},
      {"register-no-pool", "", {}, 19},
      {"firmware-absent", "SE Version", {""}, 0},
      {"firmware-one-fails", "PBL Version", {"N/A"}, 0},
      {"firmware-all-fail", "STMM Version", {"N/A"}, 0},
      {"set-string-fails", "edk2", {""}, 0},
      {"memory-absent", "Memory Chip", {""}, 0},
      {"pd-absent", "PD Version", {"Undefined"}, 0},
      {"pd-bus-missing", "PD Version", {"Undefined"}, 0},
      {"pd-wrong-bus", "PD Version", {"Undefined"}, 0},
      {"pd-exchange-fails", "PD Version", {"Undefined"}, 0},
      {"pd-not-ready", "PD Version", {"Undefined"}, 0},
      {"pd-bad-reply", "PD Version", {"Undefined"}, 0},
      {"pd-no-pool", "PD Version", {"Undefined"}, 0},
      {"strap-fails", "Memory Chip", {""}, 0},
      {"languages-size-success", "Total Memory", {""}, 0},
      {"languages-no-pool", "Total Memory", {""}, 0},
      {"languages-read-fails", "Total Memory", {""}, 0},
      {"set-string-stops-walk", "Total Memory", {""}, 0},
      {"uart-never-drains", "Total Memory", {"16 GiB"}, 0},
  };
  ASSERT_EQ(cases.size(), sysinfo_tool::FaultShortcuts().size());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(sysinfo_tool::FindFaultShortcut(c.name), nullptr);
    const ToolResult result = RunTool({"--fault", c.name});
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_FALSE(Contains(result.err, "note:")) << result.err;  // every rule met its call
    if (!c.label.empty()) {
      EXPECT_EQ(RowValue(result.out, c.label), c.value) << result.out;
    }
  }
}

// Whichever single call fails, scribbling over its outputs, the driver
// ends with a page or an error status and leaves nothing behind.
TEST(FaultSweep, AnySingleFailedCallEndsCleanly) {
  const ToolResult plain = RunTool({"--trace=" + tool_test::TempPath("sweep-trace.txt")});
  ASSERT_EQ(plain.exit_code, 0);
  const std::string trace = tool_test::ReadFile(tool_test::TempPath("sweep-trace.txt"));
  const std::size_t at = trace.find("-- ");
  ASSERT_NE(at, std::string::npos);
  const unsigned calls = std::stoul(trace.substr(at + 3));
  ASSERT_GT(calls, 100u);
  for (unsigned n = 1; n <= calls; ++n) {
    const ToolResult result = RunTool({"--fail", "*:" + std::to_string(n) + ":EFI_DEVICE_ERROR:scribble"});
    EXPECT_NE(result.exit_code, sysinfo_tool::kExitProblems) << "call " << n << ": " << result.err;
    EXPECT_TRUE(Contains(result.out, "DriverEntry returned ")) << "call " << n;
  }
}

TEST(Trace, ListsCallsInOrderWithFoldedPolls) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> in_order;  // lines (parts of them) that must follow one another
    std::vector<std::string> absent;
    int exit_code = 0;
  };
  const std::string limit = std::to_string(CONSOLE_UART_DRAIN_POLL_LIMIT);
  const Case cases[] = {
      {{},
       {"REG.Read uart+0x30 -> 0x301", "REG.Read uart+0x18 -> ", " (x2)", "REG.Write uart+0x30 <- 0x0",
        "REG.Write uart+0x30 <- 0x301", "BS.LocateProtocol(HiiString) = EFI_SUCCESS",
        "BS.LocateProtocol(HiiDatabase) = EFI_SUCCESS", "BS.LocateProtocol(HiiConfigRouting) = EFI_SUCCESS",
        "BS.LocateProtocol(HiiFont) = EFI_SUCCESS", "BS.LocateProtocol(HiiImage) = EFI_SUCCESS",
        "BS.InstallMultipleProtocolInterfaces(DevicePath) = EFI_SUCCESS", "HII.NewPackageList(",
        "I2C.StartRequest(addr=0x72", "text=\"Boot: v2.1.0\\r\\nApp: v3.4.12\"", "REG.Read gpio3+0x10",
        "FW.GetComponentVersion(component=0)", "FW.GetComponentVersion(component=5)", "-- ", " faults injected"},
       {"[injected]"}},
      {{"--uart", "0x301,0x70,0x36,0x10"},
       {"REG.Read uart+0x28 -> 0x10", "BS.LocateProtocol(HiiString)"},
       {"REG.Write", "uart+0x18"}},
      {{"--uart-drain", "5"}, {"REG.Read uart+0x18 -> ", " (x5)", "REG.Read uart+0x18 -> ", "REG.Write uart+0x30"}, {}},
      {{"--uart-drain", "never"}, {"REG.Read uart+0x18 -> ", " (x" + limit + ")", "REG.Write uart+0x30 <- 0x0"}, {}},
      {{"--no-hii-font"},
       {"BS.LocateProtocol(HiiFont) = EFI_NOT_FOUND", "BS.LocateProtocol(HiiImage) = EFI_SUCCESS"},
       {}},
      {{"--fail", "HII.NewPackageList"},
       {"HII.NewPackageList(", "= EFI_DEVICE_ERROR [injected]", "BS.FreePool(",
        "BS.UninstallMultipleProtocolInterfaces(DevicePath) = EFI_SUCCESS", " 1 faults injected"},
       {"HII.SetString"},
       19},
      {{"--firmware-fail", "EC"},
       {"FW.GetComponentVersion(component=5) = EFI_DEVICE_ERROR", "id=34 lang=en-US text=\"N/A\""},
       {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::vector<std::string> args = c.args;
    args.push_back("--trace");
    const ToolResult result = RunTool(args);
    ASSERT_EQ(result.exit_code, c.exit_code) << result.err;
    std::size_t from = 0;
    for (const std::string &part : c.in_order) {
      const std::size_t at = result.err.find(part, from);
      ASSERT_NE(at, std::string::npos) << "'" << part << "' missing after offset " << from << " in\n" << result.err;
      from = at + part.size();
    }
    for (const std::string &part : c.absent) {
      EXPECT_FALSE(Contains(result.err, part)) << part;
    }
  }
}

TEST(Trace, GoesToTheFileWhenNamed) {
  const std::string path = tool_test::TempPath("trace.txt");
  const ToolResult result = RunTool({"--trace=" + path, "--fail", "HII.SetString:2"});
  ASSERT_EQ(result.exit_code, 0);
  const std::string trace = tool_test::ReadFile(path);
  EXPECT_TRUE(Contains(trace, "HII.SetString(")) << trace;
  EXPECT_TRUE(Contains(trace, "[injected]")) << trace;
  EXPECT_FALSE(Contains(result.err, "HII.SetString("));
}

std::string Ucs2Bytes(const std::string &ascii) {
  std::string bytes;
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

UINT32 Le32(const std::string &bytes, std::size_t at) {
  UINT32 value = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    value |= static_cast<UINT32>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
  }
  return value;
}

TEST(ExportPackages, WritesTheRegisteredListAsItIsNow) {
  const std::string path = tool_test::TempPath("packages.bin");
  const ToolResult result = RunTool({"--export-packages", path, "--firmware", "SE=7.7.7-exported"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::string bytes = tool_test::ReadFile(path);
  ASSERT_GE(bytes.size(), 1396u);
  EXPECT_EQ(std::memcmp(bytes.data(), &PAGE_GUID, sizeof(EFI_GUID)), 0);
  EXPECT_EQ(Le32(bytes, 16), bytes.size());
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\x04\x00\x00\xDF", 4));
  // The strings are those set at start-up, not the registered blanks.
  EXPECT_TRUE(Contains(bytes, Ucs2Bytes("7.7.7-exported")));
  EXPECT_TRUE(Contains(bytes, Ucs2Bytes("16 GiB (Hynix) | (Raw Value: 10)")));
  EXPECT_TRUE(Contains(bytes, Ucs2Bytes("System Information")));
}

TEST(ExportPackages, NothingRegisteredGivesAnEmptyFileAndANote) {
  const std::string path = tool_test::TempPath("packages-none.bin");
  const ToolResult result = RunTool({"--export-packages", path, "--fault", "register-fails"});
  EXPECT_EQ(result.exit_code, 19);
  EXPECT_EQ(tool_test::ReadFile(path), "");
  EXPECT_TRUE(Contains(result.err, "note: no page is registered")) << result.err;
}

TEST(Board, OtherBoardsAreHandedOverWithTheRemainingArguments) {
  struct Case {
    std::vector<std::string> args;
    std::string launched;  // "" when this executable runs the page itself
    std::vector<std::string> forwarded;
  };
  const Case cases[] = {
      {{"--board", "q4l", "--strap-value", "3"}, "q4l", {"--strap-value", "3"}},
      {{"--json", "--board=qemu-virt"}, "qemu-virt", {"--json"}},
      {{"--board", "unknown", "--help"}, "unknown", {"--help"}},
      {{"--board", tool_test::OwnBoard(), "--memory-mib", "8192"}, "", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ToolResult result = RunTool(c.args);
    if (c.launched.empty()) {
      EXPECT_TRUE(result.launches.empty());
      EXPECT_EQ(result.exit_code, 0);
      EXPECT_EQ(RowValue(result.out, "Total Memory"), std::vector<std::string>{"8 GiB"});
    } else {
      ASSERT_EQ(result.launches.size(), 1u);
      EXPECT_EQ(result.launches[0].board, c.launched);
      EXPECT_EQ(result.launches[0].args, c.forwarded);
      EXPECT_EQ(result.exit_code, tool_test::kLaunchExitCode);
      EXPECT_EQ(result.out, "");
    }
  }
}

TEST(Help, DocumentsOptionsBoardsAndExitCodes) {
  const ToolResult help = RunTool({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char *part : {"--memory-mib MIB", "--fail SERVICE[:N[:STATUS[:scribble]]]", "--trace[=FILE]",
                           "sysinfo-sim-q4l", "re-executes", "Exit status", "10+N", "I2C.StartRequest"}) {
    EXPECT_TRUE(Contains(help.out, part)) << part;
  }
  const ToolResult faults = RunTool({"--list-faults"});
  EXPECT_EQ(faults.exit_code, 0);
  for (const sysinfo_tool::FaultShortcut &shortcut : sysinfo_tool::FaultShortcuts()) {
    EXPECT_TRUE(Contains(faults.out, "  " + std::string(shortcut.name) + "\n")) << shortcut.name;
  }
}

}  // namespace
