// SPDX-License-Identifier: BSD-2-Clause-Patent
// The "System Information" page in one list: every line of its form, top to
// bottom, with the strings each line brings. The rest is derived from it at
// compile time: the id names STRING_<NAME> and the table mPageLines here,
// the strings by id, value slots and firmware rows (page_strings.h), and
// the form and string packages (page_packages.h).
//
// A string's id is its place in the string package, which does not follow
// the form's order, so each line gives its ids (page_strings.h checks that
// they run 1, 2, 3, ... without gaps or repeats). A new string takes the
// next free id; moving a line changes the form alone.
#pragma once

#include "platform/platform_protocols.h"
#include "platform/types.h"

inline constexpr UINT32 PAGE_NO_COMPONENT = 0xFFFFFFFF;

// A row's value string: its text in the package and what replaces it at
// start-up.
struct PAGE_VALUE {
  const CHAR16 *Initial = nullptr;
  BOOLEAN Set = false;                   // start-up replaces the text
  UINT32 Component = PAGE_NO_COMPONENT;  // the FIRMWARE_COMPONENT_<X> whose version it shows
};

// Set by the entry to the version of Component.
constexpr PAGE_VALUE PageValueOf(UINT32 Component) { return {u" ", true, Component}; }

// Set by the driver from a fact of its own, addressed by the row's name.
inline constexpr PAGE_VALUE PAGE_VALUE_SET = PageValueOf(PAGE_NO_COMPONENT);

// Never set: the row keeps Text.
constexpr PAGE_VALUE PageValueKept(const CHAR16 *Text) { return {Text, false, PAGE_NO_COMPONENT}; }

// STRING(Name, Id, Text)            a string without a line of its own
// BLANK_LINE()                      a subtitle showing STRING_EMPTY
// SUBTITLE(Name, Id, Text)          a subtitle line
// ROW(Name, Id, Label, Value)       a text row: the label is string Id, the
//                                   value (a PAGE_VALUE) string Id + 1, the
//                                   help STRING_EMPTY
// HIDDEN_ROW(Name, Id, Label, Value)  a row inside an always-true
//                                   suppress-if: never shown, its strings
//                                   still carried
// A string is named STRING_<Name>, a row's two STRING_<Name>_LABEL and
// STRING_<Name>_VALUE. The list is a macro so that each line gives both its
// names and its entry of the table mPageLines below.
// clang-format off
#define PAGE_LINE_LIST(STRING, BLANK_LINE, SUBTITLE, ROW, HIDDEN_ROW)                          \
  STRING(LANGUAGE_NAME, 1, u"English")                                                         \
  STRING(FORM_SET_TITLE, 2, u"System Information")                                             \
  STRING(FORM_SET_HELP, 3, u"Press <Enter> to view current system information.")               \
  STRING(FORM_TITLE, 4, u"System Information")                                                 \
  STRING(EMPTY, 5, u"")                                                                        \
  BLANK_LINE()                                                                                 \
  SUBTITLE(HARDWARE_INFORMATION, 7, u"Hardware Information")                                   \
  ROW(TOTAL_MEMORY, 35, u"Total Memory", PAGE_VALUE_SET)                                       \
  ROW(MEMORY_FREQUENCY, 37, u"Memory Frequency", PAGE_VALUE_SET)                               \
  ROW(PCB_SKU, 8, u"PCB SKU", PAGE_VALUE_SET)                                                  \
  HIDDEN_ROW(RESERVED_FIELD, 12, u"Reserved Field", PageValueKept(u""))                        \
  ROW(MEMORY_CHIP, 10, u"Memory Chip", PAGE_VALUE_SET)                                         \
  HIDDEN_ROW(PMIC_VERSION, 14, u"PMIC Version", PageValueKept(u" "))                           \
  ROW(PD_VERSION, 16, u"PD Version", PAGE_VALUE_SET)                                           \
  BLANK_LINE()                                                                                 \
  SUBTITLE(FIRMWARE_INFORMATION, 18, u"Firmware Information")                                  \
  ROW(SE_VERSION, 19, u"SE Version", PageValueOf(FIRMWARE_COMPONENT_SE))                       \
  ROW(PBL_VERSION, 21, u"PBL Version", PageValueOf(FIRMWARE_COMPONENT_PBL))                    \
  ROW(ATF_VERSION, 23, u"ATF Version", PageValueOf(FIRMWARE_COMPONENT_ATF))                    \
  ROW(PM_VERSION, 25, u"PM Version", PageValueOf(FIRMWARE_COMPONENT_PM))                       \
  ROW(TEE_VERSION, 27, u"TEE Version", PageValueOf(FIRMWARE_COMPONENT_TEE))                    \
  ROW(UEFI_VERSION, 29, u"UEFI Version", PageValueOf(FIRMWARE_COMPONENT_UEFI))                 \
  ROW(STMM_VERSION, 31, u"STMM Version", PageValueOf(FIRMWARE_COMPONENT_STMM))                 \
  HIDDEN_ROW(EC_VERSION, 33, u"EC Version", PageValueOf(FIRMWARE_COMPONENT_EC))                \
  BLANK_LINE()                                                                                 \
  SUBTITLE(SOURCE_CODE_INFORMATION, 39, u"Source Code Information")                            \
  ROW(EDK2_ZUN, 40, u"edk2-zun", PAGE_VALUE_SET)                                               \
  ROW(EDK2, 42, u"edk2", PAGE_VALUE_SET)                                                       \
  ROW(EDK2_NON_OSI, 44, u"edk2-non-osi", PAGE_VALUE_SET)                                       \
  ROW(EDK2_PLATFORMS, 46, u"edk2-platforms", PAGE_VALUE_SET)                                   \
  BLANK_LINE()                                                                                 \
  BLANK_LINE()                                                                                 \
  SUBTITLE(EXIT_HINT, 6, u"Press ESC to exit.")
