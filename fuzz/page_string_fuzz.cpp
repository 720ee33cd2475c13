// SPDX-License-Identifier: BSD-2-Clause-Patent
// SetPageString against a scripted EFI_HII_STRING_PROTOCOL: GetLanguages
// answers each call with a status, a reported size and list bytes chosen
// by the input, SetString and NewString with chosen statuses (and ids).
//
// Checks, for every call:
// - the size request comes first, with size 0; anything but exactly
//   EFI_BUFFER_TOO_SMALL ends the call with nothing allocated;
// - at most one allocation: EfiBootServicesData of exactly the reported
//   size; the second GetLanguages gets that buffer and that size;
// - SetString / NewString are called exactly for the entries a model walk
//   of the list finds: only bytes below both the buffer size and the size
//   the second call reported, entries ended by ';' or NUL inside that
//   range, empty entries and names beginning "x-UEFI" passed over; each
//   language pointer lies in the buffer with its NUL inside it; id 0 asks
//   NewString, whose id serves the later entries; the first error ends the
//   walk;
// - nothing is read or written outside the buffer (AddressSanitizer: pool
//   blocks are exactly sized), and no pool is left behind.
//
// Input: flags, the string id (2 bytes), the size request's status and
// size, the second request's status, list bytes (2-byte count, bytes) and
// reported size, then up to 16 answers of SetString / NewString (status
// choice byte, 2-byte id).
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/pool_watch.h"
#include "hii/page_string.h"
#include "platform/hii.h"
#include "platform/module_globals.h"
#include "sim/platform.h"

namespace {

using fuzz::FuzzInput;
using fuzz::Require;

constexpr UINTN kPoolCap = 1 << 16;
constexpr std::size_t kMaxListBytes = 4096;
constexpr std::size_t kScriptedAnswers = 16;
constexpr char16_t kText[] = u"16 GiB";

enum Flags : UINT8 {
  kNoStringProtocol = 1 << 0,
  kFailAllocation = 1 << 1,
  kScribble = 1 << 2,
};

constexpr EFI_STATUS kLanguageStatuses[] = {
    EFI_BUFFER_TOO_SMALL, EFI_SUCCESS,      EFI_WARN_BUFFER_TOO_SMALL, EFI_INVALID_PARAMETER,
    EFI_NOT_FOUND,        EFI_DEVICE_ERROR, EFI_OUT_OF_RESOURCES,      EFI_BUFFER_TOO_SMALL | 1,
};
constexpr EFI_STATUS kStringStatuses[] = {
    EFI_SUCCESS,   EFI_SUCCESS,          EFI_WARN_UNKNOWN_GLYPH, EFI_WARN_WRITE_FAILURE,
    EFI_NOT_FOUND, EFI_OUT_OF_RESOURCES, EFI_INVALID_LANGUAGE,   EFI_DEVICE_ERROR,
};

struct Answer {
  EFI_STATUS status;
  EFI_STRING_ID id;  // what NewString assigns
};

// A reported size: honest (the list's byte count), small, any 64-bit value, or 0.
UINTN ReadSize(FuzzInput &in, UINTN honest) {
  switch (in.Byte() % 4) {
    case 0:
      return honest;
    case 1:
      return in.U16();
    case 2:
      return in.U64();
    default:
      return 0;
  }
}

struct Script {
  EFI_STATUS size_status;
  UINTN size;
  EFI_STATUS list_status;
  std::vector<UINT8> list;  // written up to the caller's size
  UINTN list_size;          // reported by the second request
  std::vector<Answer> answers;

