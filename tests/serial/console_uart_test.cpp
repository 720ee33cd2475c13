// SPDX-License-Identifier: BSD-2-Clause-Patent
// The console bring-up checked access by access against the register log.
#include <gtest/gtest.h>

#include <vector>

#include "boards/board_config.h"
#include "serial/console_uart.h"
#include "sim/pl011_model.h"
#include "sim/register_bus.h"

namespace {

using sim::Pl011Model;
using sim::RegisterAccess;

constexpr UINTN kCR = Pl011Model::kUARTCR, kLCRH = Pl011Model::kUARTLCRH, kIBRD = Pl011Model::kUARTIBRD,
                kFBRD = Pl011Model::kUARTFBRD, kFR = Pl011Model::kUARTFR, kECR = Pl011Model::kUARTRSR;

RegisterAccess Rd(UINTN offset, UINT32 value, std::uint64_t repeat = 1) {
  return RegisterAccess{false, CONSOLE_UART_BASE + offset, value, repeat};
}
RegisterAccess Wr(UINTN offset, UINT32 value) { return RegisterAccess{true, CONSOLE_UART_BASE + offset, value, 1}; }

// Flag register values as the model reports them.
constexpr UINT32 kBusy = Pl011Model::kRXFE | Pl011Model::kBUSY;
constexpr UINT32 kEmpty = Pl011Model::kRXFE | Pl011Model::kTXFE;

const std::vector<RegisterAccess> kProgramWrites = {Wr(kCR, 0),      Wr(kIBRD, 0x36), Wr(kFBRD, 0x10),
                                                    Wr(kLCRH, 0x70), Wr(kECR, 0),     Wr(kCR, 0x301)};

std::vector<RegisterAccess> Then(std::vector<RegisterAccess> head, const std::vector<RegisterAccess> &tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

class ConsoleUartTest : public testing::Test {
 protected:
  void SetUp() override {
    bus_.Map(CONSOLE_UART_BASE, 0x1000, &uart_, "uart");
    sim::SetCurrentBus(&bus_);
  }
  void TearDown() override {
    sim::SetCurrentBus(nullptr);
    EXPECT_TRUE(bus_.Violations().empty());
  }
  sim::RegisterBus bus_;
  Pl011Model uart_;
};

struct Scenario {
  const char *name;
  UINT32 cr, lcr_h, ibrd, fbrd;
  std::int64_t drain_after;
  std::vector<RegisterAccess> expected;
};

TEST_F(ConsoleUartTest, AccessSequencesMatchTheConfiguredTestAndReprogramming) {
  const Scenario scenarios[] = {
      {"already configured: four reads, no write",
       0x301,
       0x70,
       0x36,
       0x10,
       0,
       {Rd(kCR, 0x301), Rd(kLCRH, 0x70), Rd(kIBRD, 0x36), Rd(kFBRD, 0x10)}},
      {"enabled with TX and RX off still counts as configured",
       0x001,
       0x70,
       0x36,
       0x10,
       0,
       {Rd(kCR, 0x001), Rd(kLCRH, 0x70), Rd(kIBRD, 0x36), Rd(kFBRD, 0x10)}},
      {"disabled: only CR read, then drain and reprogram", 0x300, 0x70, 0x36, 0x10, 0,
       Then({Rd(kCR, 0x300), Rd(kFR, kEmpty)}, kProgramWrites)},
      {"break set: divisors not read", 0x301, 0x71, 0x36, 0x10, 0,
       Then({Rd(kCR, 0x301), Rd(kLCRH, 0x71), Rd(kFR, kEmpty)}, kProgramWrites)},
      {"FIFOs off: divisors not read", 0x301, 0x60, 0x36, 0x10, 0,
       Then({Rd(kCR, 0x301), Rd(kLCRH, 0x60), Rd(kFR, kEmpty)}, kProgramWrites)},
      {"wrong integer divisor", 0x301, 0x70, 0x1A, 0x10, 0,
       Then({Rd(kCR, 0x301), Rd(kLCRH, 0x70), Rd(kIBRD, 0x1A), Rd(kFR, kEmpty)}, kProgramWrites)},
      {"wrong fractional divisor", 0x301, 0x70, 0x36, 0x11, 0,
       Then({Rd(kCR, 0x301), Rd(kLCRH, 0x70), Rd(kIBRD, 0x36), Rd(kFBRD, 0x11), Rd(kFR, kEmpty)}, kProgramWrites)},
      {"drain waits for TXFE", 0x000, 0, 0, 0, 5,
       Then({Rd(kCR, 0), Rd(kFR, kBusy, 5), Rd(kFR, kEmpty)}, kProgramWrites)},
  };
  for (const Scenario &s : scenarios) {
    SCOPED_TRACE(s.name);
    bus_.ClearLog();
    uart_ = Pl011Model();
    uart_.Configure(s.cr, s.lcr_h, s.ibrd, s.fbrd);
    uart_.SetDrainAfterPolls(s.drain_after);
    InitConsoleUart();
    EXPECT_EQ(bus_.Log(), s.expected);
  }
}

TEST_F(ConsoleUartTest, ReprogrammingLeavesTheTargetConfigurationWhichThenCountsAsConfigured) {
  uart_.Configure(0, 0, 0, 0);
  InitConsoleUart();
  EXPECT_EQ(uart_.cr, 0x301u);
  EXPECT_EQ(uart_.lcr_h, 0x70u);
  EXPECT_EQ(uart_.ibrd, 0x36u);
  EXPECT_EQ(uart_.fbrd, 0x10u);
  bus_.ClearLog();
  InitConsoleUart();
  for (const RegisterAccess &access : bus_.Log()) {
    EXPECT_FALSE(access.write);
  }
}

TEST_F(ConsoleUartTest, DrainWaitIsBoundedWhenTheFifoNeverEmpties) {
  uart_.Configure(0, 0, 0, 0);
  uart_.SetDrainAfterPolls(Pl011Model::kNeverDrains);
  InitConsoleUart();
  EXPECT_EQ(uart_.FlagReads(), CONSOLE_UART_DRAIN_POLL_LIMIT);
  EXPECT_EQ(bus_.Log(), Then({Rd(kCR, 0), Rd(kFR, kBusy, CONSOLE_UART_DRAIN_POLL_LIMIT)}, kProgramWrites));
}

TEST_F(ConsoleUartTest, DrainThatCompletesOnTheLastAllowedPollStillCounts) {
  uart_.Configure(0, 0, 0, 0);
  uart_.SetDrainAfterPolls(CONSOLE_UART_DRAIN_POLL_LIMIT - 1);
  InitConsoleUart();
  EXPECT_EQ(uart_.FlagReads(), CONSOLE_UART_DRAIN_POLL_LIMIT);
  EXPECT_EQ(bus_.Log(),
            Then({Rd(kCR, 0), Rd(kFR, kBusy, CONSOLE_UART_DRAIN_POLL_LIMIT - 1), Rd(kFR, kEmpty)}, kProgramWrites));
}

}  // namespace
