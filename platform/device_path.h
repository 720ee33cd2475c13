// SPDX-License-Identifier: BSD-2-Clause-Patent
// Device-path node layouts. Nodes are byte-packed: a node may start at any
// address, so multi-byte fields are read with the unaligned helpers.
#pragma once

#include "platform/types.h"

inline constexpr UINT8 HARDWARE_DEVICE_PATH = 0x01;
inline constexpr UINT8 HW_VENDOR_DP = 0x04;
inline constexpr UINT8 END_DEVICE_PATH_TYPE = 0x7F;
inline constexpr UINT8 END_ENTIRE_DEVICE_PATH_SUBTYPE = 0xFF;

struct EFI_DEVICE_PATH_PROTOCOL {
  UINT8 Type;
  UINT8 SubType;
  UINT8 Length[2];
};
static_assert(sizeof(EFI_DEVICE_PATH_PROTOCOL) == 4, "device-path node header");

struct VENDOR_DEVICE_PATH {
  EFI_DEVICE_PATH_PROTOCOL Header;
  EFI_GUID Guid;
};
static_assert(sizeof(VENDOR_DEVICE_PATH) == 20, "vendor node");
static_assert(offsetof(VENDOR_DEVICE_PATH, Guid) == 4, "vendor node GUID offset");
