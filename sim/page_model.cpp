// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/page_model.h"

#include <algorithm>

#include "platform/hii.h"
#include "sim/hii_database.h"
#include "sim/ucs2.h"

namespace sim {

namespace {

constexpr UINT8 kAndOp = 0x15;
constexpr UINT8 kOrOp = 0x16;

UINT64 LeAt(const UINT8 *bytes, std::size_t count) {
  UINT64 value = 0;
  for (std::size_t k = 0; k < count; ++k) {
    value |= UINT64{bytes[k]} << (8 * k);
  }
  return value;
}

EFI_STRING_ID IdAt(const UINT8 *bytes) { return static_cast<EFI_STRING_ID>(LeAt(bytes, 2)); }

std::string Hex2(UINT8 value) {
  const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[value >> 4] + digits[value & 0xF];
}

// Bytes of the value a constant opcode carries; 0 for other opcodes.
std::size_t ConstantWidth(UINT8 opcode) {
  switch (opcode) {
    case EFI_IFR_UINT8_OP:
      return 1;
    case EFI_IFR_UINT16_OP:
      return 2;
    case EFI_IFR_UINT32_OP:
      return 4;
    case EFI_IFR_UINT64_OP:
      return 8;
    default:
      return 0;
  }
}

bool IsExpressionOpcode(UINT8 opcode) {
  switch (opcode) {
    case EFI_IFR_UINT8_OP:
    case EFI_IFR_UINT16_OP:
    case EFI_IFR_UINT32_OP:
    case EFI_IFR_UINT64_OP:
    case EFI_IFR_TRUE_OP:
    case EFI_IFR_FALSE_OP:
    case EFI_IFR_EQUAL_OP:
    case EFI_IFR_NOT_EQUAL_OP:
    case EFI_IFR_NOT_OP:
    case kAndOp:
    case kOrOp:
      return true;
    default:
      return false;
  }
}

// Walks the IFR records of one form package and collects the rows of the
// chosen form. Every read is bounds-checked; the first problem ends the walk.
class FormWalker {
 public:
  FormWalker(const std::vector<UINT8> &package, const StringLookup &strings, std::optional<UINT16> form_id)
      : bytes_(package), strings_(strings), wanted_form_(form_id) {}

  PageBuild Run();

 private:
  struct OpenScope {
    UINT8 opcode;
    bool hides = false;       // a SUPPRESS_IF whose condition held
    bool expression = false;  // opened inside a condition
  };
  struct Value {
    bool boolean;
    UINT64 number;
  };

  bool Fail(const std::string &text);
  bool Record(UINT8 opcode, const UINT8 *record, std::size_t length, bool scope);
  bool Evaluate(UINT8 opcode, const UINT8 *record, std::size_t length);
  bool FinishCondition();
  bool Statement(UINT8 opcode, const UINT8 *record, std::size_t length, bool scope);
  bool AddRow(RowKind kind, EFI_STRING_ID prompt, EFI_STRING_ID value);
  bool Lookup(EFI_STRING_ID id, std::u16string *text);
  bool Inside(UINT8 opcode) const;
  bool Hidden() const;

