// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  for (UINTN Offset = 0; Offset < PAGE_SIZE; Offset += 4) {
    WriteRegister(Base, Offset, 0);
  }
  WriteRegister(Base, MODE_REGISTER, MODE_NOISE & ~StrapMask);
  WriteRegister(Base, DIRECTION_REGISTER, ~OUTPUT_NOISE | StrapMask);
  WriteRegister(Base, INPUT_REGISTER, (LEVEL_NOISE & ~StrapMask) | StrapLevels);
}

}  // namespace

EFI_STATUS PublishGpioBlocks(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario) {
  UINT32 StrapMask = 0;
  UINT32 StrapLevels = 0;
  for (UINTN Index = 0; Index < sizeof(STRAP_BITS) / sizeof(STRAP_BITS[0]); ++Index) {
    StrapMask |= 1U << STRAP_BITS[Index];
    if ((Scenario->Straps >> Index) & 1) {
      StrapLevels |= 1U << STRAP_BITS[Index];
    }
  }
  for (UINTN Controller = 0; Controller < GPIO_CONTROLLER_COUNT; ++Controller) {
    EFI_PHYSICAL_ADDRESS Page = mGpioControllerBase[Controller];
    const EFI_STATUS Status = BootServices->AllocatePages(AllocateAddress, EfiBootServicesData, 1, &Page);
    if (EFI_ERROR(Status) || Page != mGpioControllerBase[Controller]) {
      static E2E_LINE Line;
      LineStart(&Line, "E2E-PLATFORM-ERROR cannot reserve GPIO block ");
      LineDecimal(&Line, Controller);
      LineAscii(&Line, " at 0x");
      LineHex(&Line, mGpioControllerBase[Controller], 8);
      LineAscii(&Line, " status 0x");
      LineHex(&Line, Status, 16);
      LineEmit(&Line);
      return EFI_ERROR(Status) ? Status : EFI_OUT_OF_RESOURCES;
    }
    const BOOLEAN Straps = Controller == STRAP_CONTROLLER;
    FillBlock(mGpioControllerBase[Controller], Straps ? StrapMask : 0, Straps ? StrapLevels : 0);
  }
  return EFI_SUCCESS;
}
