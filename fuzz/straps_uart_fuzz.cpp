// SPDX-License-Identifier: BSD-2-Clause-Patent
// The driver's register readers against register devices whose reads come
// from the input: ReadGpioPin and ReadBoardStraps with arbitrary pins,
// counts and GPIO register contents, and InitConsoleUart with arbitrary
// UART register contents and transmit-FIFO behaviour. Every access goes
// through the simulated register bus, whose log is checked access by
// access against a model.
//
// Checks:
// - GPIO: only reads, only of the mode, direction and input registers of
//   the pin's controller (from the board's wiring, not the driver's pin
//   map), in that order, stopping at the first that rules the pin out;
//   pins without a line or beyond the map read nothing; the level and
//   status match the model;
// - straps: the value is the OR of level i << i on success and 0xFFFFFFFF
//   on failure, the status the first failing pin's; invalid arguments read
//   nothing; the pin array is read only within Count (exactly-sized block);
// - UART: either exactly the configured-check reads (UARTCR, UARTLCR_H,
//   UARTIBRD, UARTFBRD, stopping at the first mismatch) and no write, or
//   the check prefix, flag-register reads up to the first with TXFE set but
//   never more than the poll limit, then exactly the six writes in order;
// - no access outside the mapped devices, none misaligned.
//
// Input: up to four operations, each an operation byte and its arguments;
// register reads take the next four input bytes when they happen (GPIO
// registers, UART configuration registers). A UART operation first takes a
// drain byte (polls before TXFE; 0xFF: the FIFO never drains) and the other
// flag bits.
//
// A FIFO that never drains costs the full poll limit of bus reads, 0.55 to
// 0.9 s per input in this build, and libFuzzer tries the byte 0xFF
// often. Such a request therefore runs as asked only while never-draining
// runs have taken under 2% of the process's time so far (the first one
// always runs, so a saved input reproduces on its own); otherwise the FIFO
// drains after 255 polls.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

#include "boards/board_config.h"
#include "driver/board_straps.h"
#include "fuzz/exact_block.h"
#include "fuzz/fuzz_input.h"
#include "serial/console_uart.h"
#include "sim/gpio_model.h"
#include "sim/register_bus.h"

namespace {

using fuzz::FuzzInput;
using fuzz::Require;

constexpr std::size_t kMaxOperations = 4;
constexpr UINT32 kMaxStrapCount = 40;  // beyond the 32 a value holds
constexpr UINT8 kNeverDrains = 0xFF;

// PL011 registers.
constexpr UINTN kUARTECR = 0x04, kUARTFR = 0x18, kUARTIBRD = 0x24, kUARTFBRD = 0x28, kUARTLCRH = 0x2C, kUARTCR = 0x30;
constexpr UINT32 kTXFE = 0x80;

// A device whose every read is the next four input bytes.
class InputRegisters : public sim::RegisterDevice {
 public:
  explicit InputRegisters(FuzzInput &in) : in_(in) {}
  UINT32 Read(UINTN) override { return in_.U32(); }
  void Write(UINTN, UINT32) override {}

 private:
  FuzzInput &in_;
};

// The console UART: configuration registers from the input; the flag
// register reports TXFE from the (polls + 1)-th read of an operation on,
// or never, with the other flag bits as chosen.
class InputUart : public sim::RegisterDevice {
 public:
  explicit InputUart(FuzzInput &in) : in_(in) {}
  void Drain(UINT8 polls, UINT32 other_flags) {
    polls_ = polls;
    flags_ = other_flags & ~kTXFE;
    flag_reads_ = 0;
  }
  std::uint64_t FlagReads() const { return flag_reads_; }
  UINT32 Read(UINTN offset) override {
    if (offset != kUARTFR) {
      return in_.U32();
    }
    const bool drained = polls_ != kNeverDrains && flag_reads_ >= polls_;
    ++flag_reads_;
    return flags_ | (drained ? kTXFE : 0);
  }
  void Write(UINTN, UINT32) override {}

 private:
  FuzzInput &in_;
  UINT8 polls_ = 0;
  UINT32 flags_ = 0;
  std::uint64_t flag_reads_ = 0;
};

// Keeps never-draining runs to a small share of the process's time.
class NeverDrainBudget {
 public:
  using Clock = std::chrono::steady_clock;

  bool Allow() {
    const Clock::duration elapsed = Clock::now() - start_;
    return runs_ == 0 || spent_ * 50 < elapsed;
  }
  void Spend(Clock::duration time) {
    ++runs_;
    spent_ += time;
  }

