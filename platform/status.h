// SPDX-License-Identifier: BSD-2-Clause-Patent
// EFI_STATUS and the status codes. Bit 63 set means an error; everything
// else, warnings included, counts as success.
#pragma once

#include "platform/status_codes.h"
#include "platform/types.h"

using EFI_STATUS = UINTN;

inline constexpr EFI_STATUS EFI_ERROR_BIT = 0x8000000000000000ULL;

constexpr EFI_STATUS EfiErrorCode(UINTN Code) { return EFI_ERROR_BIT | Code; }
// NOLINTNEXTLINE(readability-identifier-naming): UEFI's name (a macro there)
constexpr bool EFI_ERROR(EFI_STATUS status) { return (status & EFI_ERROR_BIT) != 0; }

// The constants, from the one list of status codes.
#define EFI_SUCCESS_CONSTANT(Name, Code, Text) inline constexpr EFI_STATUS Name = Code;
#define EFI_ERROR_CONSTANT(Name, Code, Text) inline constexpr EFI_STATUS Name = EfiErrorCode(Code);
#define EFI_NO_CONSTANT(Code, Text)
EFI_SUCCESS_STATUS_LIST(EFI_SUCCESS_CONSTANT)
EFI_ERROR_STATUS_LIST(EFI_ERROR_CONSTANT, EFI_NO_CONSTANT)
#undef EFI_SUCCESS_CONSTANT
#undef EFI_ERROR_CONSTANT
#undef EFI_NO_CONSTANT
