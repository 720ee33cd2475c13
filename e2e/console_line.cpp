// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "e2e/console_line.h"

#include "platform/console.h"

namespace {

EFI_SYSTEM_TABLE *gConsoleSystemTable = nullptr;
UINTN mConsoleUartBase = 0;

// PL011 data and flag registers; the flag register's bit 5 is "transmit
// FIFO full". The wait is bounded: a stuck UART costs output, not the boot.
constexpr UINTN UART_DATA = 0x00;
constexpr UINTN UART_FLAGS = 0x18;
constexpr UINT32 UART_TRANSMIT_FULL = 1U << 5;
constexpr UINTN UART_POLL_LIMIT = 100000;

constexpr CHAR8 HEX_DIGITS[] = "0123456789ABCDEF";

// Keeps room for the overflow marker and CR LF NUL.
constexpr UINTN LINE_LIMIT = E2E_LINE_CAPACITY - 5;

void Put(E2E_LINE *Line, CHAR16 Unit) {
  if (Line->Length >= LINE_LIMIT) {
    Line->Truncated = true;
    return;
  }
  Line->Text[Line->Length++] = Unit;
}

// Writes the line's units as bytes (the lines are ASCII) straight to the UART.
void UartWrite(const CHAR16 *Text) {
  auto *Uart = reinterpret_cast<volatile UINT32 *>(mConsoleUartBase);
  for (; *Text != 0; ++Text) {
    for (UINTN Poll = 0; Poll < UART_POLL_LIMIT && (Uart[UART_FLAGS / 4] & UART_TRANSMIT_FULL) != 0; ++Poll) {
    }
    Uart[UART_DATA / 4] = static_cast<UINT8>(*Text);
  }
}

}  // namespace

void ConsoleLineInit(EFI_SYSTEM_TABLE *SystemTable, UINTN UartBase) {
  gConsoleSystemTable = SystemTable;
  mConsoleUartBase = UartBase;
}

void LineStart(E2E_LINE *Line, const CHAR8 *Prefix) {
  Line->Length = 0;
  Line->Truncated = false;
  LineAscii(Line, Prefix);
}

void LineAscii(E2E_LINE *Line, const CHAR8 *Text) {
  for (; *Text != 0; ++Text) {
    Put(Line, static_cast<UINT8>(*Text));
  }
}

void LineDecimal(E2E_LINE *Line, UINT64 Value) {
  CHAR8 Digits[21];
  UINTN Count = 0;
  do {
    Digits[Count++] = static_cast<CHAR8>('0' + Value % 10);
    Value /= 10;
  } while (Value != 0);
  while (Count > 0) {
    Put(Line, static_cast<CHAR16>(Digits[--Count]));
  }
}

void LineHex(E2E_LINE *Line, UINT64 Value, UINTN Digits) {
  for (UINTN Index = Digits; Index > 0; --Index) {
    Put(Line, static_cast<CHAR16>(HEX_DIGITS[(Value >> (4 * (Index - 1))) & 0xF]));
  }
}

void LineEscaped(E2E_LINE *Line, const CHAR16 *Text) {
  for (; *Text != 0; ++Text) {
    const CHAR16 Unit = *Text;
    if (Unit == u'\\') {
      LineAscii(Line, "\\\\");
    } else if (Unit == u'\r') {
      LineAscii(Line, "\\r");
    } else if (Unit == u'\n') {
      LineAscii(Line, "\\n");
    } else if (Unit >= 0x20 && Unit <= 0x7E) {
      Put(Line, Unit);
    } else {
      LineAscii(Line, "\\u");
      LineHex(Line, Unit, 4);
    }
  }
}

void LineEmit(E2E_LINE *Line) {
  if (Line->Truncated) {
    Line->Text[Line->Length++] = u'\\';
    Line->Text[Line->Length++] = u'~';
  }
  Line->Text[Line->Length++] = u'\r';
  Line->Text[Line->Length++] = u'\n';
  Line->Text[Line->Length] = 0;
  if (mConsoleUartBase != 0) {
    UartWrite(Line->Text);
  } else if (gConsoleSystemTable != nullptr && gConsoleSystemTable->ConOut != nullptr) {
    gConsoleSystemTable->ConOut->OutputString(gConsoleSystemTable->ConOut, Line->Text);
  }
  Line->Length = 0;
  Line->Truncated = false;
}

void ConsoleMessage(const CHAR8 *Text) {
  static E2E_LINE Line;
  LineStart(&Line, Text);
  LineEmit(&Line);
}