// clang-format on

// The names --------------------------------------------------------------------

#define PAGE_STRING_NAME(Name, Id, Text) inline constexpr EFI_STRING_ID STRING_##Name = Id;
#define PAGE_ROW_NAMES(Name, Id, Label, Value)               \
  inline constexpr EFI_STRING_ID STRING_##Name##_LABEL = Id; \
  inline constexpr EFI_STRING_ID STRING_##Name##_VALUE = Id + 1;
#define PAGE_NO_NAME()
PAGE_LINE_LIST(PAGE_STRING_NAME, PAGE_NO_NAME, PAGE_STRING_NAME, PAGE_ROW_NAMES, PAGE_ROW_NAMES)
#undef PAGE_STRING_NAME
#undef PAGE_ROW_NAMES
#undef PAGE_NO_NAME

// The table -------------------------------------------------------------------

enum PAGE_LINE_KIND : UINT8 {
  PAGE_NO_LINE,  // a string only
  PAGE_SUBTITLE,
  PAGE_ROW,
  PAGE_HIDDEN_ROW,
};

struct PAGE_LINE {
  PAGE_LINE_KIND Kind;
  EFI_STRING_ID Id;    // the line's string; a row's label (its value is Id + 1)
  const CHAR16 *Text;  // the text of string Id; null when the line shows a string given elsewhere
  PAGE_VALUE Value;    // a row's value
};

#define PAGE_STRING_LINE(Name, Id, Text) {PAGE_NO_LINE, Id, Text, {}},
#define PAGE_BLANK_LINE() {PAGE_SUBTITLE, STRING_EMPTY, nullptr, {}},
#define PAGE_SUBTITLE_LINE(Name, Id, Text) {PAGE_SUBTITLE, Id, Text, {}},
#define PAGE_ROW_LINE(Name, Id, Label, Value) {PAGE_ROW, Id, Label, Value},
#define PAGE_HIDDEN_ROW_LINE(Name, Id, Label, Value) {PAGE_HIDDEN_ROW, Id, Label, Value},
inline constexpr PAGE_LINE mPageLines[] = {
    PAGE_LINE_LIST(PAGE_STRING_LINE, PAGE_BLANK_LINE, PAGE_SUBTITLE_LINE, PAGE_ROW_LINE, PAGE_HIDDEN_ROW_LINE)};
#undef PAGE_STRING_LINE
#undef PAGE_BLANK_LINE
#undef PAGE_SUBTITLE_LINE
#undef PAGE_ROW_LINE
#undef PAGE_HIDDEN_ROW_LINE
