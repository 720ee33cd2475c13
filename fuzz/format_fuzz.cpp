// SPDX-License-Identifier: BSD-2-Clause-Patent
// Drives the format engine with arbitrary format text, buffer size and
// argument slots, and checks what must hold for every call:
// - nothing is stored outside the buffer (guard bytes on both sides) and
//   nothing after the terminator;
// - with a size above 0 the text is terminated, the return value is its
//   length and below the size; with size 0 nothing at all is stored;
// - a smaller buffer holds the prefix of what a roomy one holds, and takes
//   no more arguments.
//
// Input: the buffer size (2 bytes), the format text up to a NUL byte, then
// the bytes that choose each argument: a choice byte, then an 8-byte
// integer, a NUL-terminated 8-bit text, a unit count byte and the CHAR16
// units, or two 8-byte words for a GUID or time. The harness scans the format for the
// slots its directives take and gives pointer directives valid objects
// (8-bit texts, CHAR16 texts at any alignment, GUIDs and times at any
// alignment, or NULL), each allocated at its exact size so that
// AddressSanitizer reports any read past it; every other slot gets an
// integer chosen by the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "text/format.h"

namespace {

constexpr size_t kGuard = 64;
constexpr char kFill = '\xA5';
constexpr UINTN kRoomy = 4096;
constexpr size_t kExtraSlots = 2;  // slots no directive asks for

void Require(bool condition, const char *what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

class Reader {
 public:
  Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint64_t Word() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(Byte()) << (8 * i);
    return value;
  }
  // `count` bytes (fewer at the end of the input).
  std::string Bytes(size_t count) {
    std::string bytes;
    while (at_ < size_ && bytes.size() < count) bytes.push_back(static_cast<char>(data_[at_++]));
    return bytes;
  }
  // Bytes up to a NUL byte (consumed) or the end.
  std::string Text() {
    std::string text;
    while (at_ < size_ && data_[at_] != 0) text.push_back(static_cast<char>(data_[at_++]));
    ++at_;
    return text;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t at_ = 0;
};

enum class SlotKind { kInteger, kText8, kText16, kGuid, kTime };

// The slots a format's directives take, in order: a '*' takes an integer
// before its directive's own slot; characters that print themselves take
// none.
std::vector<SlotKind> SlotsOf(const std::string &format) {
  std::vector<SlotKind> kinds;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t j = i + 1;
    for (; j < format.size() && std::strchr("-+ ,.lL*0123456789", format[j]) != nullptr; ++j) {
      if (format[j] == '*') kinds.push_back(SlotKind::kInteger);
    }
    if (j == format.size()) break;
    switch (format[j]) {
      case 'd':
      case 'u':
      case 'x':
      case 'X':
      case 'p':
      case 'c':
      case 'r':
        kinds.push_back(SlotKind::kInteger);
        break;
      case 'a':
        kinds.push_back(SlotKind::kText8);
        break;
      case 's':
      case 'S':
        kinds.push_back(SlotKind::kText16);
        break;
      case 'g':
        kinds.push_back(SlotKind::kGuid);
        break;
      case 't':
        kinds.push_back(SlotKind::kTime);
        break;
      default:
        break;
    }
    i = j;
  }
  return kinds;
}

// Makes the argument objects of one input and owns them.
class Arguments {
 public:
  UINT64 Slot(SlotKind kind, Reader &in) {
    const uint8_t choice = in.Byte();
    if (kind != SlotKind::kInteger && choice % 8 == 0) return 0;  // NULL
    switch (kind) {
      case SlotKind::kInteger:
        return Integer(choice, in.Word());
      case SlotKind::kText8:
        return Text8(choice, in.Text());
      case SlotKind::kText16:
        return Text16(choice, in.Bytes(2 * (in.Byte() % 16)));
      default:
        return Record(choice, in.Word(), in.Word());
    }
  }

 private:
  static UINT64 Integer(uint8_t choice, uint64_t word) {
    static const uint64_t kEdges[] = {0, 1, ~0ull, 1ull << 63, (1ull << 63) - 1, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF};
    switch (choice % 4) {
      case 0:
        return word;
      case 1:
        return static_cast<UINT64>(static_cast<int8_t>(word));
      case 2:
        return kEdges[word % 8];
      default:
        return (word & 0x40) << 57 | (word & 0x3F);  // status-like
    }
  }

