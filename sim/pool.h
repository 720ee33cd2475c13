// SPDX-License-Identifier: BSD-2-Clause-Patent
// Pool memory of the simulated boot services. Every allocation is tracked:
// leaks, double frees and frees of pointers the pool never handed out are
// recorded as violations. New buffers are filled with a pattern, not zero,
// as real pool memory is; freed buffers stay poisoned until the pool dies,
// so a use after free is caught by AddressSanitizer.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/boot_services.h"

namespace sim {

class Pool {
 public:
  static constexpr unsigned char kFillPattern = 0xA5;

  Pool() = default;
  Pool(const Pool &) = delete;
  Pool &operator=(const Pool &) = delete;
  ~Pool();

  EFI_STATUS Allocate(EFI_MEMORY_TYPE type, UINTN size, void **buffer);
  EFI_STATUS Free(void *buffer);

  std::size_t LiveCount() const { return live_.size(); }
  std::size_t LiveBytes() const { return live_bytes_; }
  std::size_t PeakBytes() const { return peak_bytes_; }
  std::size_t AllocationCount() const { return allocations_; }
  void ResetPeak() { peak_bytes_ = live_bytes_; }

  // Size of a live allocation, or 0 when `buffer` is not one.
  std::size_t SizeOf(const void *buffer) const;

  const std::vector<std::string> &Violations() const { return violations_; }
  std::string LeakReport() const;

 private:
  struct Block {
    std::size_t size;
    EFI_MEMORY_TYPE type;
    std::size_t serial;
  };
  std::map<const void *, Block> live_;
  std::map<const void *, std::size_t> freed_;  // quarantined blocks, by size
  std::vector<std::string> violations_;
  std::size_t live_bytes_ = 0;
  std::size_t peak_bytes_ = 0;
  std::size_t allocations_ = 0;
};

}  // namespace sim
