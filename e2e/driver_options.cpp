#include "e2e/driver_options.h"

#include "e2e/console_line.h"
#include "e2e/media_protocols.h"

namespace {

struct DRIVER_OPTION {
  const CHAR16 *Variable;
  const CHAR16 *Description;
  const CHAR16 *File;
};

// The run (e2e/secureboot_boots.py) puts these files in the disk's root.
constexpr DRIVER_OPTION OPTIONS[] = {
    {u"Driver0000", u"E2ePlatform", u"\\e2e-platform.efi"},
    {u"Driver0001", u"SystemInformation", u"\\sysinfo.efi"},
};
constexpr UINT16 DRIVER_ORDER[] = {0x0000, 0x0001};
constexpr UINTN MAX_DRIVER_ORDER = 16;

constexpr UINT32 LOAD_OPTION_ACTIVE = 0x1;
constexpr UINT32 BOOT_MANAGER_VARIABLE =
    EFI_VARIABLE_NON_VOLATILE | EFI_VARIABLE_BOOTSERVICE_ACCESS | EFI_VARIABLE_RUNTIME_ACCESS;
constexpr UINTN NODE_HEADER = sizeof(EFI_DEVICE_PATH_PROTOCOL);
constexpr UINTN OPTION_CAPACITY = 512;

// Appends bytes to a fixed buffer; remembers when they did not fit.
struct WRITER {
  UINT8 *At;
  UINT8 *End;
  bool Overflow;
};

void Put(WRITER *Writer, const void *Data, UINTN Size) {
  if (Size > static_cast<UINTN>(Writer->End - Writer->At)) {
    Writer->Overflow = true;
    return;
  }
  const auto *bytes = static_cast<const UINT8 *>(Data);
  for (UINTN Index = 0; Index < Size; ++Index) {
    *Writer->At++ = bytes[Index];
  }
}

void PutNodeHeader(WRITER *Writer, UINT8 Type, UINT8 SubType, UINTN Length) {
  const UINT8 header[NODE_HEADER] = {Type, SubType, static_cast<UINT8>(Length), static_cast<UINT8>(Length >> 8)};
  Put(Writer, header, sizeof(header));
}

// Bytes of a NUL-terminated UCS-2 text, the NUL included.
UINTN TextBytes(const CHAR16 *Text) {
  UINTN units = 1;
  while (Text[units - 1] != 0) {
    ++units;
  }
  return units * sizeof(CHAR16);
}

// Bytes of a device path up to its end node; 0 if a node is malformed or the
// path is longer than an option can hold.
UINTN PathBytes(const EFI_DEVICE_PATH_PROTOCOL *Path) {
  const auto *bytes = reinterpret_cast<const UINT8 *>(Path);
  UINTN size = 0;
  while (size < OPTION_CAPACITY) {
    const auto *node = reinterpret_cast<const EFI_DEVICE_PATH_PROTOCOL *>(bytes + size);
    const UINTN length = node->Length[0] | static_cast<UINTN>(node->Length[1]) << 8;
    if (node->Type == END_DEVICE_PATH_TYPE && node->SubType == END_ENTIRE_DEVICE_PATH_SUBTYPE) {
      return size;
    }
    if (length < NODE_HEADER) {
      return 0;
    }
    size += length;
  }
  return 0;
}

// EFI_LOAD_OPTION: attributes, the file-path list's length, the description,
// then the file path: the disk's nodes, a file-path node and the end node.
// Returns its size; 0 if it does not fit.
UINTN BuildOption(UINT8 *Buffer, const DRIVER_OPTION &Option, const EFI_DEVICE_PATH_PROTOCOL *Disk, UINTN DiskBytes) {
  const UINTN fileNode = NODE_HEADER + TextBytes(Option.File);
  const UINTN pathLength = DiskBytes + fileNode + NODE_HEADER;
  const UINT16 pathLength16 = static_cast<UINT16>(pathLength);
  WRITER writer = {Buffer, Buffer + OPTION_CAPACITY, pathLength > 0xFFFF};
  Put(&writer, &LOAD_OPTION_ACTIVE, sizeof(LOAD_OPTION_ACTIVE));
  Put(&writer, &pathLength16, sizeof(pathLength16));
  Put(&writer, Option.Description, TextBytes(Option.Description));
  Put(&writer, Disk, DiskBytes);
  PutNodeHeader(&writer, MEDIA_DEVICE_PATH, MEDIA_FILEPATH_DP, fileNode);
  Put(&writer, Option.File, TextBytes(Option.File));
  PutNodeHeader(&writer, END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, NODE_HEADER);
  return writer.Overflow ? 0 : static_cast<UINTN>(writer.At - Buffer);
}

}  // namespace

EFI_STATUS AddDriverOptions(EFI_RUNTIME_SERVICES *Runtime, const EFI_DEVICE_PATH_PROTOCOL *Disk) {
  const UINTN diskBytes = PathBytes(Disk);
  if (diskBytes == 0) {
    return EFI_INVALID_PARAMETER;
  }
  static UINT8 option[OPTION_CAPACITY];
  for (const DRIVER_OPTION &entry : OPTIONS) {
    const UINTN size = BuildOption(option, entry, Disk, diskBytes);
    if (size == 0) {
      return EFI_BUFFER_TOO_SMALL;
    }
    const EFI_STATUS status =
        Runtime->SetVariable(entry.Variable, &EFI_GLOBAL_VARIABLE, BOOT_MANAGER_VARIABLE, size, option);
    if (EFI_ERROR(status)) {
      return status;
    }
  }
  return Runtime->SetVariable(u"DriverOrder", &EFI_GLOBAL_VARIABLE, BOOT_MANAGER_VARIABLE, sizeof(DRIVER_ORDER),
                              DRIVER_ORDER);
}

void PrintDriverOrder(EFI_RUNTIME_SERVICES *Runtime) {
  UINT16 order[MAX_DRIVER_ORDER] = {};
  UINTN size = sizeof(order);
  const EFI_STATUS status = Runtime->GetVariable(u"DriverOrder", &EFI_GLOBAL_VARIABLE, nullptr, &size, order);
  static E2E_LINE line;
  LineStart(&line, "E2E-DRIVER-ORDER");
  if (EFI_ERROR(status)) {
    LineAscii(&line, " !");
    LineHex(&line, status, 16);
  }
  for (UINTN Index = 0; !EFI_ERROR(status) && Index < size / sizeof(UINT16); ++Index) {
    LineAscii(&line, " ");
    LineHex(&line, order[Index], 4);
  }
  LineEmit(&line);
}
