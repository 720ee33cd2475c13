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
  void *buffer = nullptr;
  if (EFI_ERROR(gReadbackBootServices->AllocatePool(EfiBootServicesData, Size, &buffer))) {
    return nullptr;
  }
  return buffer;
}

bool SameGuid(const void *Left, const EFI_GUID &Right) {
  const auto *LeftBytes = static_cast<const UINT8 *>(Left);
  const auto *RightBytes = reinterpret_cast<const UINT8 *>(&Right);
  for (UINTN Index = 0; Index < sizeof(EFI_GUID); ++Index) {
    if (LeftBytes[Index] != RightBytes[Index]) {
      return false;
    }
  }
  return true;
}

// Exports one package list into pool memory; null when that fails.
EFI_HII_PACKAGE_LIST_HEADER *ExportList(EFI_HII_DATABASE_PROTOCOL *Database, EFI_HII_HANDLE Handle, UINTN *Size) {
  *Size = 0;
  EFI_STATUS status = Database->ExportPackageLists(Database, Handle, Size, nullptr);
  if (status != EFI_BUFFER_TOO_SMALL) {
    ReportFailure("ExportPackageLists size", status);
    return nullptr;
  }
  auto *list = static_cast<EFI_HII_PACKAGE_LIST_HEADER *>(Allocate(*Size));
  if (list == nullptr) {
    ReportFailure("AllocatePool", EFI_OUT_OF_RESOURCES);
    return nullptr;
  }
  status = Database->ExportPackageLists(Database, Handle, Size, list);
  if (EFI_ERROR(status)) {
    ReportFailure("ExportPackageLists", status);
    gReadbackBootServices->FreePool(list);
    return nullptr;
  }
  return list;
}

void PrintExport(const EFI_HII_PACKAGE_LIST_HEADER *List, UINTN Size) {
  UINT32 crc = 0;
  const EFI_STATUS status = gReadbackBootServices->CalculateCrc32(List, Size, &crc);
  if (EFI_ERROR(status)) {
    ReportFailure("CalculateCrc32", status);
  }
  LineStart(&mLine, "E2E-EXPORT size=");
  LineDecimal(&mLine, Size);
  LineAscii(&mLine, " length=");
  LineDecimal(&mLine, List->PackageLength);
  LineAscii(&mLine, " crc32=");
  LineHex(&mLine, crc, 8);
  LineEmit(&mLine);
  const auto *bytes = reinterpret_cast<const UINT8 *>(List);
  for (UINTN offset = 0; offset < Size; offset += HEX_BYTES_PER_LINE) {
    LineStart(&mLine, "E2E-HEX ");
    LineHex(&mLine, offset, 4);
    LineAscii(&mLine, " ");
    for (UINTN Index = offset; Index < Size && Index < offset + HEX_BYTES_PER_LINE; ++Index) {
      LineHex(&mLine, bytes[Index], 2);
    }
    LineEmit(&mLine);
  }
}

void PrintLanguages(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE Handle) {
  CHAR8 languages[128] = {};
  UINTN size = sizeof(languages) - 1;
  const EFI_STATUS status = Strings->GetLanguages(Strings, Handle, languages, &size);
  if (EFI_ERROR(status)) {
    ReportFailure("GetLanguages", status);
    return;
  }
  for (UINTN Index = 0; Index < sizeof(languages); ++Index) {
    mString[Index] = static_cast<UINT8>(languages[Index]);
  }
  LineStart(&mLine, "E2E-LANGUAGES ");
  LineEscaped(&mLine, mString);
  LineEmit(&mLine);
}

void PrintStrings(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE Handle) {
  for (EFI_STRING_ID id = 1; id <= LAST_ID_PROBED; ++id) {
    UINTN size = sizeof(mString);
    const EFI_STATUS status = Strings->GetString(Strings, "en-US", Handle, id, mString, &size, nullptr);
    LineStart(&mLine, "E2E-STRING ");
    LineDecimal(&mLine, id);
    if (EFI_ERROR(status)) {
      LineAscii(&mLine, " !");
      LineHex(&mLine, status, 16);
    } else {
      LineAscii(&mLine, " =");
      LineEscaped(&mLine, mString);
    }
    LineEmit(&mLine);
  }
}

EFI_STATUS ReadBack(EFI_HII_DATABASE_PROTOCOL *Database, EFI_HII_STRING_PROTOCOL *Strings) {
  UINTN handlesSize = 0;
  EFI_STATUS status = Database->ListPackageLists(Database, EFI_HII_PACKAGE_TYPE_ALL, nullptr, &handlesSize, nullptr);
  if (status != EFI_BUFFER_TOO_SMALL) {
    ReportFailure("ListPackageLists size", status);
    return EFI_ERROR(status) ? status : EFI_NOT_FOUND;
  }
  auto *handles = static_cast<EFI_HII_HANDLE *>(Allocate(handlesSize));
  if (handles == nullptr) {
    ReportFailure("AllocatePool", EFI_OUT_OF_RESOURCES);
    return EFI_OUT_OF_RESOURCES;
  }
  status = Database->ListPackageLists(Database, EFI_HII_PACKAGE_TYPE_ALL, nullptr, &handlesSize, handles);
  if (EFI_ERROR(status)) {
    ReportFailure("ListPackageLists", status);
    gReadbackBootServices->FreePool(handles);
    return status;
  }
  const UINTN count = handlesSize / sizeof(EFI_HII_HANDLE);
  UINTN matches = 0;
  EFI_HII_HANDLE page = nullptr;
  EFI_HII_PACKAGE_LIST_HEADER *pageList = nullptr;
  UINTN pageSize = 0;
  for (UINTN Index = 0; Index < count; ++Index) {
    UINTN size = 0;
    EFI_HII_PACKAGE_LIST_HEADER *list = ExportList(Database, handles[Index], &size);
    if (list == nullptr) {
      continue;
    }
    if (SameGuid(&list->PackageListGuid, PAGE_GUID) && ++matches == 1) {
      page = handles[Index];
      pageList = list;
      pageSize = size;
    } else {
      gReadbackBootServices->FreePool(list);
    }
  }
  gReadbackBootServices->FreePool(handles);
  LineStart(&mLine, "E2E-LISTS total=");
  LineDecimal(&mLine, count);
  LineAscii(&mLine, " page=");
  LineDecimal(&mLine, matches);
  LineEmit(&mLine);
  if (pageList == nullptr) {
    return EFI_NOT_FOUND;
  }
  PrintExport(pageList, pageSize);
  gReadbackBootServices->FreePool(pageList);
  PrintLanguages(Strings, page);
  PrintStrings(Strings, page);
  return EFI_SUCCESS;
}

}  // namespace

EFI_STATUS ReadBackPage(EFI_BOOT_SERVICES *BootServices) {
  gReadbackBootServices = BootServices;
  void *database = nullptr;
  void *strings = nullptr;
  EFI_STATUS status = BootServices->LocateProtocol(&EFI_HII_DATABASE_PROTOCOL_GUID, nullptr, &database);
  if (!EFI_ERROR(status)) {
    status = BootServices->LocateProtocol(&EFI_HII_STRING_PROTOCOL_GUID, nullptr, &strings);
  }
  if (EFI_ERROR(status)) {
    ReportFailure("LocateProtocol", status);
    return status;
  }
  status =
      ReadBack(static_cast<EFI_HII_DATABASE_PROTOCOL *>(database), static_cast<EFI_HII_STRING_PROTOCOL *>(strings));
  ConsoleMessage("E2E-READBACK-DONE");
  return status;
}
