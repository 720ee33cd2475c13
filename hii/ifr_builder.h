// SPDX-License-Identifier: BSD-2-Clause-Patent
// Compile-time builders for the IFR records of a form package. A record is
// its EFI_IFR_OP_HEADER (opcode; length in bits 0..6 and the scope flag in
// bit 7 of the second byte) followed by its fields, little-endian. Records
// that open a scope take their contents as arguments and close it with an
// END record, so a description built from them always balances.
#pragma once

#include "hii/byte_string.h"
#include "platform/hii.h"

namespace hii_build {

// A record without scope: header, then the fields back to back.
template <UINTN... N>
constexpr auto Record(UINT8 OpCode, const BYTE_STRING<N> &...Fields) {
  constexpr UINTN LENGTH = (2 + ... + N);
  static_assert(LENGTH <= 0x7F, "an IFR record length has 7 bits");
  return Concat(U8(OpCode), U8(static_cast<UINT8>(LENGTH)), Fields...);
}

constexpr BYTE_STRING<2> End() { return Record(EFI_IFR_END_OP); }

// Opener with its scope flag set, the contents, and the END that closes it.
template <UINTN R, UINTN... N>
constexpr auto Scope(const BYTE_STRING<R> &Opener, const BYTE_STRING<N> &...Contents) {
  static_assert(R >= 2, "a record has a 2-byte header");
  BYTE_STRING<R> Opened = Opener;
  Opened.Bytes[1] = static_cast<UINT8>(Opened.Bytes[1] | EFI_IFR_FLAG_SCOPE);
  return Concat(Opened, Contents..., End());
}

// Statements and form structure ----------------------------------------------

// EFI_IFR_FORM_SET with one class GUID (Flags bits 0..1 hold the count).
constexpr auto FormSetRecord(const EFI_GUID &Guid, EFI_STRING_ID Title, EFI_STRING_ID Help, const EFI_GUID &ClassGuid) {
  return Record(EFI_IFR_FORM_SET_OP, GuidBytes(Guid), Le16(Title), Le16(Help), U8(1), GuidBytes(ClassGuid));
}

template <UINTN... N>
constexpr auto FormSet(const EFI_GUID &Guid, EFI_STRING_ID Title, EFI_STRING_ID Help, const EFI_GUID &ClassGuid,
                       const BYTE_STRING<N> &...Contents) {
  return Scope(FormSetRecord(Guid, Title, Help, ClassGuid), Contents...);
}

constexpr auto DefaultStore(EFI_STRING_ID Name, UINT16 DefaultId) {
  return Record(EFI_IFR_DEFAULTSTORE_OP, Le16(Name), Le16(DefaultId));
}

constexpr auto FormRecord(UINT16 FormId, EFI_STRING_ID Title) {
  return Record(EFI_IFR_FORM_OP, Le16(FormId), Le16(Title));
}

template <UINTN... N>
constexpr auto Form(UINT16 FormId, EFI_STRING_ID Title, const BYTE_STRING<N> &...Contents) {
  return Scope(FormRecord(FormId, Title), Contents...);
}

constexpr auto SubtitleRecord(EFI_STRING_ID Prompt, EFI_STRING_ID Help, UINT8 Flags) {
  return Record(EFI_IFR_SUBTITLE_OP, Le16(Prompt), Le16(Help), U8(Flags));
}

// A subtitle line: the record with an empty scope, as setup browsers expect.
constexpr auto Subtitle(EFI_STRING_ID Prompt) { return Scope(SubtitleRecord(Prompt, 0, 0)); }

constexpr auto Text(EFI_STRING_ID Prompt, EFI_STRING_ID Help, EFI_STRING_ID TextTwo) {
  return Record(EFI_IFR_TEXT_OP, Le16(Prompt), Le16(Help), Le16(TextTwo));
}

// The condition comes first in the scope, then the statements it governs.
template <UINTN C, UINTN... N>
constexpr auto SuppressIf(const BYTE_STRING<C> &Condition, const BYTE_STRING<N> &...Statements) {
  return Scope(Record(EFI_IFR_SUPPRESS_IF_OP), Condition, Statements...);
}

// Expressions -----------------------------------------------------------------

constexpr auto Uint64(UINT64 Value) { return Record(EFI_IFR_UINT64_OP, Le64(Value)); }

constexpr auto Equal() { return Record(EFI_IFR_EQUAL_OP); }

// Record sizes as the IFR encoding defines them.
static_assert(FormSetRecord(EFI_GUID{}, 0, 0, EFI_GUID{}).SIZE == 39);
static_assert(DefaultStore(0, 0).SIZE == 6);
static_assert(FormRecord(0, 0).SIZE == 6);
static_assert(SubtitleRecord(0, 0, 0).SIZE == 7);
static_assert(Text(0, 0, 0).SIZE == 8);
static_assert(Record(EFI_IFR_SUPPRESS_IF_OP).SIZE == 2);
static_assert(Uint64(0).SIZE == 10);
static_assert(Equal().SIZE == 2 && End().SIZE == 2);

}  // namespace hii_build
