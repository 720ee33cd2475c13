// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "driver/hardware_info.h"

#include "boards/board_config.h"
#include "driver/board_straps.h"
#include "driver/pd_version.h"
#include "hii/page_string.h"
#include "hii/page_strings.h"
#include "platform/guids.h"
#include "platform/module_globals.h"
#include "platform/platform_protocols.h"
#include "text/format.h"
#include "text/memory_ops.h"
#include "text/packed_texts.h"
#include "text/string_ops.h"

namespace {

constexpr UINTN VALUE_TEXT_SIZE = 128;  // bytes of 8-bit text, units of CHAR16 text

// One value on its way to the page: formatted as 8-bit text, then widened.
struct VALUE_TEXT {
  CHAR8 Ascii[VALUE_TEXT_SIZE];
  CHAR16 Wide[VALUE_TEXT_SIZE];
};

void ClearValueText(VALUE_TEXT *Text) { FillBytes(Text, 0, sizeof *Text); }

// Widens the formatted text and hands it to the page.
void ShowValueText(EFI_HII_HANDLE HiiHandle, EFI_STRING_ID StringId, VALUE_TEXT *Text) {
  WidenAscii(Text->Ascii, Text->Wide);
  SetPageString(HiiHandle, StringId, Text->Wide);
}

// Memory-chip variants by strap value, packed back to back with a NUL after
// each (one table of texts rather than a table of pointers keeps the image
// small). The two-strap board only tells a development sample (both straps
// high) from anything else. Four labels a line: values 0-3, 4-7, 8-11, 12-15.
// clang-format off
constexpr CHAR8 mFourStrapLabels[] =
    "4 GiB\0" "4 GiB (Hynix)\0" "2 GiB\0" "12 GiB (Hynix)\0"
    "Undefined\0" "3 GiB\0" "8 GiB (Hive)\0" "6 GiB (Hive)\0"
    "8 GiB (V1.1)\0" "12 GiB (Hive)\0" "16 GiB (Hynix)\0" "8 GiB (Samsung)\0"
    "16 GiB (Rayson)\0" "4 GiB (Hive)\0" "8 GiB (Hynix)\0" "Development Sample\0";
constexpr CHAR8 mTwoStrapLabels[] = "Undefined\0" "Undefined\0" "Undefined\0" "Development Sample\0";
// clang-format on

static_assert(PackedTextCount(mFourStrapLabels) == 1u << 4, "one label per value of four straps");
static_assert(PackedTextCount(mTwoStrapLabels) == 1u << 2, "one label per value of two straps");

constexpr UINT32 mTwoStrapPins[] = {49, 50};
constexpr UINT32 mFourStrapPins[] = {49, 50, 57, 60};

// The boards this driver knows, by the name it is built with.
struct BOARD_STRAPS {
  const CHAR16 *Name;
  const UINT32 *Pins;
  UINT32 PinCount;
  const CHAR8 *Labels;  // packed, one per strap value 0 .. 2^PinCount - 1
};

constexpr BOARD_STRAPS mKnownBoards[] = {
    {u"Vemko Tarsa Q4L", mTwoStrapPins, 2, mTwoStrapLabels},
    {u"Vemko Tarsa Q4M", mFourStrapPins, 4, mFourStrapLabels},
};

const BOARD_STRAPS *FindBoard() {
  for (const BOARD_STRAPS &Board : mKnownBoards) {
    if (CompareWide(Board.Name, mBoardName) == 0) {
      return &Board;
    }
  }
  return nullptr;
}

// The interface and its record, or NULL when the protocol is absent or
// carries no record.
const MEMORY_INFO_RECORD *LocateMemoryRecord() {
  void *Interface = nullptr;
  if (EFI_ERROR(gBootServices->LocateProtocol(&MEMORY_INFO_PROTOCOL_GUID, nullptr, &Interface)) ||
      Interface == nullptr) {
    return nullptr;
  }
  return static_cast<const MEMORY_INFO_PROTOCOL *>(Interface)->Record;
}

void ShowMemory(EFI_HII_HANDLE HiiHandle, const MEMORY_INFO_RECORD *Record, VALUE_TEXT *Text) {
  FormatAscii(Text->Ascii, sizeof Text->Ascii, "%d GiB", Record->TotalMiB >> 10);
  ShowValueText(HiiHandle, STRING_TOTAL_MEMORY_VALUE, Text);
  // Double data rate: two transfers per clock.
  FormatAscii(Text->Ascii, sizeof Text->Ascii, "%d MT/s", Record->ClockMHz * 2);
  ShowValueText(HiiHandle, STRING_MEMORY_FREQUENCY_VALUE, Text);
}

void ShowPdVersion(EFI_HII_HANDLE HiiHandle, VALUE_TEXT *Text) {
  PD_VERSION Version;
  if (EFI_ERROR(QueryPdVersion(&Version))) {
    SetPageString(HiiHandle, STRING_PD_VERSION_VALUE, u"Undefined");
    return;
  }
  FormatAscii(Text->Ascii, sizeof Text->Ascii, "Boot: v%d.%d.%d\nApp: v%d.%d.%d", Version.BootMajor, Version.BootMinor,
              Version.BootPatch, Version.AppMajor, Version.AppMinor, Version.AppPatch);
  ShowValueText(HiiHandle, STRING_PD_VERSION_VALUE, Text);
}

void ShowMemoryChip(EFI_HII_HANDLE HiiHandle, VALUE_TEXT *Text) {
  const BOARD_STRAPS *Board = FindBoard();
  if (Board == nullptr) {
    SetPageString(HiiHandle, STRING_MEMORY_CHIP_VALUE, u"Internal Error");
    return;
  }
  UINT32 Value = 0;
  if (EFI_ERROR(ReadBoardStraps(Board->Pins, Board->PinCount, &Value))) {
    return;
  }
  FormatAscii(Text->Ascii, sizeof Text->Ascii, "%a | (Raw Value: %d)", PackedTextAt(Board->Labels, Value),
              static_cast<UINT16>(Value));
  ShowValueText(HiiHandle, STRING_MEMORY_CHIP_VALUE, Text);
}

}  // namespace

void UpdateHardwareInformation(EFI_HII_HANDLE HiiHandle) {
  const MEMORY_INFO_RECORD *Record = LocateMemoryRecord();
  if (Record == nullptr) {
    return;
  }
  VALUE_TEXT Memory;
  VALUE_TEXT Pd;
  VALUE_TEXT Chip;
  ClearValueText(&Memory);
  ClearValueText(&Pd);
  ClearValueText(&Chip);

  ShowMemory(HiiHandle, Record, &Memory);
  SetPageString(HiiHandle, STRING_PCB_SKU_VALUE, mBoardName);
  ShowPdVersion(HiiHandle, &Pd);
  ShowMemoryChip(HiiHandle, &Chip);
}
