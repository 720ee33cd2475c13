// SPDX-License-Identifier: BSD-2-Clause-Patent
// Module-wide pointers, set by DriverEntry before anything else uses them.
#pragma once

#include "platform/boot_services.h"
#include "platform/hii.h"

extern EFI_SYSTEM_TABLE *gSystemTable;
extern EFI_BOOT_SERVICES *gBootServices;
extern EFI_HII_STRING_PROTOCOL *gStringProtocol;
extern EFI_HII_DATABASE_PROTOCOL *gDatabaseProtocol;
extern EFI_HII_CONFIG_ROUTING_PROTOCOL *gConfigRoutingProtocol;
extern EFI_HII_FONT_PROTOCOL *gFontProtocol;
extern EFI_HII_IMAGE_PROTOCOL *gImageProtocol;
