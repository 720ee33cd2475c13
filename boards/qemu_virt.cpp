// QEMU's virt machine standing in for a Q4M. The board's own UART and GPIO
// addresses fall in the variable-store flash and the PCIe window there, so
// the console is the virt PL011 and the GPIO blocks are RAM pages that the
// emulator run's platform driver reserves and fills.
//
// RAM starts at 0x40000000 (512 MiB in the emulator runs). The firmware
// takes its own memory from the top of RAM downward (0x5C000000 and up, with
// 0x5FF00000 inside its runtime data) and keeps a few regions near
// 0x44000000-0x48000000; 0x48000000-0x5C000000 stays free through the
// shell. The seven blocks are seven consecutive 4 KiB pages at 0x50000000,
// the middle of that free range, far from both ends.
#include "boards/board_config.h"

extern const CHAR16 mBoardName[] = u"Vemko Tarsa Q4M";
extern const UINTN CONSOLE_UART_BASE = 0x09000000;
extern const UINTN mGpioControllerBase[GPIO_CONTROLLER_COUNT] = {
    0x50000000, 0x50001000, 0x50002000, 0x50003000, 0x50004000, 0x50005000, 0x50006000,
};
