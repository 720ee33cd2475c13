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

struct RegisterValue {
  UINT32 Offset;
  UINT32 Mask;
  UINT32 Value;
};

// The already-configured test, in read order: enabled, then 8N1 with FIFOs,
// then divisor 54 + 16/64. Only UARTEN of the control register counts.
constexpr RegisterValue CONFIGURED_CHECKS[] = {
    {UARTCR, 0x00000001, 0x00000001},
    {UARTLCR_H, 0xFFFFFFFF, 0x70},
    {UARTIBRD, 0xFFFFFFFF, 0x36},
    {UARTFBRD, 0xFFFFFFFF, 0x10},
};

// Reprogramming, in write order: disable, divisors, then line control
// (which latches the divisors), clear receive errors, enable UART/TX/RX.
constexpr RegisterValue PROGRAM_SEQUENCE[] = {
    {UARTCR, 0, 0x000},   {UARTIBRD, 0, 0x36}, {UARTFBRD, 0, 0x10},
    {UARTLCR_H, 0, 0x70}, {UARTECR, 0, 0x00},  {UARTCR, 0, 0x301},
};

bool AlreadyConfigured(UINTN base) {
  for (const RegisterValue &check : CONFIGURED_CHECKS) {
    if ((RegRead32(base + check.Offset) & check.Mask) != check.Value) {
      return false;
    }
  }
  return true;
}

// Waits for the transmit FIFO to empty so no queued character is cut short,
// giving up after CONSOLE_UART_DRAIN_POLL_LIMIT reads.
void WaitForTransmitDrain(UINTN base) {
  for (UINT32 poll = 0; poll < CONSOLE_UART_DRAIN_POLL_LIMIT; ++poll) {
    if ((RegRead32(base + UARTFR) & UARTFR_TXFE) != 0) {
      return;
    }
  }
}

}  // namespace

void InitConsoleUart() {
  const UINTN base = CONSOLE_UART_BASE;
  if (AlreadyConfigured(base)) {
    return;
  }
  WaitForTransmitDrain(base);
  for (const RegisterValue &write : PROGRAM_SEQUENCE) {
    RegWrite32(base + write.Offset, write.Value);
  }
}
