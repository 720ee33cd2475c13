// String ids of the "System Information" page. Ids follow the order of the
// page's string package: the first string is id 1. Each row has a label
// and a value; the value slots hold a single space until start-up fills
// them, except the two hidden slots that are never set.
#pragma once

#include "platform/types.h"

inline constexpr EFI_STRING_ID STRING_LANGUAGE_NAME = 1;  // "English"
inline constexpr EFI_STRING_ID STRING_FORM_SET_TITLE = 2;
inline constexpr EFI_STRING_ID STRING_FORM_SET_HELP = 3;
inline constexpr EFI_STRING_ID STRING_FORM_TITLE = 4;
inline constexpr EFI_STRING_ID STRING_EMPTY = 5;  // blank lines, help of every row
inline constexpr EFI_STRING_ID STRING_EXIT_HINT = 6;
inline constexpr EFI_STRING_ID STRING_HARDWARE_INFORMATION = 7;
inline constexpr EFI_STRING_ID STRING_PCB_SKU_LABEL = 8;
inline constexpr EFI_STRING_ID STRING_PCB_SKU_VALUE = 9;
inline constexpr EFI_STRING_ID STRING_MEMORY_CHIP_LABEL = 10;
inline constexpr EFI_STRING_ID STRING_MEMORY_CHIP_VALUE = 11;
inline constexpr EFI_STRING_ID STRING_RESERVED_FIELD_LABEL = 12;  // hidden row
inline constexpr EFI_STRING_ID STRING_RESERVED_FIELD_VALUE = 13;  // hidden, never set
inline constexpr EFI_STRING_ID STRING_PMIC_VERSION_LABEL = 14;    // hidden row
inline constexpr EFI_STRING_ID STRING_PMIC_VERSION_VALUE = 15;    // hidden, never set
inline constexpr EFI_STRING_ID STRING_PD_VERSION_LABEL = 16;
inline constexpr EFI_STRING_ID STRING_PD_VERSION_VALUE = 17;
inline constexpr EFI_STRING_ID STRING_FIRMWARE_INFORMATION = 18;
inline constexpr EFI_STRING_ID STRING_SE_VERSION_LABEL = 19;
inline constexpr EFI_STRING_ID STRING_SE_VERSION_VALUE = 20;
inline constexpr EFI_STRING_ID STRING_PBL_VERSION_LABEL = 21;
inline constexpr EFI_STRING_ID STRING_PBL_VERSION_VALUE = 22;
inline constexpr EFI_STRING_ID STRING_ATF_VERSION_LABEL = 23;
inline constexpr EFI_STRING_ID STRING_ATF_VERSION_VALUE = 24;
inline constexpr EFI_STRING_ID STRING_PM_VERSION_LABEL = 25;
inline constexpr EFI_STRING_ID STRING_PM_VERSION_VALUE = 26;
inline constexpr EFI_STRING_ID STRING_TEE_VERSION_LABEL = 27;
inline constexpr EFI_STRING_ID STRING_TEE_VERSION_VALUE = 28;
inline constexpr EFI_STRING_ID STRING_UEFI_VERSION_LABEL = 29;
inline constexpr EFI_STRING_ID STRING_UEFI_VERSION_VALUE = 30;
inline constexpr EFI_STRING_ID STRING_STMM_VERSION_LABEL = 31;
inline constexpr EFI_STRING_ID STRING_STMM_VERSION_VALUE = 32;
inline constexpr EFI_STRING_ID STRING_EC_VERSION_LABEL = 33;  // hidden row
inline constexpr EFI_STRING_ID STRING_EC_VERSION_VALUE = 34;  // hidden, still set
inline constexpr EFI_STRING_ID STRING_TOTAL_MEMORY_LABEL = 35;
inline constexpr EFI_STRING_ID STRING_TOTAL_MEMORY_VALUE = 36;
inline constexpr EFI_STRING_ID STRING_MEMORY_FREQUENCY_LABEL = 37;
inline constexpr EFI_STRING_ID STRING_MEMORY_FREQUENCY_VALUE = 38;
inline constexpr EFI_STRING_ID STRING_SOURCE_CODE_INFORMATION = 39;
inline constexpr EFI_STRING_ID STRING_EDK2_ZUN_LABEL = 40;
inline constexpr EFI_STRING_ID STRING_EDK2_ZUN_VALUE = 41;
inline constexpr EFI_STRING_ID STRING_EDK2_LABEL = 42;
inline constexpr EFI_STRING_ID STRING_EDK2_VALUE = 43;
inline constexpr EFI_STRING_ID STRING_EDK2_NON_OSI_LABEL = 44;
inline constexpr EFI_STRING_ID STRING_EDK2_NON_OSI_VALUE = 45;
inline constexpr EFI_STRING_ID STRING_EDK2_PLATFORMS_LABEL = 46;
inline constexpr EFI_STRING_ID STRING_EDK2_PLATFORMS_VALUE = 47;

inline constexpr EFI_STRING_ID PAGE_STRING_COUNT = 47;

// The value slots that start-up fills, in id order.
inline constexpr UINTN PAGE_VALUE_SLOT_COUNT = 17;
inline constexpr EFI_STRING_ID mPageValueSlots[PAGE_VALUE_SLOT_COUNT] = {
    STRING_PCB_SKU_VALUE,          STRING_MEMORY_CHIP_VALUE,  STRING_PD_VERSION_VALUE, STRING_SE_VERSION_VALUE,
    STRING_PBL_VERSION_VALUE,      STRING_ATF_VERSION_VALUE,  STRING_PM_VERSION_VALUE, STRING_TEE_VERSION_VALUE,
    STRING_UEFI_VERSION_VALUE,     STRING_STMM_VERSION_VALUE, STRING_EC_VERSION_VALUE, STRING_TOTAL_MEMORY_VALUE,
    STRING_MEMORY_FREQUENCY_VALUE, STRING_EDK2_ZUN_VALUE,     STRING_EDK2_VALUE,       STRING_EDK2_NON_OSI_VALUE,
    STRING_EDK2_PLATFORMS_VALUE};