  const std::vector<UINT8> &bytes_;
  const StringLookup &strings_;
  std::optional<UINT16> wanted_form_;
  std::size_t offset_ = 0;
  std::vector<OpenScope> scopes_;
  std::vector<Value> stack_;
  bool in_condition_ = false;
  bool form_set_seen_ = false;
  bool form_chosen_ = false;
  bool collecting_ = false;
  std::string error_;
  PageModel page_;
};

bool FormWalker::Fail(const std::string &text) {
  error_ = text + " (package offset " + std::to_string(offset_) + ")";
  return false;
}

bool FormWalker::Inside(UINT8 opcode) const {
  return std::any_of(scopes_.begin(), scopes_.end(), [opcode](const OpenScope &s) { return s.opcode == opcode; });
}

bool FormWalker::Hidden() const {
  return std::any_of(scopes_.begin(), scopes_.end(), [](const OpenScope &s) { return s.hides; });
}

bool FormWalker::Lookup(EFI_STRING_ID id, std::u16string *text) {
  if (id == 0) {
    text->clear();
    return true;
  }
  std::optional<std::u16string> found = strings_(id);
  if (!found) {
    return Fail("string " + std::to_string(id) + " is missing");
  }
  *text = std::move(*found);
  return true;
}

bool FormWalker::Evaluate(UINT8 opcode, const UINT8 *record, std::size_t length) {
  const std::string name = Hex2(opcode);
  if (const std::size_t width = ConstantWidth(opcode)) {
    if (length < 2 + width) {
      return Fail("constant " + name + " is shorter than its value");
    }
    stack_.push_back(Value{false, LeAt(record + 2, width)});
    return true;
  }
  if (opcode == EFI_IFR_TRUE_OP || opcode == EFI_IFR_FALSE_OP) {
    stack_.push_back(Value{true, opcode == EFI_IFR_TRUE_OP ? 1u : 0u});
    return true;
  }
  const std::size_t operands = opcode == EFI_IFR_NOT_OP ? 1 : 2;
  if (stack_.size() < operands) {
    return Fail("operator " + name + " lacks operands");
  }
  const Value b = stack_.back();
  stack_.pop_back();
  if (opcode == EFI_IFR_NOT_OP) {
    if (!b.boolean) {
      return Fail("NOT of a number");
    }
    stack_.push_back(Value{true, b.number == 0 ? 1u : 0u});
    return true;
  }
  const Value a = stack_.back();
  stack_.pop_back();
  if (a.boolean != b.boolean || ((opcode == kAndOp || opcode == kOrOp) && !a.boolean)) {
    return Fail("operator " + name + " on operands of different kinds");
  }
  bool result = false;
  switch (opcode) {
    case EFI_IFR_EQUAL_OP:
      result = a.number == b.number;
      break;
    case EFI_IFR_NOT_EQUAL_OP:
      result = a.number != b.number;
      break;
    case kAndOp:
      result = a.number != 0 && b.number != 0;
      break;
    default:
      result = a.number != 0 || b.number != 0;
      break;
  }
  stack_.push_back(Value{true, result ? 1u : 0u});
  return true;
}

// The condition is complete when the first statement after it appears.
bool FormWalker::FinishCondition() {
  in_condition_ = false;
  if (stack_.size() != 1 || !stack_.front().boolean) {
    return Fail("condition does not reduce to one boolean");
  }
  OpenScope &owner = scopes_.back();
  owner.hides = owner.opcode == EFI_IFR_SUPPRESS_IF_OP && stack_.front().number != 0;
  stack_.clear();
  return true;
}

bool FormWalker::AddRow(RowKind kind, EFI_STRING_ID prompt, EFI_STRING_ID value) {
  if (!Inside(EFI_IFR_FORM_OP)) {
    return Fail("statement outside a form");
  }
  if (!collecting_ || Hidden()) {
    return true;
  }
  PageRow row;
  std::u16string label;
  if (!Lookup(prompt, &label)) {
    return false;
  }
  for (char16_t &unit : label) {
    unit = unit < 0x20 ? u' ' : unit;
  }
  row.label = Utf8FromUcs2(label);
  row.kind = kind == RowKind::kSubtitle && label.empty() ? RowKind::kBlank : kind;
  if (kind == RowKind::kText) {
    std::u16string text;
    if (!Lookup(value, &text)) {
      return false;
    }
    row.value = ValueLines(text);
  }
  page_.rows.push_back(std::move(row));
  return true;
}

bool FormWalker::Statement(UINT8 opcode, const UINT8 *record, std::size_t length, bool scope) {
  const std::string short_record = "record " + Hex2(opcode) + " of " + std::to_string(length) + " bytes is too short";
  std::u16string text;
  switch (opcode) {
    case EFI_IFR_FORM_SET_OP: {
      if (form_set_seen_) {
        return Fail("a second form set");
      }
      if (length < 23 || length < 23 + 16 * std::size_t{record[22] & 0x3u}) {
        return Fail(short_record);
      }
      form_set_seen_ = true;
      if (!Lookup(IdAt(record + 18), &text)) {
        return false;
      }
      page_.form_set_title = Utf8FromUcs2(text);
      break;
    }
    case EFI_IFR_FORM_OP: {
      if (!Inside(EFI_IFR_FORM_SET_OP) || Inside(EFI_IFR_FORM_OP)) {
        return Fail("form outside a form set or inside another form");
      }
      if (length < 6) {
        return Fail(short_record);
      }
      const UINT16 id = IdAt(record + 2);
      if (!form_chosen_ && (!wanted_form_ || *wanted_form_ == id)) {
        if (!Lookup(IdAt(record + 4), &text)) {
          return false;
        }
        form_chosen_ = collecting_ = true;
        page_.form_id = id;
        page_.title = Utf8FromUcs2(text);
      }
      break;
    }
    case EFI_IFR_SUBTITLE_OP:
      if (length < 7) {
        return Fail(short_record);
      }
      if (!AddRow(RowKind::kSubtitle, IdAt(record + 2), 0)) {
        return false;
      }
      break;
    case EFI_IFR_TEXT_OP:
      if (length < 8) {
        return Fail(short_record);
      }
      if (!AddRow(RowKind::kText, IdAt(record + 2), IdAt(record + 6))) {
        return false;
      }
      break;
    case EFI_IFR_SUPPRESS_IF_OP:
    case EFI_IFR_GRAY_OUT_IF_OP:
      if (!scope) {
        return Fail("condition record " + Hex2(opcode) + " without a scope");
      }
      scopes_.push_back(OpenScope{opcode});
      in_condition_ = true;
      stack_.clear();
      return true;
    case EFI_IFR_END_OP: {
      if (scopes_.empty()) {
        return Fail("END without an open scope");
      }
      if (scopes_.back().opcode == EFI_IFR_FORM_OP) {
        collecting_ = false;
      }
      scopes_.pop_back();
      return true;
    }
    default:
      break;  // not drawn: skipped by its length
  }
  if (scope) {
    scopes_.push_back(OpenScope{opcode});
  }
  return true;
}

bool FormWalker::Record(UINT8 opcode, const UINT8 *record, std::size_t length, bool scope) {
  if (form_set_seen_ && scopes_.empty()) {
    return Fail("records after the end of the form set");
  }
  if (in_condition_) {
    if (IsExpressionOpcode(opcode)) {
      if (scope) {
        scopes_.push_back(OpenScope{opcode, false, true});
      }
      return Evaluate(opcode, record, length);
    }
    if (opcode == EFI_IFR_END_OP && scopes_.back().expression) {
      scopes_.pop_back();
      return true;
    }
    if (!FinishCondition()) {
      return false;
    }
  }
  return Statement(opcode, record, length, scope);
}

PageBuild FormWalker::Run() {
  const std::size_t size = bytes_.size();
  if (size < 4 || (LeAt(bytes_.data(), 3) != size) || bytes_[3] != EFI_HII_PACKAGE_FORMS) {
    Fail("not a form package of " + std::to_string(size) + " bytes");
    return PageBuild{std::nullopt, error_};
  }
  bool ok = true;
  for (offset_ = 4; ok && offset_ < size;) {
    if (size - offset_ < 2) {
      ok = Fail("record header cut short");
      break;
    }
    const UINT8 *record = bytes_.data() + offset_;
    const std::size_t length = record[1] & 0x7F;
    if (length < 2 || length > size - offset_) {
      ok = Fail("record length " + std::to_string(length) + " does not fit");
      break;
    }
    ok = Record(record[0], record, length, (record[1] & EFI_IFR_FLAG_SCOPE) != 0);
    if (ok) {
      offset_ += length;
    }
  }
  if (ok && in_condition_) {
    ok = Fail("condition still open at the end of the package");
  }
  if (ok && !scopes_.empty()) {
    ok = Fail(std::to_string(scopes_.size()) + " scopes still open at the end of the package");
  }
  if (ok && !form_chosen_) {
    ok = Fail(wanted_form_ ? "no form " + std::to_string(*wanted_form_) : std::string("no form"));
  }
  return ok ? PageBuild{std::move(page_), {}} : PageBuild{std::nullopt, error_};
}

}  // namespace

const char *RowKindName(RowKind kind) {
  switch (kind) {
    case RowKind::kSubtitle:
      return "subtitle";
    case RowKind::kText:
      return "text";
    default:
      return "blank";
  }
}

std::vector<std::string> ValueLines(std::u16string_view value) {
  std::vector<std::u16string> lines(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t unit = value[i];
    if (unit == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
      continue;  // the LF ends the line
    }
    if (unit == u'\n') {
      lines.emplace_back();
    } else if (unit != u'\r') {
      lines.back().push_back(unit < 0x20 ? u'?' : unit);
    }
  }
  std::vector<std::string> out;
  for (const std::u16string &line : lines) {
    out.push_back(Utf8FromUcs2(line));
  }
  return out;
}

PageBuild BuildPageModel(const std::vector<UINT8> &form_package, const StringLookup &strings,
                         std::optional<UINT16> form_id) {
  return FormWalker(form_package, strings, form_id).Run();
}

PageBuild BuildPageModel(const HiiDatabase &database, EFI_HII_HANDLE handle, std::string_view language) {
  if (!database.IsHandle(handle)) {
    return PageBuild{std::nullopt, "no such package list"};
  }
  const std::vector<UINT8> form = database.PackageBytes(handle, EFI_HII_PACKAGE_FORMS);
  if (form.empty()) {
    return PageBuild{std::nullopt, "the package list has no form package"};
  }
  const std::string wanted(language);
  return BuildPageModel(form, [&](EFI_STRING_ID id) { return database.StringOf(handle, id, wanted); });
}

}  // namespace sim
