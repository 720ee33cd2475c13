// The "System Information" page as the setup browser reads it, described
// record by record and string by string. Everything here is evaluated by
// the compiler; the module carries only the finished bytes.
#include "hii/page_packages.h"

#include "hii/ifr_builder.h"
#include "hii/package_framing.h"
#include "hii/page_strings.h"
#include "hii/string_block_builder.h"
#include "platform/guids.h"

namespace {

using namespace hii_build;

// Form -------------------------------------------------------------------------

// 0 == 0: always true. The first operand holds the rest of the expression
// in its scope.
constexpr auto ALWAYS_TRUE = Scope(Uint64(0), Uint64(0), Equal());

constexpr auto BlankLine() { return Subtitle(STRING_EMPTY); }

constexpr auto Row(EFI_STRING_ID Label, EFI_STRING_ID Value) { return Text(Label, STRING_EMPTY, Value); }

// A row the browser never shows; its strings stay in the package.
constexpr auto HiddenRow(EFI_STRING_ID Label, EFI_STRING_ID Value) {
  return SuppressIf(ALWAYS_TRUE, Row(Label, Value));
}

// clang-format off
constexpr auto PAGE_FORM = FormSet(
    PAGE_GUID, STRING_FORM_SET_TITLE, STRING_FORM_SET_HELP, EFI_HII_PLATFORM_SETUP_FORMSET_GUID,
    DefaultStore(0, EFI_HII_DEFAULT_CLASS_STANDARD),
    DefaultStore(0, EFI_HII_DEFAULT_CLASS_MANUFACTURING),
    Form(PAGE_FORM_ID, STRING_FORM_TITLE,
         BlankLine(),
         Subtitle(STRING_HARDWARE_INFORMATION),
         Row(STRING_TOTAL_MEMORY_LABEL, STRING_TOTAL_MEMORY_VALUE),
         Row(STRING_MEMORY_FREQUENCY_LABEL, STRING_MEMORY_FREQUENCY_VALUE),
         Row(STRING_PCB_SKU_LABEL, STRING_PCB_SKU_VALUE),
         HiddenRow(STRING_RESERVED_FIELD_LABEL, STRING_RESERVED_FIELD_VALUE),
         Row(STRING_MEMORY_CHIP_LABEL, STRING_MEMORY_CHIP_VALUE),
         HiddenRow(STRING_PMIC_VERSION_LABEL, STRING_PMIC_VERSION_VALUE),
         Row(STRING_PD_VERSION_LABEL, STRING_PD_VERSION_VALUE),
         BlankLine(),
         Subtitle(STRING_FIRMWARE_INFORMATION),
         Row(STRING_SE_VERSION_LABEL, STRING_SE_VERSION_VALUE),
         Row(STRING_PBL_VERSION_LABEL, STRING_PBL_VERSION_VALUE),
         Row(STRING_ATF_VERSION_LABEL, STRING_ATF_VERSION_VALUE),
         Row(STRING_PM_VERSION_LABEL, STRING_PM_VERSION_VALUE),
         Row(STRING_TEE_VERSION_LABEL, STRING_TEE_VERSION_VALUE),
         Row(STRING_UEFI_VERSION_LABEL, STRING_UEFI_VERSION_VALUE),
         Row(STRING_STMM_VERSION_LABEL, STRING_STMM_VERSION_VALUE),
         HiddenRow(STRING_EC_VERSION_LABEL, STRING_EC_VERSION_VALUE),
         BlankLine(),
         Subtitle(STRING_SOURCE_CODE_INFORMATION),
         Row(STRING_EDK2_ZUN_LABEL, STRING_EDK2_ZUN_VALUE),
         Row(STRING_EDK2_LABEL, STRING_EDK2_VALUE),
         Row(STRING_EDK2_NON_OSI_LABEL, STRING_EDK2_NON_OSI_VALUE),
         Row(STRING_EDK2_PLATFORMS_LABEL, STRING_EDK2_PLATFORMS_VALUE),
         BlankLine(),
         BlankLine(),
         Subtitle(STRING_EXIT_HINT)));
// clang-format on

static_assert(PAGE_FORM.Size == 378, "61 IFR records, 378 bytes");

// Strings ----------------------------------------------------------------------

// The initial text of every value slot that start-up replaces.
constexpr CHAR16 UNSET[] = u" ";

// clang-format off
constexpr auto PAGE_STRINGS = Concat(
    StringPackageHeader("en-US", STRING_LANGUAGE_NAME),
    StringBlocks(
        Ucs2String<STRING_LANGUAGE_NAME>(u"English"),
        Ucs2String<STRING_FORM_SET_TITLE>(u"System Information"),
        Ucs2String<STRING_FORM_SET_HELP>(u"Press <Enter> to view current system information."),
        Ucs2String<STRING_FORM_TITLE>(u"System Information"),
        Ucs2String<STRING_EMPTY>(u""),
        Ucs2String<STRING_EXIT_HINT>(u"Press ESC to exit."),
        Ucs2String<STRING_HARDWARE_INFORMATION>(u"Hardware Information"),
        Ucs2String<STRING_PCB_SKU_LABEL>(u"PCB SKU"),
        Ucs2String<STRING_PCB_SKU_VALUE>(UNSET),
        Ucs2String<STRING_MEMORY_CHIP_LABEL>(u"Memory Chip"),
        Ucs2String<STRING_MEMORY_CHIP_VALUE>(UNSET),
        Ucs2String<STRING_RESERVED_FIELD_LABEL>(u"Reserved Field"),
        Ucs2String<STRING_RESERVED_FIELD_VALUE>(u""),
        Ucs2String<STRING_PMIC_VERSION_LABEL>(u"PMIC Version"),
        Ucs2String<STRING_PMIC_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_PD_VERSION_LABEL>(u"PD Version"),
        Ucs2String<STRING_PD_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_FIRMWARE_INFORMATION>(u"Firmware Information"),
        Ucs2String<STRING_SE_VERSION_LABEL>(u"SE Version"),
        Ucs2String<STRING_SE_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_PBL_VERSION_LABEL>(u"PBL Version"),
        Ucs2String<STRING_PBL_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_ATF_VERSION_LABEL>(u"ATF Version"),
        Ucs2String<STRING_ATF_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_PM_VERSION_LABEL>(u"PM Version"),
        Ucs2String<STRING_PM_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_TEE_VERSION_LABEL>(u"TEE Version"),
        Ucs2String<STRING_TEE_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_UEFI_VERSION_LABEL>(u"UEFI Version"),
        Ucs2String<STRING_UEFI_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_STMM_VERSION_LABEL>(u"STMM Version"),
        Ucs2String<STRING_STMM_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_EC_VERSION_LABEL>(u"EC Version"),
        Ucs2String<STRING_EC_VERSION_VALUE>(UNSET),
        Ucs2String<STRING_TOTAL_MEMORY_LABEL>(u"Total Memory"),
        Ucs2String<STRING_TOTAL_MEMORY_VALUE>(UNSET),
        Ucs2String<STRING_MEMORY_FREQUENCY_LABEL>(u"Memory Frequency"),
        Ucs2String<STRING_MEMORY_FREQUENCY_VALUE>(UNSET),
        Ucs2String<STRING_SOURCE_CODE_INFORMATION>(u"Source Code Information"),
        Ucs2String<STRING_EDK2_ZUN_LABEL>(u"edk2-zun"),
        Ucs2String<STRING_EDK2_ZUN_VALUE>(UNSET),
        Ucs2String<STRING_EDK2_LABEL>(u"edk2"),
        Ucs2String<STRING_EDK2_VALUE>(UNSET),
        Ucs2String<STRING_EDK2_NON_OSI_LABEL>(u"edk2-non-osi"),
        Ucs2String<STRING_EDK2_NON_OSI_VALUE>(UNSET),
        Ucs2String<STRING_EDK2_PLATFORMS_LABEL>(u"edk2-platforms"),
        Ucs2String<STRING_EDK2_PLATFORMS_VALUE>(UNSET)));
// clang-format on

static_assert(PAGE_STRINGS.Size == 986, "string package header fields and 938 bytes of string blocks");

// The arrays --------------------------------------------------------------------

constexpr auto FORM_ARRAY = PackageArray(Package(EFI_HII_PACKAGE_FORMS, PAGE_FORM));
constexpr auto STRING_ARRAY = PackageArray(Package(EFI_HII_PACKAGE_STRINGS, PAGE_STRINGS));

static_assert(FORM_ARRAY.Size == PAGE_FORM_ARRAY_LENGTH, "form package array length");
static_assert(STRING_ARRAY.Size == PAGE_STRING_ARRAY_LENGTH, "string package array length");

}  // namespace

constinit const UINT8 (&mPageFormPackage)[PAGE_FORM_ARRAY_LENGTH] = FORM_ARRAY.Bytes;
constinit const UINT8 (&mPageStringPackage)[PAGE_STRING_ARRAY_LENGTH] = STRING_ARRAY.Bytes;
