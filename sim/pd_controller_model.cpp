// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/pd_controller_model.h"

#include <algorithm>

#include "platform/status.h"

namespace sim {

namespace {

constexpr UINT8 kSelectStatus[] = {0x3A, 0x03, 0x00, 0x00, 0x00};
constexpr UINT8 kReadVersion = 0x80;

bool IsWriteOf(const I2cTransfer &transfer, const UINT8 *bytes, std::size_t count) {
  return !transfer.read && transfer.length == count && std::equal(bytes, bytes + count, transfer.buffer);
}

}  // namespace

PdControllerModel::Reply PdControllerModel::VersionReply() const {
  if (raw_reply) {
    return *raw_reply;
  }
  const PdFirmwareVersions &v = versions;
  return Reply{reply_length_byte,
               0xC5,  // bytes 1..2: controller flags the driver does not use
               0x3C,
               v.boot_patch,
               v.boot_minor,
               static_cast<UINT8>(v.boot_major),
               static_cast<UINT8>(v.boot_major >> 8),
               v.app_patch,
               v.app_minor,
               static_cast<UINT8>(v.app_major),
               static_cast<UINT8>(v.app_major >> 8)};
}

EFI_STATUS PdControllerModel::Nack(std::string why) {
  errors_.push_back(std::move(why));
  return EFI_NO_RESPONSE;
}

EFI_STATUS PdControllerModel::Request(const std::vector<I2cTransfer> &transfers) {
  ++requests_;
  if (nack_request == requests_) {
    return EFI_NO_RESPONSE;  // a chosen failure, not a protocol error
  }
  if (transfers.size() == 1 && IsWriteOf(transfers[0], kSelectStatus, sizeof kSelectStatus)) {
    armed_ = true;
    return EFI_SUCCESS;
  }
  if (transfers.size() == 1 && transfers[0].read && transfers[0].length == 1) {
    if (!armed_) {
      return Nack("status read without the status command");
    }
    armed_ = false;
    transfers[0].buffer[0] = status_byte;
    return EFI_SUCCESS;
  }
  if (transfers.size() == 2 && IsWriteOf(transfers[0], &kReadVersion, 1) && transfers[1].read &&
      transfers[1].length == kReplyLength) {
    const Reply reply = VersionReply();
    std::copy(reply.begin(), reply.end(), transfers[1].buffer);
    return EFI_SUCCESS;
  }
  armed_ = false;
  return Nack("unexpected request of " + std::to_string(transfers.size()) + " operation(s)");
}

}  // namespace sim
