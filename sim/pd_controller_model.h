// SPDX-License-Identifier: BSD-2-Clause-Patent
// The board's USB PD controller as seen on I2C at address 0x72. It answers
// the version exchange only when asked with exactly the expected bytes:
//   write 3A 03 00 00 00            arms the status read
//   read 1 byte (armed)             status byte (0x4B when ready)
//   write 80 then read 11, one request   the version record
// Anything else is NACKed and noted in ProtocolErrors().
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sim/i2c_master_model.h"

namespace sim {

struct PdFirmwareVersions {
  UINT16 boot_major = 1;
  UINT8 boot_minor = 2;
  UINT8 boot_patch = 3;
  UINT16 app_major = 4;
  UINT8 app_minor = 5;
  UINT8 app_patch = 6;
};

class PdControllerModel : public I2cDeviceModel {
 public:
  static constexpr UINTN kAddress = 0x72;
  static constexpr UINT8 kReadyStatus = 0x4B;
  static constexpr std::size_t kReplyLength = 11;
  using Reply = std::array<UINT8, kReplyLength>;

  PdFirmwareVersions versions;
  UINT8 status_byte = kReadyStatus;
  UINT8 reply_length_byte = kReplyLength;  // byte 0 of the version record
  // When set, the version record is exactly these bytes.
  std::optional<Reply> raw_reply;
  // Request number (1-based, counted per device) to NACK; 0: none.
  unsigned nack_request = 0;

  // Attaches the controller at kAddress of `bus`.
  void AttachTo(I2cMasterModel &bus) { bus.Attach(kAddress, this); }

  // The version record as the controller would send it now.
  Reply VersionReply() const;

  EFI_STATUS Request(const std::vector<I2cTransfer> &transfers) override;

  unsigned RequestsSeen() const { return requests_; }
  const std::vector<std::string> &ProtocolErrors() const { return errors_; }

 private:
  EFI_STATUS Nack(std::string why);

  bool armed_ = false;
  unsigned requests_ = 0;
  std::vector<std::string> errors_;
};

}  // namespace sim
