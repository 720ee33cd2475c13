// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/i2c_master_model.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/guids.h"
#include "sim/traced_service.h"

namespace sim {

namespace {
std::string Hex(UINTN value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}
}  // namespace

I2cMasterModel::I2cMasterModel() {
  capabilities_ = EFI_I2C_CONTROLLER_CAPABILITIES{sizeof(EFI_I2C_CONTROLLER_CAPABILITIES), 256, 256, 512};
  interface_.protocol.StartRequest = StartRequestThunk;
  interface_.protocol.I2cControllerCapabilities = &capabilities_;
  interface_.owner = this;
}

EFI_HANDLE I2cMasterModel::Publish(Platform &platform, const std::vector<UINT8> &device_path, bool with_device_path) {
  EFI_HANDLE handle = platform.Publish(EFI_I2C_MASTER_PROTOCOL_GUID, &interface_.protocol);
  if (!with_device_path) {
    return handle;
  }
  UINT8 *path = nullptr;
  if (!device_path.empty()) {
    paths_.push_back(std::unique_ptr<UINT8[]>(new UINT8[device_path.size()]));
    path = paths_.back().get();
    std::memcpy(path, device_path.data(), device_path.size());
  }
  return platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, path, handle);
}

EFI_STATUS EFIAPI I2cMasterModel::StartRequestThunk(const EFI_I2C_MASTER_PROTOCOL *This, UINTN SlaveAddress,
                                                    EFI_I2C_REQUEST_PACKET *RequestPacket, EFI_EVENT Event,
                                                    EFI_STATUS *I2cStatus) {
  if (This == nullptr) {
    std::fputs("sim: I2C StartRequest without This\n", stderr);
    std::abort();
  }
  const auto *interface = reinterpret_cast<const Interface *>(This);
  return interface->owner->StartRequest(SlaveAddress, RequestPacket, Event, I2cStatus);
}

EFI_STATUS I2cMasterModel::Validate(const EFI_I2C_REQUEST_PACKET *packet) {
  std::string problem;
  if (packet == nullptr) {
    problem = "NULL request packet";
  } else if (packet->OperationCount == 0) {
    problem = "request without operations";
  } else {
    const EFI_I2C_OPERATION *operations = packet->Operation;
    for (UINTN i = 0; i < packet->OperationCount && problem.empty(); ++i) {
      if (operations[i].Buffer == nullptr) {
        problem = "operation " + std::to_string(i) + " has a NULL buffer";
      } else if (operations[i].LengthInBytes == 0) {
        problem = "operation " + std::to_string(i) + " has no bytes";
      } else if ((operations[i].Flags & ~I2C_FLAG_READ) != 0) {
        problem = "operation " + std::to_string(i) + " uses unsupported flags " + Hex(operations[i].Flags);
      }
    }
  }
  if (problem.empty()) {
    return EFI_SUCCESS;
  }
  violations_.push_back(problem);
  return EFI_INVALID_PARAMETER;
}

EFI_STATUS I2cMasterModel::Deliver(UINTN address, EFI_I2C_REQUEST_PACKET *packet) {
  auto it = devices_.find(address);
  if (it == devices_.end()) {
    return EFI_NO_RESPONSE;
  }
  std::vector<I2cTransfer> transfers;
  const EFI_I2C_OPERATION *operations = packet->Operation;
  for (UINTN i = 0; i < packet->OperationCount; ++i) {
    transfers.push_back(
        I2cTransfer{(operations[i].Flags & I2C_FLAG_READ) != 0, operations[i].Buffer, operations[i].LengthInBytes});
  }
  return it->second->Request(transfers);
}

// Every request is recorded, failed or not. A failed request reaches the
// device only when asked to scribble (its read buffers then hold whatever
// the device sent), and reports the planned status in *i2c_status too.
EFI_STATUS I2cMasterModel::StartRequest(UINTN address, EFI_I2C_REQUEST_PACKET *packet, EFI_EVENT event,
                                        EFI_STATUS *i2c_status) {
  const UINTN count = packet != nullptr ? packet->OperationCount : 0;
  return TracedServiceAlwaysRuns(
      "I2C.StartRequest", "addr=" + Hex(address) + " ops=" + std::to_string(count), [&](const Verdict &verdict) {
        Platform &platform = Current();
        I2cRequestRecord record;
        record.slave_address = address;
        record.event_null = event == nullptr;
        record.status_null = i2c_status == nullptr;
        record.operation_count = count;
        record.packet_pool_size = platform.pool().SizeOf(packet);
        record.live_pool_blocks = platform.pool().LiveCount();

        EFI_STATUS status = Validate(packet);
        if (!EFI_ERROR(status)) {
          const EFI_I2C_OPERATION *operations = packet->Operation;
          // Written bytes as they were handed over, before the device runs.
          for (UINTN i = 0; i < count; ++i) {
            const bool read = (operations[i].Flags & I2C_FLAG_READ) != 0;
            record.operations.push_back(I2cOperationRecord{
                operations[i].Flags, operations[i].LengthInBytes,
                read ? std::vector<UINT8>{}
                     : std::vector<UINT8>(operations[i].Buffer, operations[i].Buffer + operations[i].LengthInBytes)});
          }
          if (!verdict.fail || verdict.scribble) {
            status = Deliver(address, packet);
          }
          for (UINTN i = 0; i < count; ++i) {
            if ((operations[i].Flags & I2C_FLAG_READ) != 0) {
              record.operations[i].bytes.assign(operations[i].Buffer,
                                                operations[i].Buffer + operations[i].LengthInBytes);
            }
          }
        }
        if (verdict.fail) {
          status = verdict.status;
        }
        record.status = status;
        requests_.push_back(std::move(record));
        if (i2c_status != nullptr) {
          *i2c_status = status;
        }
        return status;
      });
}

std::vector<UINT8> VendorDevicePath(const EFI_GUID &guid, const std::vector<UINT8> &data, bool end, int length) {
  const std::size_t node_length = length >= 0 ? static_cast<std::size_t>(length) : 20 + data.size();
  std::vector<UINT8> bytes = {0x01, 0x04, static_cast<UINT8>(node_length), static_cast<UINT8>(node_length >> 8)};
  const auto *guid_bytes = reinterpret_cast<const UINT8 *>(&guid);
  bytes.insert(bytes.end(), guid_bytes, guid_bytes + sizeof(EFI_GUID));
  bytes.insert(bytes.end(), data.begin(), data.end());
  if (end) {
    bytes.insert(bytes.end(), {0x7F, 0xFF, 0x04, 0x00});
  }
  return bytes;
}

std::vector<UINT8> I2cBusDevicePath(UINT8 bus_number, std::size_t data_size) {
  std::vector<UINT8> data(data_size < 9 ? 9 : data_size, 0);
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<UINT8>(0x10 + i);  // controller details the driver does not read
  }
  data[8] = bus_number;
  return VendorDevicePath(I2C_BUS_VENDOR_GUID, data);
}

}  // namespace sim
