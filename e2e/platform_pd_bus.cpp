// SPDX-License-Identifier: BSD-2-Clause-Patent
// I2C master handles with an emulated PD controller at address 0x72. The
// controller answers one exchange: the 5-byte command 3A 03 00 00 00, a
// 1-byte status read (0x4B), then the version request 0x80 with an 11-byte
// reply in one combined transfer. Anything out of that order is refused.
//
// Two decoy buses come first in handle order, each with a controller that
// answers with other versions: one carries the bus vendor GUID but bus
// number 6 (and the number 7 in the bytes around it), the other bus number
// 7 under a different vendor GUID. A driver that picks the wrong bus shows
// the decoy versions.
#include "e2e/test_platform.h"
#include "platform/device_path.h"
#include "platform/guids.h"
#include "platform/i2c_master.h"

namespace {

constexpr UINTN PD_ADDRESS = 0x72;
constexpr UINT8 COMMAND[] = {0x3A, 0x03, 0x00, 0x00, 0x00};
constexpr UINT8 STATUS_READY = 0x4B;
constexpr UINT8 STATUS_FAULTY = 0xCB;
constexpr UINT8 VERSION_REQUEST = 0x80;
constexpr UINT32 VERSION_REPLY_LENGTH = 11;

constexpr UINTN BUS_NODE_LENGTH = 32;
constexpr UINTN BUS_NUMBER_OFFSET = 28;

constexpr E2E_FIRMWARE_VERSION DECOY_VERSION = {99, 9, 9};

enum PD_STATE : UINT32 { PD_IDLE, PD_COMMANDED, PD_READY };

struct PD_BUS {
  EFI_I2C_MASTER_PROTOCOL Master;  // first: the interface pointer is the bus
  EFI_BOOT_SERVICES *BootServices;
  E2E_FIRMWARE_VERSION Boot;
  E2E_FIRMWARE_VERSION App;
  E2E_PD_FAULT Fault;
  PD_STATE State;
  UINT8 DevicePath[BUS_NODE_LENGTH + sizeof(EFI_DEVICE_PATH_PROTOCOL)];
};

PD_BUS mBuses[3];

const EFI_I2C_CONTROLLER_CAPABILITIES mCapabilities = {sizeof(EFI_I2C_CONTROLLER_CAPABILITIES), 32, 32, 64};

// Some other vendor's I2C bus.
constexpr EFI_GUID OTHER_BUS_GUID = {0x6E2EB0C1, 0x1D2A, 0x4C5B, {0x9A, 0x71, 0x3C, 0x0F, 0x82, 0x44, 0x5D, 0x10}};

bool IsWrite(const EFI_I2C_OPERATION &Op, UINT32 Length) {
  return Op.Flags == 0 && Op.LengthInBytes == Length && Op.Buffer != nullptr;
}

bool IsRead(const EFI_I2C_OPERATION &Op, UINT32 Length) {
  return Op.Flags == I2C_FLAG_READ && Op.LengthInBytes == Length && Op.Buffer != nullptr;
}

bool BytesEqual(const UINT8 *Left, const UINT8 *Right, UINTN Length) {
  for (UINTN Index = 0; Index < Length; ++Index) {
    if (Left[Index] != Right[Index]) {
      return false;
    }
  }
  return true;
}

void FillVersionReply(const PD_BUS *Bus, UINT8 *Reply) {
  Reply[0] = Bus->Fault == E2E_PD_FAULT_LENGTH ? VERSION_REPLY_LENGTH - 1 : VERSION_REPLY_LENGTH;
  Reply[1] = 0x5A;
  Reply[2] = 0xA5;
  Reply[3] = Bus->Boot.Patch;
  Reply[4] = Bus->Boot.Minor;
  Reply[5] = static_cast<UINT8>(Bus->Boot.Major & 0xFF);
  Reply[6] = static_cast<UINT8>(Bus->Boot.Major >> 8);
  Reply[7] = Bus->App.Patch;
  Reply[8] = Bus->App.Minor;
  Reply[9] = static_cast<UINT8>(Bus->App.Major & 0xFF);
  Reply[10] = static_cast<UINT8>(Bus->App.Major >> 8);
}

// One transfer to the controller; the state only advances in exchange order.
EFI_STATUS RunTransfer(PD_BUS *Bus, EFI_I2C_REQUEST_PACKET *Packet) {
  const EFI_I2C_OPERATION *Ops = Packet->Operation;
  if (Packet->OperationCount == 1 && IsWrite(Ops[0], sizeof(COMMAND))) {
    if (!BytesEqual(Ops[0].Buffer, COMMAND, sizeof(COMMAND))) {
      Bus->State = PD_IDLE;
      return EFI_DEVICE_ERROR;
    }
    Bus->State = PD_COMMANDED;
    return EFI_SUCCESS;
  }
  if (Packet->OperationCount == 1 && IsRead(Ops[0], 1) && Bus->State == PD_COMMANDED) {
    Ops[0].Buffer[0] = Bus->Fault == E2E_PD_FAULT_STATUS ? STATUS_FAULTY : STATUS_READY;
    Bus->State = PD_READY;
    return EFI_SUCCESS;
  }
  if (Packet->OperationCount == 2 && IsWrite(Ops[0], 1) && Ops[0].Buffer[0] == VERSION_REQUEST &&
      IsRead(Ops[1], VERSION_REPLY_LENGTH) && Bus->State == PD_READY) {
    FillVersionReply(Bus, Ops[1].Buffer);
    Bus->State = PD_IDLE;
    return EFI_SUCCESS;
  }
  Bus->State = PD_IDLE;
  return EFI_DEVICE_ERROR;
}

EFI_STATUS EFIAPI StartRequest(const EFI_I2C_MASTER_PROTOCOL *This, UINTN SlaveAddress,
                               EFI_I2C_REQUEST_PACKET *RequestPacket, EFI_EVENT Event, EFI_STATUS *I2cStatus) {
  if (This == nullptr || RequestPacket == nullptr || RequestPacket->OperationCount == 0) {
    return EFI_INVALID_PARAMETER;
  }
  PD_BUS *Bus = reinterpret_cast<PD_BUS *>(const_cast<EFI_I2C_MASTER_PROTOCOL *>(This));
  EFI_STATUS Status = EFI_NO_RESPONSE;
  if (SlaveAddress == PD_ADDRESS && Bus->Fault != E2E_PD_FAULT_ABSENT) {
    Status = RunTransfer(Bus, RequestPacket);
  }
  // Transfers complete at once; an asynchronous caller gets its event now.
  if (I2cStatus != nullptr) {
    *I2cStatus = Status;
  }
  if (Event != nullptr) {
    Bus->BootServices->SignalEvent(Event);
    return EFI_SUCCESS;
  }
  return Status;
}

EFI_STATUS EFIAPI SetBusFrequency(const EFI_I2C_MASTER_PROTOCOL *, UINTN *BusClockHertz) {
  if (BusClockHertz == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  *BusClockHertz = 400000;
  return EFI_SUCCESS;
}

EFI_STATUS EFIAPI ResetBus(const EFI_I2C_MASTER_PROTOCOL *This) {
  reinterpret_cast<PD_BUS *>(const_cast<EFI_I2C_MASTER_PROTOCOL *>(This))->State = PD_IDLE;
  return EFI_SUCCESS;
}

// Vendor hardware node of BUS_NODE_LENGTH bytes, then the end node. Vendor
// data byte i holds 0x20 + i, except the bus number at BUS_NUMBER_OFFSET;
// SevensAround puts the number 7 in the bytes on either side of it.
void BuildDevicePath(UINT8 *Path, const EFI_GUID &Vendor, UINT8 BusNumber, bool SevensAround) {
  Path[0] = HARDWARE_DEVICE_PATH;
  Path[1] = HW_VENDOR_DP;
  Path[2] = BUS_NODE_LENGTH;
  Path[3] = 0;
  const auto *Guid = reinterpret_cast<const UINT8 *>(&Vendor);
  for (UINTN Index = 0; Index < sizeof(EFI_GUID); ++Index) {
    Path[4 + Index] = Guid[Index];
  }
  for (UINTN Index = 20; Index < BUS_NODE_LENGTH; ++Index) {
    Path[Index] = static_cast<UINT8>(0x20 + Index);
  }
  if (SevensAround) {
    Path[BUS_NUMBER_OFFSET - 1] = 7;
    Path[BUS_NUMBER_OFFSET + 1] = 7;
  }
  Path[BUS_NUMBER_OFFSET] = BusNumber;
  UINT8 *End = Path + BUS_NODE_LENGTH;
  End[0] = END_DEVICE_PATH_TYPE;
  End[1] = END_ENTIRE_DEVICE_PATH_SUBTYPE;
  End[2] = sizeof(EFI_DEVICE_PATH_PROTOCOL);
  End[3] = 0;
}

EFI_STATUS InstallBus(EFI_BOOT_SERVICES *BootServices, PD_BUS *Bus) {
  Bus->Master.SetBusFrequency = SetBusFrequency;
  Bus->Master.Reset = ResetBus;
  Bus->Master.StartRequest = StartRequest;
  Bus->Master.I2cControllerCapabilities = &mCapabilities;
  Bus->BootServices = BootServices;
  Bus->State = PD_IDLE;
  EFI_HANDLE Handle = nullptr;
  EFI_STATUS Status = BootServices->InstallProtocolInterface(&Handle, &EFI_DEVICE_PATH_PROTOCOL_GUID,
                                                             EFI_NATIVE_INTERFACE, Bus->DevicePath);
  if (EFI_ERROR(Status)) {
    return Status;
  }
  return BootServices->InstallProtocolInterface(&Handle, &EFI_I2C_MASTER_PROTOCOL_GUID, EFI_NATIVE_INTERFACE,
                                                &Bus->Master);
}

}  // namespace

EFI_STATUS PublishPdBuses(EFI_BOOT_SERVICES *BootServices, const E2E_SCENARIO *Scenario) {
  PD_BUS &SameVendorOtherBus = mBuses[0];
  PD_BUS &OtherVendorSameBus = mBuses[1];
  PD_BUS &PdBus = mBuses[2];
  PD_BUS *Decoys[] = {&SameVendorOtherBus, &OtherVendorSameBus};
  for (PD_BUS *Decoy : Decoys) {
    Decoy->Boot = DECOY_VERSION;
    Decoy->App = DECOY_VERSION;
    Decoy->Fault = E2E_PD_FAULT_NONE;
  }
  BuildDevicePath(SameVendorOtherBus.DevicePath, I2C_BUS_VENDOR_GUID, 6, true);
  BuildDevicePath(OtherVendorSameBus.DevicePath, OTHER_BUS_GUID, 7, false);
  PdBus.Boot = Scenario->PdBoot;
  PdBus.App = Scenario->PdApp;
  PdBus.Fault = Scenario->PdFault;
  BuildDevicePath(PdBus.DevicePath, I2C_BUS_VENDOR_GUID, 7, false);
  for (PD_BUS &Bus : mBuses) {
    const EFI_STATUS Status = InstallBus(BootServices, &Bus);
    if (EFI_ERROR(Status)) {
      return Status;
    }
  }
  return EFI_SUCCESS;
}
