// SPDX-License-Identifier: BSD-2-Clause-Patent
// Test platform driver for the emulator run: publishes what the board's
// other firmware drivers would (GPIO register blocks, memory information,
// firmware versions, the PD controller's I2C bus) with the facts of the
// scenario it was built for, then stays resident. Its last line names the
// PL011's integer baud divisor as it found it: the firmware leaves 0x27 and
// the System Information driver writes 0x36, so the line tells whether that
// driver had already run.
#include "boards/board_config.h"
#include "e2e/console_line.h"
#include "e2e/test_platform.h"

namespace {

struct PUBLISH_STEP {
  const CHAR8 *What;
  EFI_STATUS (*Publish)(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario);
};

constexpr UINTN UART_INTEGER_DIVISOR = 0x24;

constexpr PUBLISH_STEP STEPS[] = {
    {"GPIO blocks", PublishGpioBlocks},
    {"memory information", PublishMemoryInfo},
    {"firmware versions", PublishFirmwareVersions},
    {"PD buses", PublishPdBuses},
};

}  // namespace

extern "C" EFI_STATUS EFIAPI E2ePlatformEntry(EFI_HANDLE, EFI_SYSTEM_TABLE *SystemTable) {
  ConsoleLineInit(SystemTable, CONSOLE_UART_BASE);
  static E2E_LINE Line;
  for (const PUBLISH_STEP &Step : STEPS) {
    const EFI_STATUS Status = Step.Publish(SystemTable->BootServices, &mScenario);
    if (EFI_ERROR(Status)) {
      LineStart(&Line, "E2E-PLATFORM-ERROR ");
      LineAscii(&Line, Step.What);
      LineAscii(&Line, " status 0x");
      LineHex(&Line, Status, 16);
      LineEmit(&Line);
      return Status;
    }
  }
  LineStart(&Line, "E2E-PLATFORM-READY ");
  LineEscaped(&Line, mScenario.Name);
  LineAscii(&Line, " ibrd=0x");
  LineHex(&Line, *reinterpret_cast<volatile UINT32 *>(CONSOLE_UART_BASE + UART_INTEGER_DIVISOR), 2);
  LineEmit(&Line);
  return EFI_SUCCESS;
}