  Answer AnswerFor(std::size_t call) const {
    return call < answers.size() ? answers[call] : Answer{EFI_SUCCESS, static_cast<EFI_STRING_ID>(0x4000 + call)};
  }
};

struct Call {
  bool new_string;
  EFI_STRING_ID id;
  const CHAR8 *language;
  std::string language_text;  // read inside the buffer's bounds
};

// The scripted protocol, followed by what it saw.
struct Scripted {
  EFI_HII_STRING_PROTOCOL protocol{};
  const Script *script = nullptr;
  EFI_HII_HANDLE handle = nullptr;
  std::vector<std::pair<CHAR8 *, UINTN>> language_requests;  // buffer and size passed in
  std::vector<Call> calls;
  bool bad_arguments = false;
};
Scripted *g_scripted = nullptr;

// The text at `language` if it and its NUL lie inside the list buffer
// (the one the second GetLanguages filled); otherwise the call is marked bad.
std::string LanguageInBuffer(const CHAR8 *language) {
  Scripted &s = *g_scripted;
  const CHAR8 *start = s.language_requests.size() >= 2 ? s.language_requests[1].first : nullptr;
  const UINTN size = sim::Current().pool().SizeOf(start);
  if (start == nullptr || language < start || language >= start + size) {
    s.bad_arguments = true;
    return "<outside the buffer>";
  }
  const auto *end = static_cast<const CHAR8 *>(std::memchr(language, 0, start + size - language));
  if (end == nullptr) {
    s.bad_arguments = true;
    return "<unterminated>";
  }
  return std::string(language, end);
}

bool CommonArguments(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList, const CHAR16 *String,
                     const EFI_FONT_INFO *Font) {
  return This == &g_scripted->protocol && PackageList == g_scripted->handle && String == kText && Font == nullptr;
}

EFI_STATUS EFIAPI ScriptedGetLanguages(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList,
                                       CHAR8 *Languages, UINTN *LanguagesSize) {
  Scripted &s = *g_scripted;
  if (This != &s.protocol || PackageList != s.handle || Languages == nullptr || LanguagesSize == nullptr) {
    s.bad_arguments = true;
    return EFI_INVALID_PARAMETER;
  }
  s.language_requests.emplace_back(Languages, *LanguagesSize);
  if (s.language_requests.size() == 1) {
    *LanguagesSize = s.script->size;
    return s.script->size_status;
  }
  if (s.language_requests.size() > 2) {
    return EFI_DEVICE_ERROR;  // the count check reports it
  }
  const std::size_t count = std::min<std::size_t>(s.script->list.size(), *LanguagesSize);
  std::copy_n(s.script->list.begin(), count, Languages);
  *LanguagesSize = s.script->list_size;
  return s.script->list_status;
}

EFI_STATUS EFIAPI ScriptedSetString(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList,
                                    EFI_STRING_ID StringId, const CHAR8 *Language, const CHAR16 *String,
                                    const EFI_FONT_INFO *StringFontInfo) {
  Scripted &s = *g_scripted;
  s.bad_arguments |= !CommonArguments(This, PackageList, String, StringFontInfo);
  s.calls.push_back(Call{false, StringId, Language, LanguageInBuffer(Language)});
  return s.script->AnswerFor(s.calls.size() - 1).status;
}

EFI_STATUS EFIAPI ScriptedNewString(const EFI_HII_STRING_PROTOCOL *This, EFI_HII_HANDLE PackageList,
                                    EFI_STRING_ID *StringId, const CHAR8 *Language, const CHAR16 *LanguageName,
                                    const CHAR16 *String, const EFI_FONT_INFO *StringFontInfo) {
  Scripted &s = *g_scripted;
  s.bad_arguments |=
      !CommonArguments(This, PackageList, String, StringFontInfo) || StringId == nullptr || LanguageName != nullptr;
  s.calls.push_back(
      Call{true, StringId != nullptr ? *StringId : EFI_STRING_ID{0}, Language, LanguageInBuffer(Language)});
  const Answer answer = s.script->AnswerFor(s.calls.size() - 1);
  if (StringId != nullptr) {
    *StringId = answer.id;  // written on failure too: the walk ends there anyway
  }
  return answer.status;
}

struct ExpectedCall {
  bool new_string;
  EFI_STRING_ID id;
  std::string language;
};

// The walk over the list as the second request left the buffer.
std::vector<ExpectedCall> ExpectedCalls(const Script &script, EFI_STRING_ID string_id) {
  std::vector<UINT8> buffer(script.size, 0);
  std::copy_n(script.list.begin(), std::min<std::size_t>(script.list.size(), script.size), buffer.begin());
  const std::size_t limit = std::min<UINTN>(script.list_size, script.size);
  std::vector<ExpectedCall> calls;
  EFI_STRING_ID id = string_id;
  std::size_t cursor = 0;
  while (cursor < limit && buffer[cursor] != 0) {
    std::size_t end = cursor;
    while (end < limit && buffer[end] != ';' && buffer[end] != 0) {
      ++end;
    }
    if (end == limit) {
      break;  // no ';' or NUL ends this entry inside the list
    }
    const std::string entry(buffer.begin() + cursor, buffer.begin() + end);
    cursor = buffer[end] == ';' ? end + 1 : end;
    if (entry.empty() || entry.compare(0, 6, "x-UEFI") == 0) {
      continue;
    }
    calls.push_back(ExpectedCall{id == 0, id, entry});
    const Answer answer = script.AnswerFor(calls.size() - 1);
    if (EFI_ERROR(answer.status)) {
      break;
    }
    if (id == 0) {
      id = answer.id;
    }
  }
  return calls;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in(data, size);
  const UINT8 flags = in.Byte();
  const EFI_STRING_ID string_id = in.U16();
  Script script;
  script.size_status = kLanguageStatuses[in.Choose(std::size(kLanguageStatuses))];
  script.size = ReadSize(in, 0);
  script.list_status = kLanguageStatuses[in.Choose(std::size(kLanguageStatuses))];
  script.list = in.Bytes(in.U16() % (kMaxListBytes + 1));
  script.list_size = ReadSize(in, script.list.size());
  for (std::size_t i = 0; i < kScriptedAnswers && in.Remaining() > 0; ++i) {
    const EFI_STATUS status = kStringStatuses[in.Choose(std::size(kStringStatuses))];
    script.answers.push_back(Answer{status, in.U16()});
  }

  sim::Platform platform;
  fuzz::PoolWatch pool(platform, kPoolCap);
  Scripted scripted;
  scripted.protocol.GetLanguages = ScriptedGetLanguages;
  scripted.protocol.SetString = ScriptedSetString;
  scripted.protocol.NewString = ScriptedNewString;
  scripted.script = &script;
  int handle_stand_in = 0;
  scripted.handle = &handle_stand_in;
  g_scripted = &scripted;
  gBootServices = platform.BootServices();
  gStringProtocol = (flags & kNoStringProtocol) ? nullptr : &scripted.protocol;
  if (flags & kFailAllocation) {
    platform.calls().FailNth("BS.AllocatePool", 1, EFI_OUT_OF_RESOURCES, (flags & kScribble) != 0);
  }

  SetPageString(scripted.handle, string_id, kText);

  g_scripted = nullptr;
  gStringProtocol = nullptr;
  gBootServices = nullptr;

  Require(!scripted.bad_arguments, "a string protocol member got wrong arguments or a language outside the buffer");
  Require(platform.Violations().empty(), "the simulated platform saw a bad free");
  Require(platform.pool().LiveCount() == 0, "pool left allocated");
  Require(pool.Requests().size() <= 1, "more than one allocation");

  // The requests the driver must have made, in order.
  std::size_t language_requests = 1;
  bool walked = false;
  if (flags & kNoStringProtocol) {
    language_requests = 0;
  } else if (script.size_status == EFI_BUFFER_TOO_SMALL) {
    Require(pool.Requests().size() == 1, "no allocation after the size request");
    Require(pool.Requests()[0].size == script.size && pool.Requests()[0].type == EfiBootServicesData,
            "the list buffer is not boot-services data of exactly the reported size");
    if (pool.Requests()[0].buffer != nullptr) {
      language_requests = 2;
      walked = !EFI_ERROR(script.list_status);
    } else {
      Require(script.size > kPoolCap || (flags & kFailAllocation), "an allocation under the cap failed");
    }
  } else {
    Require(pool.Requests().empty(), "allocated after a size request that did not answer EFI_BUFFER_TOO_SMALL");
  }
  fuzz::Trace("size request %llx size %llu, list %zu bytes reported %llu, requests %zu, string calls %zu\n",
              script.size_status, script.size, script.list.size(), script.list_size, scripted.language_requests.size(),
              scripted.calls.size());
  Require(scripted.language_requests.size() == language_requests, "GetLanguages not called as often as expected");
  if (language_requests == 0) {
    Require(pool.Requests().empty() && platform.calls().FaultableCalls() == 0, "worked without a string protocol");
    return 0;
  }
  Require(scripted.language_requests[0].second == 0, "the size request did not pass size 0");
  if (language_requests == 1) {
    Require(scripted.calls.empty(), "strings set without a language list");
    return 0;
  }
  Require(scripted.language_requests[1].first == pool.Requests()[0].buffer &&
              scripted.language_requests[1].second == script.size,
          "the list request did not get the allocated buffer and its size");
  Require(platform.calls().CountOf("BS.FreePool") == 1, "the list buffer is not freed exactly once");

  const std::vector<ExpectedCall> expected = walked ? ExpectedCalls(script, string_id) : std::vector<ExpectedCall>{};
  Require(scripted.calls.size() == expected.size(), "SetString/NewString calls differ from the entries of the list");
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Call &call = scripted.calls[i];
    Require(call.new_string == expected[i].new_string, "NewString and SetString mixed up");
    Require(call.new_string || call.id == expected[i].id, "SetString with the wrong id");
    Require(call.language_text == expected[i].language, "a string set for a language that is not that entry");
  }
  return 0;
}
