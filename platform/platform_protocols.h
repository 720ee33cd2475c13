// SPDX-License-Identifier: BSD-2-Clause-Patent
// The two platform protocols as this driver sees them. Both are published
// by other drivers of the board; only the members read here are named.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

// Memory facts: the interface points at a record holding the total size in
// MiB and the memory clock in MHz.
struct MEMORY_INFO_RECORD {
  UINT8 Reserved0[12];
  UINT32 TotalMiB;
  UINT8 Reserved1[4];
  UINT16 ClockMHz;
};
static_assert(offsetof(MEMORY_INFO_RECORD, TotalMiB) == 12, "memory record layout");
static_assert(offsetof(MEMORY_INFO_RECORD, ClockMHz) == 20, "memory record layout");

struct MEMORY_INFO_PROTOCOL {
  UINT8 Reserved[16];
  const MEMORY_INFO_RECORD *Record;
};
static_assert(offsetof(MEMORY_INFO_PROTOCOL, Record) == 16, "memory-information interface layout");

// Firmware component versions: a table of services of which the twelfth,
// GetComponentVersion, is called without the interface pointer. The text it
// returns belongs to the protocol.
using FIRMWARE_GET_COMPONENT_VERSION = EFI_STATUS(EFIAPI *)(UINT32 Component, CHAR16 **Version, UINT32 *Aux);

// The components GetComponentVersion knows, COMPONENT(Name, Index) each:
// FIRMWARE_COMPONENT_<Name> is the index to ask for.
#define FIRMWARE_COMPONENT_LIST(COMPONENT) \
  COMPONENT(SE, 0)                         \
  COMPONENT(PM, 1)                         \
  COMPONENT(PBL, 2)                        \
  COMPONENT(ATF, 3)                        \
  COMPONENT(TEE, 4)                        \
  COMPONENT(EC, 5)                         \
  COMPONENT(STMM, 6)                       \
  COMPONENT(UEFI, 7)

#define FIRMWARE_COMPONENT_CONSTANT(Name, Index) inline constexpr UINT32 FIRMWARE_COMPONENT_##Name = Index;
FIRMWARE_COMPONENT_LIST(FIRMWARE_COMPONENT_CONSTANT)
#undef FIRMWARE_COMPONENT_CONSTANT

// As many components as the list names; their indices are 0 to count - 1,
// each once (a repeated index would leave one of them out).
#define FIRMWARE_COMPONENT_COUNT_ONE(Name, Index) +1
#define FIRMWARE_COMPONENT_BIT(Name, Index) | (1u << Index)
inline constexpr UINT32 FIRMWARE_COMPONENT_COUNT = 0 FIRMWARE_COMPONENT_LIST(FIRMWARE_COMPONENT_COUNT_ONE);
static_assert((0u FIRMWARE_COMPONENT_LIST(FIRMWARE_COMPONENT_BIT)) == (1u << FIRMWARE_COMPONENT_COUNT) - 1,
              "component indices 0 to count - 1, each once");
#undef FIRMWARE_COMPONENT_COUNT_ONE
#undef FIRMWARE_COMPONENT_BIT

struct FIRMWARE_VERSION_PROTOCOL {
  void *Reserved[11];
  FIRMWARE_GET_COMPONENT_VERSION GetComponentVersion;
};
static_assert(offsetof(FIRMWARE_VERSION_PROTOCOL, GetComponentVersion) == 88, "firmware-version interface layout");
