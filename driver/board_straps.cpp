// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "driver/board_straps.h"

#include "boards/board_config.h"
#include "driver/gpio_pin_map.h"
#include "text/register.h"

namespace {

// Marks a level that ReadGpioPin did not fill in.
constexpr UINT32 LEVEL_UNREAD = 0xFF;

EFI_STATUS FailStraps(UINT32 *Value, EFI_STATUS Status) {
  if (Value != nullptr) {
    *Value = BOARD_STRAPS_UNREADABLE;
  }
  return Status;
}

}  // namespace

EFI_STATUS ReadGpioPin(UINT32 Pin, UINT32 *Level) {
  if (Level == nullptr || Pin >= GPIO_PIN_COUNT) {
    return EFI_INVALID_PARAMETER;
  }
  const GPIO_PIN_MAP_ENTRY &Row = mPinMap.Row[Pin];
  if (Row.Controller == GPIO_NO_CONTROLLER) {
    return EFI_DEVICE_ERROR;
  }
  if (Row.Controller >= GPIO_CONTROLLER_COUNT) {
    return EFI_INVALID_PARAMETER;
  }
  const UINTN Base = mGpioControllerBase[Row.Controller];
  const UINT32 Mask = GpioPinMask(Row);
  if ((RegRead32(Base + GPIO_MODE_REGISTER) & Mask) != 0) {
    return EFI_DEVICE_ERROR;  // the pin serves another function
  }
  if ((RegRead32(Base + GPIO_DIRECTION_REGISTER) & Mask) == 0) {
    return EFI_DEVICE_ERROR;  // an output: its input level means nothing
  }
  *Level = (RegRead32(Base + GPIO_INPUT_REGISTER) & Mask) != 0 ? 1 : 0;
  return EFI_SUCCESS;
}

EFI_STATUS ReadBoardStraps(const UINT32 *Pins, UINT32 Count, UINT32 *Value) {
  // Count above 32 would shift past the value's width.
  if (Pins == nullptr || Value == nullptr || Count == 0 || Count > BOARD_STRAPS_MAX) {
    return FailStraps(Value, EFI_INVALID_PARAMETER);
  }
  *Value = 0;
  for (UINT32 Index = 0; Index < Count; ++Index) {
    UINT32 Level = LEVEL_UNREAD;
    const EFI_STATUS Status = ReadGpioPin(Pins[Index], &Level);
    if (EFI_ERROR(Status)) {
      return FailStraps(Value, Status);
    }
    if (Level == LEVEL_UNREAD) {
      return FailStraps(Value, EFI_DEVICE_ERROR);
    }
    *Value |= Level << Index;
  }
  return EFI_SUCCESS;
}
