// A board the driver was not written for: the Q4M's addresses under a name
// that matches neither known board, so the memory-chip row cannot choose a
// strap table. Simulator only.
#include "boards/board_config.h"

extern const CHAR16 mBoardName[] = u"Vemko Tarsa Q4N";
extern const UINTN CONSOLE_UART_BASE = 0x040E0000;
extern const UINTN mGpioControllerBase[GPIO_CONTROLLER_COUNT] = {
    0x16004000, 0x16005000, 0x16006000, 0x04120000, 0x04130000, 0x04140000, 0x04150000,
};
