#include "e2e/image_execution.h"

#include "e2e/console_line.h"

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

bool SameGuid(const EFI_GUID &Left, const EFI_GUID &Right) {
  const auto *LeftBytes = reinterpret_cast<const UINT8 *>(&Left);
  const auto *RightBytes = reinterpret_cast<const UINT8 *>(&Right);
  for (UINTN Index = 0; Index < sizeof(EFI_GUID); ++Index) {
    if (LeftBytes[Index] != RightBytes[Index]) {
      return false;
    }
  }
  return true;
}

const UINT8 *FindTable(const EFI_SYSTEM_TABLE *SystemTable) {
  for (UINTN Index = 0; Index < SystemTable->NumberOfTableEntries; ++Index) {
    if (SameGuid(SystemTable->ConfigurationTable[Index].VendorGuid, EFI_IMAGE_SECURITY_DATABASE_GUID)) {
      return static_cast<const UINT8 *>(SystemTable->ConfigurationTable[Index].VendorTable);
    }
  }
  return nullptr;
}

void PrintEntry(const UINT8 *Entry, UINTN Size) {
  static CHAR16 name[E2E_LINE_CAPACITY];
  UINTN units = 0;
  for (UINTN at = ENTRY_HEADER; at + 1 < Size && units + 1 < E2E_LINE_CAPACITY; at += 2) {
    name[units] = static_cast<CHAR16>(Entry[at] | Entry[at + 1] << 8);
    if (name[units] == 0) {
      break;
    }
    ++units;
  }
  name[units] = 0;
  static E2E_LINE line;
  LineStart(&line, "E2E-IMAGE action=");
  LineHex(&line, ReadU32(Entry), 8);
  LineAscii(&line, " name=");
  LineEscaped(&line, name);
  LineEmit(&line);
}

}  // namespace

void PrintImageExecutionInfo(const EFI_SYSTEM_TABLE *SystemTable) {
  const UINT8 *table = FindTable(SystemTable);
  if (table == nullptr) {
    ConsoleMessage("E2E-IMAGE-EXECUTION absent");
    return;
  }
  const UINTN count = *reinterpret_cast<const UINTN *>(table);
  static E2E_LINE line;
  LineStart(&line, "E2E-IMAGE-EXECUTION images=");
  LineDecimal(&line, count);
  LineEmit(&line);
  const UINT8 *entry = table + sizeof(UINTN);
  for (UINTN Index = 0; Index < count && Index < MAX_IMAGES; ++Index) {
    const UINT32 size = ReadU32(entry + 4);
    if (size < ENTRY_HEADER || size > MAX_ENTRY_BYTES) {
      ConsoleMessage("E2E-IMAGE malformed");
      return;
    }
    PrintEntry(entry, size);
    entry += size;
  }
}
