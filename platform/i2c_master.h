// SPDX-License-Identifier: BSD-2-Clause-Patent
// EFI_I2C_MASTER_PROTOCOL and its request packet.
#pragma once

#include "platform/status.h"
#include "platform/types.h"

inline constexpr UINT32 I2C_FLAG_READ = 0x00000001;
inline constexpr UINT32 I2C_FLAG_SMBUS_OPERATION = 0x00010000;
inline constexpr UINT32 I2C_FLAG_SMBUS_BLOCK = 0x00020000;
inline constexpr UINT32 I2C_FLAG_SMBUS_PROCESS_CALL = 0x00040000;
inline constexpr UINT32 I2C_FLAG_SMBUS_PEC = 0x00080000;

struct EFI_I2C_OPERATION {
  UINT32 Flags;
  UINT32 LengthInBytes;
  UINT8 *Buffer;
};
static_assert(sizeof(EFI_I2C_OPERATION) == 16, "I2C operation");

// OperationCount records follow the count; the declared array holds one.
struct EFI_I2C_REQUEST_PACKET {
  UINTN OperationCount;
  EFI_I2C_OPERATION Operation[1];
};
static_assert(sizeof(EFI_I2C_REQUEST_PACKET) == 24, "one-operation request packet");

constexpr UINTN I2cRequestPacketSize(UINTN Operations) {
  return sizeof(UINTN) + Operations * sizeof(EFI_I2C_OPERATION);
}
static_assert(I2cRequestPacketSize(2) == 40, "two-operation request packet");

struct EFI_I2C_CONTROLLER_CAPABILITIES {
  UINT32 StructureSizeInBytes;
  UINT32 MaximumReceiveBytes;
  UINT32 MaximumTransmitBytes;
  UINT32 MaximumTotalBytes;
};

struct EFI_I2C_MASTER_PROTOCOL {
  EFI_STATUS(EFIAPI *SetBusFrequency)(const EFI_I2C_MASTER_PROTOCOL *This, UINTN *BusClockHertz);
  EFI_STATUS(EFIAPI *Reset)(const EFI_I2C_MASTER_PROTOCOL *This);
  EFI_STATUS(EFIAPI *StartRequest)(const EFI_I2C_MASTER_PROTOCOL *This, UINTN SlaveAddress,
                                   EFI_I2C_REQUEST_PACKET *RequestPacket, EFI_EVENT Event, EFI_STATUS *I2cStatus);
  const EFI_I2C_CONTROLLER_CAPABILITIES *I2cControllerCapabilities;
};
static_assert(offsetof(EFI_I2C_MASTER_PROTOCOL, StartRequest) == 16, "I2C master layout");
