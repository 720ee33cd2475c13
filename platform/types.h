// SPDX-License-Identifier: BSD-2-Clause-Patent
// Base UEFI data types shared by the driver, the simulator and the tests.
//
// The same header serves the AArch64 firmware image and the x86-64 host.
// UINTN is spelled `unsigned long long` because `long` is 32 bits on the
// firmware target; CHAR16 is char16_t so u"" literals agree on both.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(__x86_64__)
#define EFIAPI __attribute__((ms_abi))
#else
#define EFIAPI
#endif

using UINT8 = uint8_t;
using UINT16 = uint16_t;
using UINT32 = uint32_t;
using UINT64 = uint64_t;
using INT8 = int8_t;
using INT16 = int16_t;
using INT32 = int32_t;
using INT64 = int64_t;
using UINTN = unsigned long long;
using INTN = long long;
using CHAR8 = char;
using CHAR16 = char16_t;
using BOOLEAN = bool;
using VOID = void;

static_assert(sizeof(UINTN) == 8 && sizeof(void *) == 8, "64-bit platform only");
static_assert(sizeof(CHAR16) == 2 && sizeof(BOOLEAN) == 1, "UEFI type widths");

using EFI_HANDLE = void *;
using EFI_EVENT = void *;
using EFI_TPL = UINTN;
using EFI_LBA = UINT64;
using EFI_PHYSICAL_ADDRESS = UINT64;
using EFI_VIRTUAL_ADDRESS = UINT64;
using EFI_STRING_ID = UINT16;
using EFI_STRING = CHAR16 *;
using EFI_HII_HANDLE = void *;

struct EFI_GUID {
  UINT32 Data1;
  UINT16 Data2;
  UINT16 Data3;
  UINT8 Data4[8];
};
static_assert(sizeof(EFI_GUID) == 16, "EFI_GUID is 16 bytes");

struct EFI_TIME {
  UINT16 Year;
  UINT8 Month;
  UINT8 Day;
  UINT8 Hour;
  UINT8 Minute;
  UINT8 Second;
  UINT8 Pad1;
  UINT32 Nanosecond;
  INT16 TimeZone;
  UINT8 Daylight;
  UINT8 Pad2;
};
static_assert(sizeof(EFI_TIME) == 16, "EFI_TIME layout");
static_assert(offsetof(EFI_TIME, Month) == 2 && offsetof(EFI_TIME, Day) == 3 && offsetof(EFI_TIME, Hour) == 4 &&
                  offsetof(EFI_TIME, Minute) == 5,
              "EFI_TIME field offsets");

struct EFI_TABLE_HEADER {
  UINT64 Signature;
  UINT32 Revision;
  UINT32 HeaderSize;
  UINT32 CRC32;
  UINT32 Reserved;
};
static_assert(sizeof(EFI_TABLE_HEADER) == 24, "EFI_TABLE_HEADER layout");
