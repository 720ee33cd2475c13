// SPDX-License-Identifier: BSD-2-Clause-Patent
// Module-wide pointers; zero until DriverEntry sets them.
#include "platform/module_globals.h"

EFI_SYSTEM_TABLE *gSystemTable = nullptr;
EFI_BOOT_SERVICES *gBootServices = nullptr;
EFI_HII_STRING_PROTOCOL *gStringProtocol = nullptr;
EFI_HII_DATABASE_PROTOCOL *gDatabaseProtocol = nullptr;
EFI_HII_CONFIG_ROUTING_PROTOCOL *gConfigRoutingProtocol = nullptr;
EFI_HII_FONT_PROTOCOL *gFontProtocol = nullptr;
EFI_HII_IMAGE_PROTOCOL *gImageProtocol = nullptr;