 private:
  Clock::time_point start_ = Clock::now();
  Clock::duration spent_{};
  std::uint64_t runs_ = 0;
};

// Walks the bus log one access at a time, unfolding repeated reads.
class LogCursor {
 public:
  explicit LogCursor(const std::vector<sim::RegisterAccess> &log) : log_(log) {}

  std::optional<sim::RegisterAccess> Next() {
    if (at_ == log_.size()) {
      return std::nullopt;
    }
    sim::RegisterAccess access = log_[at_];
    access.repeat = 1;
    if (++taken_ == log_[at_].repeat) {
      ++at_;
      taken_ = 0;
    }
    return access;
  }

  // The next access, which must be a read of `address`; returns its value.
  UINT32 Read(UINTN address, const char *what) {
    const std::optional<sim::RegisterAccess> access = Next();
    Require(access && !access->write && access->address == address, what);
    return access->value;
  }

  // `count` reads of `address` in a row, taken a folded log entry at a time.
  void ReadMany(UINTN address, std::uint64_t count, const char *what) {
    while (count > 0) {
      Require(at_ < log_.size() && !log_[at_].write && log_[at_].address == address, what);
      const std::uint64_t take = std::min(count, log_[at_].repeat - taken_);
      count -= take;
      taken_ += take;
      if (taken_ == log_[at_].repeat) {
        ++at_;
        taken_ = 0;
      }
    }
  }

  void Write(UINTN address, UINT32 value, const char *what) {
    const std::optional<sim::RegisterAccess> access = Next();
    Require(access && access->write && access->address == address && access->value == value, what);
  }

  bool AtEnd() const { return at_ == log_.size(); }

