// SPDX-License-Identifier: BSD-2-Clause-Patent
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
  const auto *Bytes = static_cast<const UINT8 *>(Data);
  for (UINTN Index = 0; Index < Size; ++Index) {
    *Writer->At++ = Bytes[Index];
  }
}

void PutNodeHeader(WRITER *Writer, UINT8 Type, UINT8 SubType, UINTN Length) {
  const UINT8 Header[NODE_HEADER] = {Type, SubType, static_cast<UINT8>(Length), static_cast<UINT8>(Length >> 8)};
  Put(Writer, Header, sizeof(Header));
}

// Bytes of a NUL-terminated UCS-2 text, the NUL included.
UINTN TextBytes(const CHAR16 *Text) {
  UINTN Units = 1;
  while (Text[Units - 1] != 0) {
    ++Units;
  }
  return Units * sizeof(CHAR16);
}

// Bytes of a device path up to its end node; 0 if a node is malformed or the
// path is longer than an option can hold.
UINTN PathBytes(const EFI_DEVICE_PATH_PROTOCOL *Path) {
  const auto *Bytes = reinterpret_cast<const UINT8 *>(Path);
  UINTN Size = 0;
  while (Size < OPTION_CAPACITY) {
    const auto *Node = reinterpret_cast<const EFI_DEVICE_PATH_PROTOCOL *>(Bytes + Size);
    const UINTN Length = Node->Length[0] | static_cast<UINTN>(Node->Length[1]) << 8;
    if (Node->Type == END_DEVICE_PATH_TYPE && Node->SubType == END_ENTIRE_DEVICE_PATH_SUBTYPE) {
      return Size;
    }
    if (Length < NODE_HEADER) {
      return 0;
    }
    Size += Length;
  }
  return 0;
}

// EFI_LOAD_OPTION: attributes, the file-path list's length, the description,
// then the file path: the disk's nodes, a file-path node and the end node.
// Returns its size; 0 if it does not fit.
UINTN BuildOption(UINT8 *Buffer, const DRIVER_OPTION &Option, const EFI_DEVICE_PATH_PROTOCOL *Disk, UINTN DiskBytes) {
  const UINTN FileNode = NODE_HEADER + TextBytes(Option.File);
  const UINTN PathLength = DiskBytes + FileNode + NODE_HEADER;
  const UINT16 PathLength16 = static_cast<UINT16>(PathLength);
  WRITER Writer = {Buffer, Buffer + OPTION_CAPACITY, PathLength > 0xFFFF};
  Put(&Writer, &LOAD_OPTION_ACTIVE, sizeof(LOAD_OPTION_ACTIVE));
  Put(&Writer, &PathLength16, sizeof(PathLength16));
  Put(&Writer, Option.Description, TextBytes(Option.Description));
  Put(&Writer, Disk, DiskBytes);
  PutNodeHeader(&Writer, MEDIA_DEVICE_PATH, MEDIA_FILEPATH_DP, FileNode);
  Put(&Writer, Option.File, TextBytes(Option.File));
  PutNodeHeader(&Writer, END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, NODE_HEADER);
  return Writer.Overflow ? 0 : static_cast<UINTN>(Writer.At - Buffer);
}

}  // namespace

EFI_STATUS AddDriverOptions(EFI_RUNTIME_SERVICES *Runtime, const EFI_DEVICE_PATH_PROTOCOL *Disk) {
  const UINTN DiskBytes = PathBytes(Disk);
  if (DiskBytes == 0) {
    return EFI_INVALID_PARAMETER;
  }
  static UINT8 Option[OPTION_CAPACITY];
  for (const DRIVER_OPTION &Entry : OPTIONS) {
    const UINTN Size = BuildOption(Option, Entry, Disk, DiskBytes);
    if (Size == 0) {
      return EFI_BUFFER_TOO_SMALL;
    }
    const EFI_STATUS Status =
        Runtime->SetVariable(Entry.Variable, &EFI_GLOBAL_VARIABLE, BOOT_MANAGER_VARIABLE, Size, Option);
    if (EFI_ERROR(Status)) {
      return Status;
    }
  }
  return Runtime->SetVariable(u"DriverOrder", &EFI_GLOBAL_VARIABLE, BOOT_MANAGER_VARIABLE, sizeof(DRIVER_ORDER),
                              DRIVER_ORDER);
}

void PrintDriverOrder(EFI_RUNTIME_SERVICES *Runtime) {
  UINT16 Order[MAX_DRIVER_ORDER] = {};
  UINTN Size = sizeof(Order);
  const EFI_STATUS Status = Runtime->GetVariable(u"DriverOrder", &EFI_GLOBAL_VARIABLE, nullptr, &Size, Order);
  static E2E_LINE Line;
  LineStart(&Line, "E2E-DRIVER-ORDER");
  if (EFI_ERROR(Status)) {
    LineAscii(&Line, " !");
    LineHex(&Line, Status, 16);
  }
  for (UINTN Index = 0; !EFI_ERROR(Status) && Index < Size / sizeof(UINT16); ++Index) {
    LineAscii(&Line, " ");
    LineHex(&Line, Order[Index], 4);
  }
  LineEmit(&Line);
}
