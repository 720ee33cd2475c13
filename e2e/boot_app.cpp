// SPDX-License-Identifier: BSD-2-Clause-Patent
// Boot application of the Secure Boot cases (e2e/run_secureboot.py). With
// Secure Boot on the firmware refuses its own shell, so this program, signed
// and placed at the removable-media path \EFI\BOOT\BOOTAA64.EFI, does what
// the shell's startup.nsh does in the other runs. Its mode is the first word
// of \e2e-mode.txt on its own disk:
//
//   readback        read the page back (e2e/readback.cpp)
//   driver-options  first boot: write the Driver#### options for the drivers
//                   on the disk (e2e/driver_options.cpp), mark the stage in a
//                   variable of its own and reset; next boot: print
//                   DriverOrder and read the page back
//
// It powers the machine off at the end. Its own lines:
//
//   E2E-BOOT-MODE <mode> secureboot=<SecureBoot variable, hex>   or   secureboot=!<status>
//   E2E-DRIVER-OPTIONS-ADDED
//   E2E-BOOT-ERROR <what> status 0x<status>
#include "e2e/console_line.h"
#include "e2e/driver_options.h"
#include "e2e/image_execution.h"
#include "e2e/media_protocols.h"
#include "e2e/readback.h"
#include "platform/guids.h"

