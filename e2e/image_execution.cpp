// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "e2e/image_execution.h"

#include "e2e/console_line.h"
#include "e2e/same_guid.h"

struct EFI_CONFIGURATION_TABLE {
  EFI_GUID VendorGuid;
  void *VendorTable;
};
static_assert(sizeof(EFI_CONFIGURATION_TABLE) == 24, "configuration table entry");

namespace {

// The table is installed under the image security database's GUID.
constexpr EFI_GUID EFI_IMAGE_SECURITY_DATABASE_GUID = {
    0xD719B2CB, 0x3D3A, 0x4596, {0xA3, 0xBC, 0xDA, 0xD0, 0x0E, 0x67, 0x65, 0x6F}};

// The table: a UINTN count, then the entries back to back. Each entry: the
// action (UINT32), the entry's whole size (UINT32), a NUL-terminated UCS-2
// name, the image's device path and the signature it carried.
constexpr UINTN ENTRY_HEADER = 8;
constexpr UINTN MAX_IMAGES = 64;
constexpr UINTN MAX_ENTRY_BYTES = 0x10000;

UINT32 ReadU32(const UINT8 *Bytes) {
  return Bytes[0] | Bytes[1] << 8 | Bytes[2] << 16 | static_cast<UINT32>(Bytes[3]) << 24;
}

const UINT8 *FindTable(const EFI_SYSTEM_TABLE *SystemTable) {
  for (UINTN Index = 0; Index < SystemTable->NumberOfTableEntries; ++Index) {
    if (SameGuid(&SystemTable->ConfigurationTable[Index].VendorGuid, EFI_IMAGE_SECURITY_DATABASE_GUID)) {
      return static_cast<const UINT8 *>(SystemTable->ConfigurationTable[Index].VendorTable);
    }
  }
  return nullptr;
}

void PrintEntry(const UINT8 *Entry, UINTN Size) {
  static CHAR16 Name[E2E_LINE_CAPACITY];
  UINTN Units = 0;
  for (UINTN At = ENTRY_HEADER; At + 1 < Size && Units + 1 < E2E_LINE_CAPACITY; At += 2) {
    Name[Units] = static_cast<CHAR16>(Entry[At] | Entry[At + 1] << 8);
    if (Name[Units] == 0) {
      break;
    }
    ++Units;
  }
  Name[Units] = 0;
  static E2E_LINE Line;
  LineStart(&Line, "E2E-IMAGE action=");
  LineHex(&Line, ReadU32(Entry), 8);
  LineAscii(&Line, " name=");
  LineEscaped(&Line, Name);
  LineEmit(&Line);
}

}  // namespace

void PrintImageExecutionInfo(const EFI_SYSTEM_TABLE *SystemTable) {
  const UINT8 *Table = FindTable(SystemTable);
  if (Table == nullptr) {
    ConsoleMessage("E2E-IMAGE-EXECUTION absent");
    return;
  }
  const UINTN Count = *reinterpret_cast<const UINTN *>(Table);
  static E2E_LINE Line;
  LineStart(&Line, "E2E-IMAGE-EXECUTION images=");
  LineDecimal(&Line, Count);
  LineEmit(&Line);
  const UINT8 *Entry = Table + sizeof(UINTN);
  for (UINTN Index = 0; Index < Count && Index < MAX_IMAGES; ++Index) {
    const UINT32 Size = ReadU32(Entry + 4);
    if (Size < ENTRY_HEADER || Size > MAX_ENTRY_BYTES) {
      ConsoleMessage("E2E-IMAGE malformed");
      return;
    }
    PrintEntry(Entry, Size);
    Entry += Size;
  }
}
