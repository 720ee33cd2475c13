// GPIO register blocks for the emulator run. QEMU's virt machine has no
// such controllers, so the blocks are RAM pages at the addresses the
// qemu-virt board configuration names, reserved here so nothing else lands
// in them. The strap lines are inputs at the scenario's levels; every other
// line carries a fixed pattern of modes, directions and levels so that a
// read of the wrong bit or register shows on the page.
#include "boards/board_config.h"
#include "e2e/console_line.h"
#include "e2e/test_platform.h"

namespace {

constexpr UINTN PAGE_SIZE = 0x1000;
constexpr UINTN MODE_REGISTER = 0x00;
constexpr UINTN DIRECTION_REGISTER = 0x04;
constexpr UINTN INPUT_REGISTER = 0x10;

// The straps sit on controller 3 (pins 43..74 are its bits 0..31): strap
// value bit i is the level of this bit.
constexpr UINTN STRAP_CONTROLLER = 3;
constexpr UINT32 STRAP_BITS[] = {49 - 43, 50 - 43, 57 - 43, 60 - 43};

constexpr UINT32 MODE_NOISE = 0xA5A5A5A5;
constexpr UINT32 OUTPUT_NOISE = 0x0F0F0F0F;
constexpr UINT32 LEVEL_NOISE = 0x5A5A5A5A;

void WriteRegister(UINTN Base, UINTN Offset, UINT32 Value) {
  *reinterpret_cast<volatile UINT32 *>(Base + Offset) = Value;
}

void FillBlock(UINTN Base, UINT32 StrapMask, UINT32 StrapLevels) {
  for (UINTN offset = 0; offset < PAGE_SIZE; offset += 4) {
    WriteRegister(Base, offset, 0);
  }
  WriteRegister(Base, MODE_REGISTER, MODE_NOISE & ~StrapMask);
  WriteRegister(Base, DIRECTION_REGISTER, ~OUTPUT_NOISE | StrapMask);
  WriteRegister(Base, INPUT_REGISTER, (LEVEL_NOISE & ~StrapMask) | StrapLevels);
}

}  // namespace

EFI_STATUS PublishGpioBlocks(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario) {
  UINT32 strapMask = 0;
  UINT32 strapLevels = 0;
  for (UINTN Index = 0; Index < sizeof(STRAP_BITS) / sizeof(STRAP_BITS[0]); ++Index) {
    strapMask |= 1U << STRAP_BITS[Index];
    if ((Scenario->Straps >> Index) & 1) {
      strapLevels |= 1U << STRAP_BITS[Index];
    }
  }
  for (UINTN controller = 0; controller < GPIO_CONTROLLER_COUNT; ++controller) {
    EFI_PHYSICAL_ADDRESS page = mGpioControllerBase[controller];
    const EFI_STATUS status = BootServices->AllocatePages(AllocateAddress, EfiBootServicesData, 1, &page);
    if (EFI_ERROR(status) || page != mGpioControllerBase[controller]) {
      static E2E_LINE line;
      LineStart(&line, "E2E-PLATFORM-ERROR cannot reserve GPIO block ");
      LineDecimal(&line, controller);
      LineAscii(&line, " at 0x");
      LineHex(&line, mGpioControllerBase[controller], 8);
      LineAscii(&line, " status 0x");
      LineHex(&line, status, 16);
      LineEmit(&line);
      return EFI_ERROR(status) ? status : EFI_OUT_OF_RESOURCES;
    }
    const BOOLEAN straps = controller == STRAP_CONTROLLER;
    FillBlock(mGpioControllerBase[controller], straps ? strapMask : 0, straps ? strapLevels : 0);
  }
  return EFI_SUCCESS;
}
