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
  void *fileSystem = nullptr;
  EFI_STATUS status = Context.System->BootServices->HandleProtocol(Context.Image->DeviceHandle,
                                                                   &EFI_SIMPLE_FILE_SYSTEM_PROTOCOL_GUID, &fileSystem);
  EFI_FILE_PROTOCOL *root = nullptr;
  if (!EFI_ERROR(status)) {
    status = static_cast<EFI_SIMPLE_FILE_SYSTEM_PROTOCOL *>(fileSystem)
                 ->OpenVolume(static_cast<EFI_SIMPLE_FILE_SYSTEM_PROTOCOL *>(fileSystem), &root);
  }
  if (EFI_ERROR(status)) {
    return Failed("open the disk", status);
  }
  EFI_FILE_PROTOCOL *file = nullptr;
  status = root->Open(root, &file, MODE_FILE, EFI_FILE_MODE_READ, 0);
  UINTN size = MODE_CAPACITY - 1;
  if (!EFI_ERROR(status)) {
    status = file->Read(file, &size, Mode);
    file->Close(file);
  }
  root->Close(root);
  if (EFI_ERROR(status)) {
    return Failed("read the mode file", status);
  }
  UINTN end = 0;
  while (end < size && !IsSpace(Mode[end])) {
    ++end;
  }
  Mode[end] = 0;
  return EFI_SUCCESS;
}

bool SameText(const CHAR8 *Left, const CHAR8 *Right) {
  for (; *Left != 0 && *Left == *Right; ++Left, ++Right) {
  }
  return *Left == *Right;
}

void PrintMode(const BOOT_CONTEXT &Context, const CHAR8 *Mode) {
  UINT8 secureBoot = 0;
  UINTN size = sizeof(secureBoot);
  const EFI_STATUS status =
      Context.System->RuntimeServices->GetVariable(u"SecureBoot", &EFI_GLOBAL_VARIABLE, nullptr, &size, &secureBoot);
  LineStart(&mLine, "E2E-BOOT-MODE ");
  LineAscii(&mLine, Mode);
  LineAscii(&mLine, " secureboot=");
  if (EFI_ERROR(status)) {
    LineAscii(&mLine, "!");
    LineHex(&mLine, status, 16);
  } else {
    LineHex(&mLine, secureBoot, 2);
  }
  LineEmit(&mLine);
}

// The page, then what the firmware refused to start on this boot.
EFI_STATUS ReadBackMode(const BOOT_CONTEXT &Context) {
  const EFI_STATUS status = ReadBackPage(Context.System->BootServices);
  PrintImageExecutionInfo(Context.System);
  return status;
}

EFI_STATUS DriverOptionsMode(const BOOT_CONTEXT &Context) {
  EFI_RUNTIME_SERVICES *runtime = Context.System->RuntimeServices;
  UINT8 stage = 0;
  UINTN size = sizeof(stage);
  if (!EFI_ERROR(runtime->GetVariable(STAGE_VARIABLE, &STAGE_GUID, nullptr, &size, &stage))) {
    PrintDriverOrder(runtime);
    return ReadBackMode(Context);
  }
  void *disk = nullptr;
  EFI_STATUS status =
      Context.System->BootServices->HandleProtocol(Context.Image->DeviceHandle, &EFI_DEVICE_PATH_PROTOCOL_GUID, &disk);
  if (EFI_ERROR(status)) {
    return Failed("disk device path", status);
  }
  status = AddDriverOptions(runtime, static_cast<EFI_DEVICE_PATH_PROTOCOL *>(disk));
  if (EFI_ERROR(status)) {
    return Failed("write the driver options", status);
  }
  stage = 1;
  status = runtime->SetVariable(STAGE_VARIABLE, &STAGE_GUID,
                                EFI_VARIABLE_NON_VOLATILE | EFI_VARIABLE_BOOTSERVICE_ACCESS, sizeof(stage), &stage);
  if (EFI_ERROR(status)) {
    return Failed("mark the stage", status);
  }
  ConsoleMessage("E2E-DRIVER-OPTIONS-ADDED");
  runtime->ResetSystem(EfiResetWarm, EFI_SUCCESS, 0, nullptr);
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
  CHAR8 mode[MODE_CAPACITY] = {};
  const EFI_STATUS status = ReadMode(Context, mode);
  if (EFI_ERROR(status)) {
    return status;
  }
  PrintMode(Context, mode);
  for (const BOOT_MODE &entry : MODES) {
    if (SameText(entry.Name, mode)) {
      return entry.Run(Context);
    }
  }
  return Failed("unknown mode", EFI_UNSUPPORTED);
}

}  // namespace

extern "C" EFI_STATUS EFIAPI E2eBootMain(EFI_HANDLE ImageHandle, EFI_SYSTEM_TABLE *SystemTable) {
  ConsoleLineInit(SystemTable);
  void *image = nullptr;
  EFI_STATUS status = SystemTable->BootServices->HandleProtocol(ImageHandle, &EFI_LOADED_IMAGE_PROTOCOL_GUID, &image);
  if (EFI_ERROR(status)) {
    Failed("loaded image", status);
  } else {
    status = RunMode({SystemTable, static_cast<EFI_LOADED_IMAGE_PROTOCOL *>(image)});
  }
  SystemTable->RuntimeServices->ResetSystem(EfiResetShutdown, status, 0, nullptr);
  return status;
}