 private:
  const std::vector<sim::RegisterAccess> &log_;
  std::size_t at_ = 0;
  std::uint64_t taken_ = 0;
};

// One pin as the model reads it from the log: status and level.
EFI_STATUS ModelPin(UINT32 pin, LogCursor &log, UINT32 *level) {
  if (pin >= sim::GpioBank::kPinCount) {
    return EFI_INVALID_PARAMETER;
  }
  const std::optional<sim::GpioLine> line = sim::GpioBank::LineOf(pin);
  if (!line) {
    return EFI_DEVICE_ERROR;
  }
  const UINTN base = mGpioControllerBase[line->controller];
  const UINT32 mask = 1u << line->bit;
  if (log.Read(base + GPIO_MODE_REGISTER, "GPIO access other than the pin's mode register") & mask) {
    return EFI_DEVICE_ERROR;
  }
  if (!(log.Read(base + GPIO_DIRECTION_REGISTER, "GPIO access other than the pin's direction register") & mask)) {
    return EFI_DEVICE_ERROR;
  }
  *level = (log.Read(base + GPIO_INPUT_REGISTER, "GPIO access other than the pin's input register") & mask) ? 1 : 0;
  return EFI_SUCCESS;
}

UINT32 ReadPin(FuzzInput &in) {
  const UINT8 pin = in.Byte();
  return pin == 0xFF ? in.U32() : pin;
}

void CheckGpioPin(FuzzInput &in, sim::RegisterBus &bus) {
  const UINT32 pin = ReadPin(in);
  const bool null_level = (in.Byte() & 1) != 0;
  UINT32 level = 0xAA;
  const EFI_STATUS status = ReadGpioPin(pin, null_level ? nullptr : &level);

  LogCursor log(bus.Log());
  UINT32 expected_level = 0;
  const EFI_STATUS expected = null_level ? EFI_INVALID_PARAMETER : ModelPin(pin, log, &expected_level);
  Require(log.AtEnd(), "ReadGpioPin made accesses the model does not");
  Require(status == expected, "ReadGpioPin's status differs from the model's");
  Require(EFI_ERROR(status) || level == expected_level, "ReadGpioPin's level differs from the input register's bit");
}

void CheckStraps(FuzzInput &in, sim::RegisterBus &bus) {
  const UINT8 shape = in.Byte();
  const UINT32 count = in.Byte() % (kMaxStrapCount + 1);
  std::vector<UINT32> pins;
  for (UINT32 i = 0; i < count; ++i) {
    pins.push_back(ReadPin(in));
  }
  std::vector<UINT8> bytes(pins.size() * sizeof(UINT32));
  if (!pins.empty()) {
    std::memcpy(bytes.data(), pins.data(), bytes.size());
  }
  const fuzz::ExactBlock block(bytes, 4 * ((shape >> 2) & 1));  // 4- or 8-aligned
  const bool null_pins = (shape & 1) != 0;
  const bool null_value = (shape & 2) != 0;
  UINT32 value = 0x12345678;
  const EFI_STATUS status = ReadBoardStraps(null_pins ? nullptr : reinterpret_cast<const UINT32 *>(block.data()), count,
                                            null_value ? nullptr : &value);

  LogCursor log(bus.Log());
  EFI_STATUS expected = EFI_SUCCESS;
  UINT32 expected_value = 0;
  if (null_pins || null_value || count == 0 || count > 32) {
    expected = EFI_INVALID_PARAMETER;
  } else {
    for (UINT32 i = 0; i < count && !EFI_ERROR(expected); ++i) {
      UINT32 level = 0;
      expected = ModelPin(pins[i], log, &level);
      expected_value |= level << i;
    }
  }
  if (EFI_ERROR(expected)) {
    expected_value = 0xFFFFFFFF;
  }
  Require(log.AtEnd(), "ReadBoardStraps made accesses the model does not");
  Require(status == expected, "ReadBoardStraps's status is not the first failing pin's");
  Require(null_value || value == expected_value,
          "the strap value is not the OR of the levels (or all ones on failure)");
}

void CheckUart(FuzzInput &in, sim::RegisterBus &bus, InputUart &uart) {
  static NeverDrainBudget budget;
  UINT8 polls = in.Byte();
  const bool never = polls == kNeverDrains && budget.Allow();
  if (polls == kNeverDrains && !never) {
    polls = kNeverDrains - 1;
  }
  uart.Drain(polls, in.U32());
  const auto start = std::chrono::steady_clock::now();
  InitConsoleUart();
  if (never) {
    budget.Spend(std::chrono::steady_clock::now() - start);
    fuzz::Trace("the FIFO never drained: %llu flag reads\n", static_cast<unsigned long long>(uart.FlagReads()));
  }

  LogCursor log(bus.Log());
  const UINTN base = CONSOLE_UART_BASE;
  const bool configured = (log.Read(base + kUARTCR, "the configured check does not start with UARTCR") & 1) &&
                          log.Read(base + kUARTLCRH, "UARTLCR_H not read second") == 0x70 &&
                          log.Read(base + kUARTIBRD, "UARTIBRD not read third") == 0x36 &&
                          log.Read(base + kUARTFBRD, "UARTFBRD not read fourth") == 0x10;
  if (!configured) {
    const std::uint64_t expected_polls = polls == kNeverDrains
                                             ? CONSOLE_UART_DRAIN_POLL_LIMIT
                                             : std::min<std::uint64_t>(polls + 1, CONSOLE_UART_DRAIN_POLL_LIMIT);
    log.ReadMany(base + kUARTFR, expected_polls, "the drain does not poll UARTFR until TXFE (or the limit)");
    log.Write(base + kUARTCR, 0x000, "reprogramming does not begin by disabling the UART");
    log.Write(base + kUARTIBRD, 0x36, "UARTIBRD not written 0x36 second");
    log.Write(base + kUARTFBRD, 0x10, "UARTFBRD not written 0x10 third");
    log.Write(base + kUARTLCRH, 0x70, "UARTLCR_H not written 0x70 after the divisors");
    log.Write(base + kUARTECR, 0x000, "receive errors not cleared fifth");
    log.Write(base + kUARTCR, 0x301, "the UART not enabled last with 0x301");
  }
  Require(log.AtEnd(), "InitConsoleUart made accesses beyond its sequence");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in(data, size);
  sim::RegisterBus bus;
  InputRegisters gpio(in);
  InputUart uart(in);
  // The UART first: the bus tries windows in order, and a UART that never
  // drains is polled millions of times.
  bus.Map(CONSOLE_UART_BASE, 0x1000, &uart, "uart");
  for (UINTN base : mGpioControllerBase) {
    bus.Map(base, sim::GpioControllerModel::kBlockSize, &gpio, "gpio");
  }
  sim::SetCurrentBus(&bus);

  for (std::size_t op = 0; op < kMaxOperations && in.Remaining() > 0; ++op) {
    bus.ClearLog();
    switch (in.Byte() % 3) {
      case 0:
        CheckGpioPin(in, bus);
        break;
      case 1:
        CheckStraps(in, bus);
        break;
      default:
        CheckUart(in, bus, uart);
        break;
    }
    Require(bus.Violations().empty(), "an access outside the devices or misaligned");
  }
  sim::SetCurrentBus(nullptr);
  return 0;
}
