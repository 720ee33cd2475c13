// SPDX-License-Identifier: BSD-2-Clause-Patent
// Heap blocks that end exactly where the data the driver is handed ends, so
// AddressSanitizer reports a read one byte past it. The data may start at
// an offset of 0..7 from the block's start to vary its alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace fuzz {

class ExactBlock {
 public:
  ExactBlock(const std::vector<std::uint8_t> &bytes, std::size_t offset = 0)
      : block_(new std::uint8_t[offset + bytes.size()]), data_(block_.get() + offset) {
    std::memset(block_.get(), 0xEE, offset);
    if (!bytes.empty()) {
      std::memcpy(data_, bytes.data(), bytes.size());
    }
  }

  std::uint8_t *data() const { return data_; }

 private:
  std::unique_ptr<std::uint8_t[]> block_;
  std::uint8_t *data_;
};

// A pointer to freed heap memory of `size` bytes: any access through it is
// a use after free that AddressSanitizer reports (its quarantine keeps the
// memory poisoned for the rest of the run).
inline const std::uint8_t *FreedBlock(std::size_t size) {
  auto *block = new std::uint8_t[size == 0 ? 1 : size];
  delete[] block;
  return block;
}

}  // namespace fuzz
