// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/guids.h"
#include "sim/platform.h"

namespace sim {

namespace {
struct NamedGuid {
  const EFI_GUID *guid;
  const char *name;
};

constexpr NamedGuid kNames[] = {
    {&EFI_HII_STRING_PROTOCOL_GUID, "HiiString"},
    {&EFI_HII_DATABASE_PROTOCOL_GUID, "HiiDatabase"},
    {&EFI_HII_CONFIG_ROUTING_PROTOCOL_GUID, "HiiConfigRouting"},
    {&EFI_HII_FONT_PROTOCOL_GUID, "HiiFont"},
    {&EFI_HII_IMAGE_PROTOCOL_GUID, "HiiImage"},
    {&EFI_DEVICE_PATH_PROTOCOL_GUID, "DevicePath"},
    {&EFI_LOADED_IMAGE_PROTOCOL_GUID, "LoadedImage"},
    {&EFI_I2C_MASTER_PROTOCOL_GUID, "I2cMaster"},
    {&MEMORY_INFO_PROTOCOL_GUID, "MemoryInfo"},
    {&FIRMWARE_VERSION_PROTOCOL_GUID, "FirmwareVersion"},
    {&PAGE_GUID, "SystemInformationPage"},
    {&I2C_BUS_VENDOR_GUID, "I2cBusVendor"},
};
}  // namespace

std::string GuidName(const EFI_GUID *guid) {
  if (guid == nullptr) {
    return "NULL";
  }
  for (const NamedGuid &named : kNames) {
    if (std::memcmp(named.guid, guid, sizeof(EFI_GUID)) == 0) {
      return named.name;
    }
  }
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", guid->Data1, guid->Data2,
                guid->Data3, guid->Data4[0], guid->Data4[1], guid->Data4[2], guid->Data4[3], guid->Data4[4],
                guid->Data4[5], guid->Data4[6], guid->Data4[7]);
  return text;
}

}  // namespace sim