namespace {

constexpr CHAR16 MODE_FILE[] = u"\\e2e-mode.txt";
constexpr UINTN MODE_CAPACITY = 32;

// Set before the reset of the driver-options mode: the options are in place.
constexpr CHAR16 STAGE_VARIABLE[] = u"E2eDriverOptionsAdded";
constexpr EFI_GUID STAGE_GUID = {0xBF08FA43, 0x4BAB, 0x43C7, {0x8E, 0x81, 0x56, 0x9C, 0xD1, 0xEF, 0xE6, 0xD7}};

struct BOOT_CONTEXT {
  EFI_SYSTEM_TABLE *System;
  EFI_LOADED_IMAGE_PROTOCOL *Image;
};

E2E_LINE mLine;

EFI_STATUS Failed(const CHAR8 *What, EFI_STATUS Status) {
  LineStart(&mLine, "E2E-BOOT-ERROR ");
  LineAscii(&mLine, What);
  LineAscii(&mLine, " status 0x");
  LineHex(&mLine, Status, 16);
  LineEmit(&mLine);
  return Status;
}

bool IsSpace(CHAR8 Byte) { return Byte == ' ' || Byte == '\t' || Byte == '\r' || Byte == '\n'; }

// The first word of the mode file on the disk this application came from.
EFI_STATUS ReadMode(const BOOT_CONTEXT &Context, CHAR8 (&Mode)[MODE_CAPACITY]) {
  void *FileSystem = nullptr;
  EFI_STATUS Status = Context.System->BootServices->HandleProtocol(Context.Image->DeviceHandle,
                                                                   &EFI_SIMPLE_FILE_SYSTEM_PROTOCOL_GUID, &FileSystem);
  EFI_FILE_PROTOCOL *Root = nullptr;
  if (!EFI_ERROR(Status)) {
    Status = static_cast<EFI_SIMPLE_FILE_SYSTEM_PROTOCOL *>(FileSystem)
                 ->OpenVolume(static_cast<EFI_SIMPLE_FILE_SYSTEM_PROTOCOL *>(FileSystem), &Root);
  }
  if (EFI_ERROR(Status)) {
    return Failed("open the disk", Status);
  }
  EFI_FILE_PROTOCOL *File = nullptr;
  Status = Root->Open(Root, &File, MODE_FILE, EFI_FILE_MODE_READ, 0);
  UINTN Size = MODE_CAPACITY - 1;
  if (!EFI_ERROR(Status)) {
    Status = File->Read(File, &Size, Mode);
    File->Close(File);
  }
  Root->Close(Root);
  if (EFI_ERROR(Status)) {
    return Failed("read the mode file", Status);
  }
  UINTN End = 0;
  while (End < Size && !IsSpace(Mode[End])) {
    ++End;
  }
  Mode[End] = 0;
  return EFI_SUCCESS;
}

bool SameText(const CHAR8 *Left, const CHAR8 *Right) {
  for (; *Left != 0 && *Left == *Right; ++Left, ++Right) {
  }
  return *Left == *Right;
}

void PrintMode(const BOOT_CONTEXT &Context, const CHAR8 *Mode) {
  UINT8 SecureBoot = 0;
  UINTN Size = sizeof(SecureBoot);
  const EFI_STATUS Status =
      Context.System->RuntimeServices->GetVariable(u"SecureBoot", &EFI_GLOBAL_VARIABLE, nullptr, &Size, &SecureBoot);
  LineStart(&mLine, "E2E-BOOT-MODE ");
  LineAscii(&mLine, Mode);
  LineAscii(&mLine, " secureboot=");
  if (EFI_ERROR(Status)) {
    LineAscii(&mLine, "!");
    LineHex(&mLine, Status, 16);
  } else {
    LineHex(&mLine, SecureBoot, 2);
  }
  LineEmit(&mLine);
}

// The page, then what the firmware refused to start on this boot.
EFI_STATUS ReadBackMode(const BOOT_CONTEXT &Context) {
  const EFI_STATUS Status = ReadBackPage(Context.System->BootServices);
  PrintImageExecutionInfo(Context.System);
  return Status;
}

EFI_STATUS DriverOptionsMode(const BOOT_CONTEXT &Context) {
  EFI_RUNTIME_SERVICES *Runtime = Context.System->RuntimeServices;
  UINT8 Stage = 0;
  UINTN Size = sizeof(Stage);
  if (!EFI_ERROR(Runtime->GetVariable(STAGE_VARIABLE, &STAGE_GUID, nullptr, &Size, &Stage))) {
    PrintDriverOrder(Runtime);
    return ReadBackMode(Context);
  }
  void *Disk = nullptr;
  EFI_STATUS Status =
      Context.System->BootServices->HandleProtocol(Context.Image->DeviceHandle, &EFI_DEVICE_PATH_PROTOCOL_GUID, &Disk);
  if (EFI_ERROR(Status)) {
    return Failed("disk device path", Status);
  }
  Status = AddDriverOptions(Runtime, static_cast<EFI_DEVICE_PATH_PROTOCOL *>(Disk));
  if (EFI_ERROR(Status)) {
    return Failed("write the driver options", Status);
  }
  Stage = 1;
  Status = Runtime->SetVariable(STAGE_VARIABLE, &STAGE_GUID,
                                EFI_VARIABLE_NON_VOLATILE | EFI_VARIABLE_BOOTSERVICE_ACCESS, sizeof(Stage), &Stage);
  if (EFI_ERROR(Status)) {
    return Failed("mark the stage", Status);
  }
  ConsoleMessage("E2E-DRIVER-OPTIONS-ADDED");
  Runtime->ResetSystem(EfiResetWarm, EFI_SUCCESS, 0, nullptr);
  return Failed("warm reset", EFI_DEVICE_ERROR);
}

struct BOOT_MODE {
  const CHAR8 *Name;
  EFI_STATUS (*Run)(const BOOT_CONTEXT &Context);
};

constexpr BOOT_MODE MODES[] = {
    {"readback", ReadBackMode},
    {"driver-options", DriverOptionsMode},
};

EFI_STATUS RunMode(const BOOT_CONTEXT &Context) {
  CHAR8 Mode[MODE_CAPACITY] = {};
  const EFI_STATUS Status = ReadMode(Context, Mode);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  PrintMode(Context, Mode);
  for (const BOOT_MODE &Entry : MODES) {
    if (SameText(Entry.Name, Mode)) {
      return Entry.Run(Context);
    }
  }
  return Failed("unknown mode", EFI_UNSUPPORTED);
}

}  // namespace

extern "C" EFI_STATUS EFIAPI E2eBootMain(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable) {
  ConsoleLineInit(SystemTable);
  void *Image = nullptr;
  EFI_STATUS Status = SystemTable->BootServices->HandleProtocol(ImageHandle, &EFI_LOADED_IMAGE_PROTOCOL_GUID, &Image);
  if (EFI_ERROR(Status)) {
    Failed("loaded image", Status);
  } else {
    Status = RunMode({SystemTable, static_cast<EFI_LOADED_IMAGE_PROTOCOL *>(Image)});
  }
  SystemTable->RuntimeServices->ResetSystem(EfiResetShutdown, Status, 0, nullptr);
  return Status;
}
