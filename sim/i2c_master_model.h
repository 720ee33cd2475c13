// SPDX-License-Identifier: BSD-2-Clause-Patent
// An I2C bus behind EFI_I2C_MASTER_PROTOCOL: requests are routed by slave
// address to attached device models, an address without a device NACKs
// (EFI_NO_RESPONSE). Every request is logged with its packet and bytes,
// and each one is traced and faultable as "I2C.StartRequest".
//
// A faulted request fails without reaching the device; with `scribble` it
// does reach the device (read buffers get its answer) but still reports
// the injected status, so a caller that trusts data of a failed request
// is caught.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/i2c_master.h"
#include "platform/types.h"

namespace sim {

class Platform;

// One operation of a request as a device sees it.
struct I2cTransfer {
  bool read;
  UINT8 *buffer;
  UINT32 length;
};

class I2cDeviceModel {
 public:
  virtual ~I2cDeviceModel() = default;
  // Handles one whole request addressed to the device: consumes written
  // bytes, fills read buffers. A NACK is reported as EFI_NO_RESPONSE.
  virtual EFI_STATUS Request(const std::vector<I2cTransfer> &transfers) = 0;
};

struct I2cOperationRecord {
  UINT32 flags;
  UINT32 length;
  std::vector<UINT8> bytes;  // written bytes, or the bytes left in a read buffer
  bool operator==(const I2cOperationRecord &) const = default;
};

struct I2cRequestRecord {
  UINTN slave_address = 0;
  bool event_null = true;
  bool status_null = true;
  UINTN operation_count = 0;
  std::size_t packet_pool_size = 0;  // 0 when the packet is not live pool memory
  std::size_t live_pool_blocks = 0;  // pool blocks live while the request ran
  std::vector<I2cOperationRecord> operations;
  EFI_STATUS status = EFI_SUCCESS;
};

class I2cMasterModel {
 public:
  I2cMasterModel();
  I2cMasterModel(const I2cMasterModel &) = delete;
  I2cMasterModel &operator=(const I2cMasterModel &) = delete;

  // Installs the master on a new handle of `platform`, with a device path
  // made of exactly `device_path` (held in a buffer of exactly that size;
  // none is installed when `with_device_path` is false, and an empty one
  // installs a NULL device-path interface). May be called for several handles.
  EFI_HANDLE Publish(Platform &platform, const std::vector<UINT8> &device_path, bool with_device_path = true);

  void Attach(UINTN address, I2cDeviceModel *device) { devices_[address] = device; }
  void Detach(UINTN address) { devices_.erase(address); }

  EFI_I2C_MASTER_PROTOCOL *Protocol() { return &interface_.protocol; }
  const std::vector<I2cRequestRecord> &Requests() const { return requests_; }
  // Malformed requests the master refused.
  const std::vector<std::string> &Violations() const { return violations_; }
  void ClearLog() { requests_.clear(); }

 private:
  struct Interface {
    EFI_I2C_MASTER_PROTOCOL protocol;
    I2cMasterModel *owner;
  };
  static EFI_STATUS EFIAPI StartRequestThunk(const EFI_I2C_MASTER_PROTOCOL *This, UINTN SlaveAddress,
                                             EFI_I2C_REQUEST_PACKET *RequestPacket, EFI_EVENT Event,
                                             EFI_STATUS *I2cStatus);
  EFI_STATUS StartRequest(UINTN address, EFI_I2C_REQUEST_PACKET *packet, EFI_EVENT event, EFI_STATUS *i2c_status);
  EFI_STATUS Validate(const EFI_I2C_REQUEST_PACKET *packet);
  EFI_STATUS Deliver(UINTN address, EFI_I2C_REQUEST_PACKET *packet);

  Interface interface_{};
  EFI_I2C_CONTROLLER_CAPABILITIES capabilities_{};
  std::map<UINTN, I2cDeviceModel *> devices_;
  std::vector<std::unique_ptr<UINT8[]>> paths_;
  std::vector<I2cRequestRecord> requests_;
  std::vector<std::string> violations_;
};

// Device-path bytes of a vendor hardware node with `guid` and `data`,
// followed by an end-of-path node unless `end` is false. The node's Length
// field is 20 + data size unless `length` overrides it.
std::vector<UINT8> VendorDevicePath(const EFI_GUID &guid, const std::vector<UINT8> &data, bool end = true,
                                    int length = -1);

// The path of the platform's I2C bus `bus_number` (vendor data byte 8),
// with `data_size` bytes of vendor data (at least 9).
std::vector<UINT8> I2cBusDevicePath(UINT8 bus_number, std::size_t data_size = 12);

}  // namespace sim