  std::vector<uint8_t> &NewObject() { return storage_.emplace_back(); }

  // The text, or a long one of 300 to 555 characters.
  UINT64 Text8(uint8_t choice, const std::string &text) {
    std::vector<uint8_t> &bytes = NewObject();
    if (choice % 8 == 1) {
      bytes.assign(300 + choice, 'L');
    } else {
      bytes.assign(text.begin(), text.end());
    }
    bytes.push_back(0);
    bytes.shrink_to_fit();
    return reinterpret_cast<UINTN>(bytes.data());
  }

  // Byte pairs as CHAR16 units (a zero unit ends the text early), at an
  // odd address when the choice says so.
  UINT64 Text16(uint8_t choice, const std::string &text) {
    std::vector<uint8_t> &bytes = NewObject();
    const size_t offset = (choice >> 3) & 1;
    bytes.assign(offset, 0x55);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
      bytes.push_back(static_cast<uint8_t>(text[i]));
      bytes.push_back(static_cast<uint8_t>(text[i + 1]));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    bytes.shrink_to_fit();
    return reinterpret_cast<UINTN>(bytes.data() + offset);
  }

  // A 16-byte EFI_GUID or EFI_TIME at an offset of 0 to 7.
  UINT64 Record(uint8_t choice, uint64_t low, uint64_t high) {
    std::vector<uint8_t> &bytes = NewObject();
    const size_t offset = (choice >> 3) & 7;
    bytes.resize(offset + 16);
    for (size_t i = 0; i < 8; ++i) {
      bytes[offset + i] = static_cast<uint8_t>(low >> (8 * i));
      bytes[offset + 8 + i] = static_cast<uint8_t>(high >> (8 * i));
    }
    bytes.shrink_to_fit();
    return reinterpret_cast<UINTN>(bytes.data() + offset);
  }

  std::deque<std::vector<uint8_t>> storage_;
};

struct Result {
  UINTN returned;
  UINTN taken;
  std::string text;
};

Result Format(const std::vector<UINT64> &slots, const char *format, UINTN size) {
  std::vector<char> bytes(size + 2 * kGuard, kFill);
  char *buffer = bytes.data() + kGuard;
  FORMAT_ARGS list = {slots.data(), slots.size(), 0};
  const UINTN returned = FormatAsciiList(buffer, size, format, &list);
  for (size_t i = 0; i < kGuard; ++i) {
    Require(bytes[i] == kFill, "stored before the buffer");
    Require(bytes[kGuard + size + i] == kFill, "stored after the buffer");
  }
  Require(list.Next <= slots.size(), "took more slots than there are");
  if (size == 0) {
    Require(returned == 0, "size 0 returned non-zero");
    return {0, list.Next, ""};
  }
  Require(returned < size, "returned the size or more");
  Require(buffer[returned] == 0, "no terminator after the returned length");
  Require(std::strlen(buffer) == returned, "returned length is not the stored length");
  for (UINTN i = returned + 1; i < size; ++i) Require(buffer[i] == kFill, "stored after the terminator");
  return {returned, list.Next, std::string(buffer, returned)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Reader in(data, size);
  const UINTN buffer_size = in.Byte() | (in.Byte() & 1u) << 8;
  const std::string text = in.Text();
  std::vector<char> format(text.begin(), text.end());
  format.push_back(0);
  format.shrink_to_fit();

  Arguments arguments;
  std::vector<UINT64> slots;
  for (SlotKind kind : SlotsOf(text)) slots.push_back(arguments.Slot(kind, in));
  for (size_t i = 0; i < kExtraSlots; ++i) slots.push_back(arguments.Slot(SlotKind::kInteger, in));

  const Result cut = Format(slots, format.data(), buffer_size);
  const Result roomy = Format(slots, format.data(), kRoomy);
  if (buffer_size > 0) {
    const UINTN kept = std::min<UINTN>(buffer_size - 1, roomy.returned);
    Require(cut.returned == kept, "cut output is not as long as the roomy prefix");
    Require(roomy.text.compare(0, kept, cut.text) == 0, "cut output is not a prefix of the roomy output");
  }
  Require(cut.taken <= roomy.taken, "a smaller buffer took more arguments");
  Require(roomy.returned == kRoomy - 1 || roomy.taken == slots.size() - kExtraSlots,
          "a complete output took a different number of slots than its directives ask for");
  return 0;
}
