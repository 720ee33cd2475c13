// SPDX-License-Identifier: BSD-2-Clause-Patent
// The test platform driver's parts: each publishes one thing the board's
// other firmware drivers would, with the facts of the built-in scenario.
#pragma once

#include "e2e/scenario.h"
#include "platform/boot_services.h"

// Reserves the GPIO controllers' register pages the board configuration
// names and fills them with the scenario's strap levels.
EFI_STATUS PublishGpioBlocks(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario);

// Installs the memory-information protocol on a new handle.
EFI_STATUS PublishMemoryInfo(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario);

// Installs the firmware-version protocol on a new handle.
EFI_STATUS PublishFirmwareVersions(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario);

// Installs I2C master handles: two decoy buses, then the PD controller's bus.
EFI_STATUS PublishPdBuses(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario);
