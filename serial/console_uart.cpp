// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "serial/console_uart.h"

#include "boards/board_config.h"
#include "text/register.h"

namespace {

// PL011 register offsets.
constexpr UINT32 UARTECR = 0x04;
constexpr UINT32 UARTFR = 0x18;
constexpr UINT32 UARTIBRD = 0x24;
constexpr UINT32 UARTFBRD = 0x28;
constexpr UINT32 UARTLCR_H = 0x2C;
constexpr UINT32 UARTCR = 0x30;

constexpr UINT32 UARTFR_TXFE = 0x80;

struct REGISTER_VALUE {
  UINT32 Offset;
  UINT32 Mask;
  UINT32 Value;
};

// The already-configured test, in read order: enabled, then 8N1 with FIFOs,
// then divisor 54 + 16/64. Only UARTEN of the control register counts.
constexpr REGISTER_VALUE CONFIGURED_CHECKS[] = {
    {UARTCR, 0x00000001, 0x00000001},
    {UARTLCR_H, 0xFFFFFFFF, 0x70},
    {UARTIBRD, 0xFFFFFFFF, 0x36},
    {UARTFBRD, 0xFFFFFFFF, 0x10},
};

// Reprogramming, in write order: disable, divisors, then line control
// (which latches the divisors), clear receive errors, enable UART/TX/RX.
constexpr REGISTER_VALUE PROGRAM_SEQUENCE[] = {
    {UARTCR, 0, 0x000},   {UARTIBRD, 0, 0x36}, {UARTFBRD, 0, 0x10},
    {UARTLCR_H, 0, 0x70}, {UARTECR, 0, 0x00},  {UARTCR, 0, 0x301},
};

bool AlreadyConfigured(UINTN Base) {
  for (const REGISTER_VALUE &Check : CONFIGURED_CHECKS) {
    if ((RegRead32(Base + Check.Offset) & Check.Mask) != Check.Value) {
      return false;
    }
  }
  return true;
}

// Waits for the transmit FIFO to empty so no queued character is cut short,
// giving up after CONSOLE_UART_DRAIN_POLL_LIMIT reads.
void WaitForTransmitDrain(UINTN Base) {
  for (UINT32 Poll = 0; Poll < CONSOLE_UART_DRAIN_POLL_LIMIT; ++Poll) {
    if ((RegRead32(Base + UARTFR) & UARTFR_TXFE) != 0) {
      return;
    }
  }
}

}  // namespace

void InitConsoleUart() {
  const UINTN Base = CONSOLE_UART_BASE;
  if (AlreadyConfigured(Base)) {
    return;
  }
  WaitForTransmitDrain(Base);
  for (const REGISTER_VALUE &Write : PROGRAM_SEQUENCE) {
    RegWrite32(Base + Write.Offset, Write.Value);
  }
}
