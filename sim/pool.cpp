// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/pool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define SIM_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define SIM_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#ifndef SIM_POISON
#define SIM_POISON(p, n) ((void)(p), (void)(n))
#define SIM_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace sim {

namespace {
std::string PointerText(const void *p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}
}  // namespace

Pool::~Pool() {
  for (auto &[pointer, block] : live_) {
    std::free(const_cast<void *>(pointer));
  }
  for (auto &[pointer, size] : freed_) {
    SIM_UNPOISON(pointer, size);
    std::free(const_cast<void *>(pointer));
  }
}

EFI_STATUS Pool::Allocate(EFI_MEMORY_TYPE type, UINTN size, void **buffer) {
  if (buffer == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  if (type >= EfiMaxMemoryType || type == EfiConventionalMemory || type == EfiPersistentMemory) {
    violations_.push_back("AllocatePool with invalid pool type " + std::to_string(type));
    return EFI_INVALID_PARAMETER;
  }
  if (size > (UINTN{1} << 32)) {
    return EFI_OUT_OF_RESOURCES;
  }
  void *memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) {
    return EFI_OUT_OF_RESOURCES;
  }
  std::memset(memory, kFillPattern, size);
  live_[memory] = Block{size, type, allocations_++};
  live_bytes_ += size;
  if (live_bytes_ > peak_bytes_) {
    peak_bytes_ = live_bytes_;
  }
  *buffer = memory;
  return EFI_SUCCESS;
}

EFI_STATUS Pool::Free(void *buffer) {
  auto it = live_.find(buffer);
  if (it == live_.end()) {
    violations_.push_back((freed_.count(buffer) ? "double free of " : "free of foreign pointer ") +
                          PointerText(buffer));
    return EFI_INVALID_PARAMETER;
  }
  const std::size_t size = it->second.size;
  live_bytes_ -= size;
  live_.erase(it);
  freed_[buffer] = size == 0 ? 1 : size;
  SIM_POISON(buffer, size == 0 ? 1 : size);
  return EFI_SUCCESS;
}

std::size_t Pool::SizeOf(const void *buffer) const {
  auto it = live_.find(buffer);
  return it == live_.end() ? 0 : it->second.size;
}

std::string Pool::LeakReport() const {
  std::string report;
  for (const auto &[pointer, block] : live_) {
    report += "leaked pool block #" + std::to_string(block.serial) + " of " + std::to_string(block.size) +
              " bytes at " + PointerText(pointer) + "\n";
  }
  return report;
}

}  // namespace sim
