// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/pl011_model.h"

namespace sim {

void Pl011Model::Configure(UINT32 control, UINT32 line_control, UINT32 integer_divisor, UINT32 fractional_divisor) {
  cr = control;
  lcr_h = line_control;
  ibrd = integer_divisor;
  fbrd = fractional_divisor;
}

UINT32 Pl011Model::Read(UINTN offset) {
  switch (offset) {
    case kUARTRSR:
      return rsr;
    case kUARTFR: {
      const bool drained = drain_after_ != kNeverDrains && flag_reads_ >= static_cast<std::uint64_t>(drain_after_);
      ++flag_reads_;
      return kRXFE | (drained ? kTXFE : kBUSY);
    }
    case kUARTIBRD:
      return ibrd;
    case kUARTFBRD:
      return fbrd;
    case kUARTLCRH:
      return lcr_h;
    case kUARTCR:
      return cr;
    default:
      return 0;
  }
}

void Pl011Model::Write(UINTN offset, UINT32 value) {
  switch (offset) {
    case kUARTRSR:
      rsr = 0;  // any write clears the receive error flags
      break;
    case kUARTIBRD:
      ibrd = value & 0xFFFF;
      break;
    case kUARTFBRD:
      fbrd = value & 0x3F;
      break;
    case kUARTLCRH:
      lcr_h = value & 0xFF;
      break;
    case kUARTCR:
      cr = value & 0xFFFF;
      break;
    default:
      break;
  }
}

}  // namespace sim
