// SPDX-License-Identifier: BSD-2-Clause-Patent
// A PL011-compatible UART as the console bring-up sees it: divisor, line
// control and control registers, error clear, and a flag register whose
// transmit FIFO reports empty after a set number of polls, or never.
#pragma once

#include <cstdint>

#include "sim/register_bus.h"

namespace sim {

class Pl011Model : public RegisterDevice {
 public:
  static constexpr UINTN kUARTDR = 0x00, kUARTRSR = 0x04, kUARTFR = 0x18, kUARTIBRD = 0x24, kUARTFBRD = 0x28,
                         kUARTLCRH = 0x2C, kUARTCR = 0x30;
  static constexpr UINT32 kTXFE = 0x80, kRXFE = 0x10, kBUSY = 0x08;
  static constexpr std::int64_t kNeverDrains = -1;

  UINT32 cr = 0, lcr_h = 0, ibrd = 0, fbrd = 0, rsr = 0;

  // Set the registers as a previous stage left them.
  void Configure(UINT32 control, UINT32 line_control, UINT32 integer_divisor, UINT32 fractional_divisor);

  // The transmit FIFO reads as empty from the (polls + 1)-th flag read on;
  // kNeverDrains keeps it busy forever.
  void SetDrainAfterPolls(std::int64_t polls) { drain_after_ = polls; }
  std::uint64_t FlagReads() const { return flag_reads_; }

  UINT32 Read(UINTN offset) override;
  void Write(UINTN offset, UINT32 value) override;

 private:
  std::int64_t drain_after_ = 0;
  std::uint64_t flag_reads_ = 0;
};

}  // namespace sim
