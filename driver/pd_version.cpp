// SPDX-License-Identifier: BSD-2-Clause-Patent
// The PD controller's version exchange, three requests each completed
// before StartRequest returns:
//   1. write 3A 03 00 00 00        status command
//   2. read 1 byte                 status: bits 7..6 = 01, bits 5..0 = 0x0B
//   3. write 80, read 11 bytes     the version record
// Version record: byte 0 its length (11), 3 boot patch, 4 boot minor,
// 5..6 boot major (LE), 7 app patch, 8 app minor, 9..10 app major (LE).
#include "driver/pd_version.h"

#include "driver/i2c_bus_search.h"
#include "platform/i2c_master.h"
#include "text/pool.h"
#include "text/unaligned.h"

namespace {

constexpr UINT8 PD_STATUS_FIELD_MASK = 0xC0;
constexpr UINT8 PD_STATUS_FIELD = 0x40;
constexpr UINT8 PD_STATUS_CODE_MASK = 0x3F;
constexpr UINT8 PD_STATUS_CODE = 0x0B;

constexpr UINT8 PD_READ_VERSION = 0x80;
constexpr UINT32 PD_VERSION_REPLY_LENGTH = 11;

struct PD_TRANSFER {
  UINT32 Flags;
  UINT32 Length;
  UINT8 *Buffer;
};

// Sends one request of Count transfers in a zeroed pool packet that lives
// only for the duration of the request.
EFI_STATUS RunPdRequest(EFI_I2C_MASTER_PROTOCOL *I2c, const PD_TRANSFER *Transfers, UINTN Count) {
  auto *Packet = static_cast<EFI_I2C_REQUEST_PACKET *>(AllocateZeroed(I2cRequestPacketSize(Count)));
  if (Packet == nullptr) {
    return EFI_OUT_OF_RESOURCES;
  }
  Packet->OperationCount = Count;
  EFI_I2C_OPERATION *Operations = Packet->Operation;
  for (UINTN Index = 0; Index < Count; ++Index) {
    Operations[Index] = EFI_I2C_OPERATION{Transfers[Index].Flags, Transfers[Index].Length, Transfers[Index].Buffer};
  }
  const EFI_STATUS Status = I2c->StartRequest(I2c, PD_CONTROLLER_ADDRESS, Packet, nullptr, nullptr);
  FreeBuffer(Packet);
  return Status;
}

bool IsPdStatusReady(UINT8 Status) {
  return (Status & PD_STATUS_FIELD_MASK) == PD_STATUS_FIELD && (Status & PD_STATUS_CODE_MASK) == PD_STATUS_CODE;
}

EFI_STATUS ReadPdStatus(EFI_I2C_MASTER_PROTOCOL *I2c) {
  // A writable copy: request buffers are not const.
  UINT8 Select[] = {0x3A, 0x03, 0x00, 0x00, 0x00};
  const PD_TRANSFER Write = {0, sizeof Select, Select};
  EFI_STATUS Status = RunPdRequest(I2c, &Write, 1);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  UINT8 PdStatus = 0;
  const PD_TRANSFER Read = {I2C_FLAG_READ, 1, &PdStatus};
  Status = RunPdRequest(I2c, &Read, 1);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  return IsPdStatusReady(PdStatus) ? EFI_SUCCESS : EFI_DEVICE_ERROR;
}

EFI_STATUS ReadPdVersionReply(EFI_I2C_MASTER_PROTOCOL *I2c, UINT8 (&Reply)[PD_VERSION_REPLY_LENGTH]) {
  UINT8 Command = PD_READ_VERSION;
  const PD_TRANSFER Transfers[] = {
      {0, 1, &Command},
      {I2C_FLAG_READ, PD_VERSION_REPLY_LENGTH, Reply},
  };
  const EFI_STATUS Status = RunPdRequest(I2c, Transfers, 2);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  return Reply[0] == PD_VERSION_REPLY_LENGTH ? EFI_SUCCESS : EFI_DEVICE_ERROR;
}

}  // namespace

EFI_STATUS QueryPdVersion(PD_VERSION *Version) {
  if (Version == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  EFI_I2C_MASTER_PROTOCOL *I2c = nullptr;
  EFI_STATUS Status = LocatePdI2cMaster(&I2c);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  Status = ReadPdStatus(I2c);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  UINT8 Reply[PD_VERSION_REPLY_LENGTH] = {};
  Status = ReadPdVersionReply(I2c, Reply);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  Version->BootPatch = Reply[3];
  Version->BootMinor = Reply[4];
  Version->BootMajor = ReadLe16(&Reply[5]);
  Version->AppPatch = Reply[7];
  Version->AppMinor = Reply[8];
  Version->AppMajor = ReadLe16(&Reply[9]);
  return EFI_SUCCESS;
}
