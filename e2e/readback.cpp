// SPDX-License-Identifier: BSD-2-Clause-Patent
// The emulator run's read-back of the page. Finds the page's package list
// in the firmware's HII database by its GUID and prints, one item a line:
// how many package lists carry that GUID, the exported list's size, length
// field and CRC32 with a hex dump of its bytes, the list's languages, and
// every string id 1..48 as the HII string protocol returns it in en-US.
//
//   E2E-LISTS total=<n> page=<m>
//   E2E-EXPORT size=<bytes> length=<field> crc32=<8 hex digits>
//   E2E-HEX <offset, 4 hex digits> <up to 32 bytes in hex>
//   E2E-LANGUAGES <escaped text>
//   E2E-STRING <id> =<escaped text>      or      E2E-STRING <id> !<status>
//   E2E-READBACK-DONE
#include "e2e/readback.h"

#include "e2e/console_line.h"
#include "e2e/same_guid.h"
#include "platform/guids.h"
#include "platform/hii.h"

namespace {

constexpr UINTN HEX_BYTES_PER_LINE = 32;
constexpr EFI_STRING_ID LAST_ID_PROBED = 48;
constexpr UINTN STRING_CAPACITY = 512;  // CHAR16 units

E2E_LINE mLine;
CHAR16 mString[STRING_CAPACITY];

EFI_BOOT_SERVICES *gReadbackBootServices = nullptr;

void ReportFailure(const CHAR8 *What, EFI_STATUS Status) {
  LineStart(&mLine, "E2E-READBACK-ERROR ");
  LineAscii(&mLine, What);
  LineAscii(&mLine, " status 0x");
  LineHex(&mLine, Status, 16);
  LineEmit(&mLine);
}

void *Allocate(UINTN Size) {
  void *Buffer = nullptr;
  if (EFI_ERROR(gReadbackBootServices->AllocatePool(EfiBootServicesData, Size, &Buffer))) {
    return nullptr;
  }
  return Buffer;
}

// Exports one package list into pool memory; null when that fails.
EFI_HII_PACKAGE_LIST_HEADER *ExportList(EFI_HII_DATABASE_PROTOCOL *Database, EFI_HII_HANDLE Handle, UINTN *Size) {
  *Size = 0;
  EFI_STATUS Status = Database->ExportPackageLists(Database, Handle, Size, nullptr);
  if (Status != EFI_BUFFER_TOO_SMALL) {
    ReportFailure("ExportPackageLists size", Status);
    return nullptr;
  }
  auto *List = static_cast<EFI_HII_PACKAGE_LIST_HEADER *>(Allocate(*Size));
  if (List == nullptr) {
    ReportFailure("AllocatePool", EFI_OUT_OF_RESOURCES);
    return nullptr;
  }
  Status = Database->ExportPackageLists(Database, Handle, Size, List);
  if (EFI_ERROR(Status)) {
    ReportFailure("ExportPackageLists", Status);
    gReadbackBootServices->FreePool(List);
    return nullptr;
  }
  return List;
}

void PrintExport(const EFI_HII_PACKAGE_LIST_HEADER *List, UINTN Size) {
  UINT32 Crc = 0;
  const EFI_STATUS Status = gReadbackBootServices->CalculateCrc32(List, Size, &Crc);
  if (EFI_ERROR(Status)) {
    ReportFailure("CalculateCrc32", Status);
  }
  LineStart(&mLine, "E2E-EXPORT size=");
  LineDecimal(&mLine, Size);
  LineAscii(&mLine, " length=");
  LineDecimal(&mLine, List->PackageLength);
  LineAscii(&mLine, " crc32=");
  LineHex(&mLine, Crc, 8);
  LineEmit(&mLine);
  const auto *Bytes = reinterpret_cast<const UINT8 *>(List);
  for (UINTN Offset = 0; Offset < Size; Offset += HEX_BYTES_PER_LINE) {
    LineStart(&mLine, "E2E-HEX ");
    LineHex(&mLine, Offset, 4);
    LineAscii(&mLine, " ");
    for (UINTN Index = Offset; Index < Size && Index < Offset + HEX_BYTES_PER_LINE; ++Index) {
      LineHex(&mLine, Bytes[Index], 2);
    }
    LineEmit(&mLine);
  }
}

void PrintLanguages(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE Handle) {
  CHAR8 Languages[128] = {};
  UINTN Size = sizeof(Languages) - 1;
  const EFI_STATUS Status = Strings->GetLanguages(Strings, Handle, Languages, &Size);
  if (EFI_ERROR(Status)) {
    ReportFailure("GetLanguages", Status);
    return;
  }
  for (UINTN Index = 0; Index < sizeof(Languages); ++Index) {
    mString[Index] = static_cast<UINT8>(Languages[Index]);
  }
  LineStart(&mLine, "E2E-LANGUAGES ");
  LineEscaped(&mLine, mString);
  LineEmit(&mLine);
}

void PrintStrings(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE Handle) {
  for (EFI_STRING_ID Id = 1; Id <= LAST_ID_PROBED; ++Id) {
    UINTN Size = sizeof(mString);
    const EFI_STATUS Status = Strings->GetString(Strings, "en-US", Handle, Id, mString, &Size, nullptr);
    LineStart(&mLine, "E2E-STRING ");
    LineDecimal(&mLine, Id);
    if (EFI_ERROR(Status)) {
      LineAscii(&mLine, " !");
      LineHex(&mLine, Status, 16);
    } else {
      LineAscii(&mLine, " =");
      LineEscaped(&mLine, mString);
    }
    LineEmit(&mLine);
  }
}

EFI_STATUS ReadBack(EFI_HII_DATABASE_PROTOCOL *Database, EFI_HII_STRING_PROTOCOL *Strings) {
  UINTN HandlesSize = 0;
  EFI_STATUS Status = Database->ListPackageLists(Database, EFI_HII_PACKAGE_TYPE_ALL, nullptr, &HandlesSize, nullptr);
  if (Status != EFI_BUFFER_TOO_SMALL) {
    ReportFailure("ListPackageLists size", Status);
    return EFI_ERROR(Status) ? Status : EFI_NOT_FOUND;
  }
  auto *Handles = static_cast<EFI_HII_HANDLE *>(Allocate(HandlesSize));
  if (Handles == nullptr) {
    ReportFailure("AllocatePool", EFI_OUT_OF_RESOURCES);
    return EFI_OUT_OF_RESOURCES;
  }
  Status = Database->ListPackageLists(Database, EFI_HII_PACKAGE_TYPE_ALL, nullptr, &HandlesSize, Handles);
  if (EFI_ERROR(Status)) {
    ReportFailure("ListPackageLists", Status);
    gReadbackBootServices->FreePool(Handles);
    return Status;
  }
  const UINTN Count = HandlesSize / sizeof(EFI_HII_HANDLE);
  UINTN Matches = 0;
  EFI_HII_HANDLE Page = nullptr;
  EFI_HII_PACKAGE_LIST_HEADER *PageList = nullptr;
  UINTN PageSize = 0;
  for (UINTN Index = 0; Index < Count; ++Index) {
    UINTN Size = 0;
    EFI_HII_PACKAGE_LIST_HEADER *List = ExportList(Database, Handles[Index], &Size);
    if (List == nullptr) {
      continue;
    }
    if (SameGuid(&List->PackageListGuid, PAGE_GUID) && ++Matches == 1) {
      Page = Handles[Index];
      PageList = List;
      PageSize = Size;
    } else {
      gReadbackBootServices->FreePool(List);
    }
  }
  gReadbackBootServices->FreePool(Handles);
  LineStart(&mLine, "E2E-LISTS total=");
  LineDecimal(&mLine, Count);
  LineAscii(&mLine, " page=");
  LineDecimal(&mLine, Matches);
  LineEmit(&mLine);
  if (PageList == nullptr) {
    return EFI_NOT_FOUND;
  }
  PrintExport(PageList, PageSize);
  gReadbackBootServices->FreePool(PageList);
  PrintLanguages(Strings, Page);
  PrintStrings(Strings, Page);
  return EFI_SUCCESS;
}

}  // namespace

EFI_STATUS ReadBackPage(EFI_BOOT_SERVICES *BootServices) {
  gReadbackBootServices = BootServices;
  void *Database = nullptr;
  void *Strings = nullptr;
  EFI_STATUS Status = BootServices->LocateProtocol(&EFI_HII_DATABASE_PROTOCOL_GUID, nullptr, &Database);
  if (!EFI_ERROR(Status)) {
    Status = BootServices->LocateProtocol(&EFI_HII_STRING_PROTOCOL_GUID, nullptr, &Strings);
  }
  if (EFI_ERROR(Status)) {
    ReportFailure("LocateProtocol", Status);
    return Status;
  }
  Status =
      ReadBack(static_cast<EFI_HII_DATABASE_PROTOCOL *>(Database), static_cast<EFI_HII_STRING_PROTOCOL *>(Strings));
  ConsoleMessage("E2E-READBACK-DONE");
  return Status;
}
