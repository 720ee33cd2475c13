// SPDX-License-Identifier: BSD-2-Clause-Patent
// The facts one build of the test platform driver publishes. Each build
// links one generated definition of mScenario, made from scenarios.json,
// which the run script reads as well.
#pragma once

#include "platform/platform_protocols.h"
#include "platform/types.h"

// How the emulated PD controller misbehaves, if at all.
enum E2E_PD_FAULT : UINT32 {
  E2E_PD_FAULT_NONE,    // answers the version exchange
  E2E_PD_FAULT_STATUS,  // status byte 0xCB instead of 0x4B
  E2E_PD_FAULT_LENGTH,  // version reply announces 10 bytes instead of 11
  E2E_PD_FAULT_ABSENT,  // nothing answers at the controller's address
};

struct E2E_FIRMWARE_VERSION {
  UINT16 Major;
  UINT8 Minor;
  UINT8 Patch;
};

struct E2E_SCENARIO {
  const CHAR16 *Name;
  UINT32 TotalMiB;
  UINT16 ClockMHz;
  // Component texts by component index; null makes that query fail.
  const CHAR16 *Firmware[FIRMWARE_COMPONENT_COUNT];
  E2E_FIRMWARE_VERSION PdBoot;
  E2E_FIRMWARE_VERSION PdApp;
  E2E_PD_FAULT PdFault;
  // Strap value: bit 0 pin 49, bit 1 pin 50, bit 2 pin 57, bit 3 pin 60.
  UINT32 Straps;
};

extern const E2E_SCENARIO mScenario;
