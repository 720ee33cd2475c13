// SPDX-License-Identifier: BSD-2-Clause-Patent
// Reading a fuzzer input front to back, so that seeds can be written by
// hand in the order a harness documents; a used-up input reads as zeros.
// Also the failure report every harness uses for a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

// Ends the run with the invariant's text; libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char *what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void Require(bool condition, const char *what) {
  if (!condition) {
    Fail(what);
  }
}

// With SYSINFO_FUZZ_TRACE set, a harness says what one input did (for
// checking that a seed takes the path it was written for).
inline bool Tracing() {
  static const bool kOn = std::getenv("SYSINFO_FUZZ_TRACE") != nullptr;
  return kOn;
}

template <typename... Args>
void Trace(const char *format, Args... args) {
  if (Tracing()) {
    std::fprintf(stderr, format, args...);
  }
}

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  // Little-endian values of 2, 4 and 8 bytes.
  std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
  std::uint64_t U64() { return Unsigned(8); }

  // One of `count` choices (count >= 1), from one byte.
  std::size_t Choose(std::size_t count) { return Byte() % count; }

  // `count` bytes, fewer when the input ends first.
  std::vector<std::uint8_t> Bytes(std::size_t count) {
    const std::size_t taken = count < size_ - at_ ? count : size_ - at_;
    std::vector<std::uint8_t> bytes(data_ + at_, data_ + at_ + taken);
    at_ += taken;
    return bytes;
  }

  std::size_t Remaining() const { return size_ - at_; }

 private:
  std::uint64_t Unsigned(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
      value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
    }
    return value;
  }

  const std::uint8_t *data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace fuzz
