// QEMU's virt machine standing in for a Q4M. The board's own UART and GPIO
// addresses fall in the variable-store flash and the PCIe window there, so
// the console is the virt PL011 and the GPIO blocks are RAM pages that the
// emulator run's platform driver reserves and fills.
#include "boards/board_config.h"

extern const CHAR16 mBoardName[] = u"Vemko Tarsa Q4M";
extern const UINTN CONSOLE_UART_BASE = 0x09000000;
extern const UINTN mGpioControllerBase[GPIO_CONTROLLER_COUNT] = {
    0x5FF00000, 0x5FF01000, 0x5FF02000, 0x5FF03000, 0x5FF04000, 0x5FF05000, 0x5FF06000,
};
