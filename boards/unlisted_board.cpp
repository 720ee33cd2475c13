// A test-only board whose name matches neither known board: the Q4M's
// name with its last letter in lower case, otherwise the Q4M's addresses.
// The name comparison is exact, so this board has no strap table.
#include "boards/board_config.h"

extern const CHAR16 mBoardName[] = u"Vemko Tarsa Q4m";
extern const UINTN CONSOLE_UART_BASE = 0x040E0000;
extern const UINTN mGpioControllerBase[GPIO_CONTROLLER_COUNT] = {
    0x16004000, 0x16005000, 0x16006000, 0x04120000, 0x04130000, 0x04140000, 0x04150000,
};
