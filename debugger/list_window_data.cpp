#include "debugger/list_window_data.h"

#include "base/safe_file.h"
#include "config/config.h"
#include "debugger/number_syntax.h"
#include "machine/console.h"

namespace {

// Input fields read what their leading digits give; junk after them is
// ignored, as an empty "$" gives 0.
uint32_t FieldNumber(const char* text) {
  uint32_t value;
  ParseNumber(text, &value);
  return value;
}

// The notice of the last refused action, kept for its caller.
std::string LastNotice;

const char* Refuse(const std::string& notice) {
  LastNotice = notice;
  return LastNotice.c_str();
}

std::string Trimmed(const char* text) {
  std::string s = text ? text : "";
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A CPU address that shows the absolute address with today's banking: the
// address itself (first kilobyte, work RAM) or its offset in one of the
// four 16 KB slots. False when no slot holds its bank now.
bool PagedCpuAddress(uint32_t absolute, uint16_t* cpu) {
  const uint32_t candidates[5] = {absolute & 0xFFFF, absolute & 0x3FFF, (absolute & 0x3FFF) | 0x4000,
                                  (absolute & 0x3FFF) | 0x8000, (absolute & 0x3FFF) | 0xC000};
  for (uint32_t candidate : candidates) {
    if (ConsoleAbsoluteAddress(candidate) == absolute) {
      *cpu = static_cast<uint16_t>(candidate);
      return true;
    }
  }
  return false;
}

// A label or breakpoint address from its field, or the notice.
const char* ListAddress(const char* text, uint32_t (*from_input)(uint32_t), uint32_t* address) {
  FieldAddress field;
  std::string notice;
  if (!ReadAddressField(text, &field, &notice)) return Refuse(notice);
  *address = field.label ? field.value : from_input(field.value);
  return nullptr;
}

// A variable's CPU address from its field, or the notice.
const char* VariableAddress(const char* text, uint16_t* address) {
  FieldAddress field;
  std::string notice;
  if (!ReadAddressField(text, &field, &notice)) return Refuse(notice);
  if (!field.label) {
    *address = static_cast<uint16_t>(field.value);
  } else if (!PagedCpuAddress(field.value, address)) {
    std::string text_notice;
    AppendFormat(&text_notice, "Can't use label '%s': its bank is not paged in.", Trimmed(text).c_str());
    return Refuse(text_notice);
  }
  return nullptr;
}

}  // namespace

bool ReadAddressField(const char* text, FieldAddress* address, std::string* notice) {
  const std::string typed = Trimmed(text);
  *address = {0, false};
  notice->clear();
  if (typed.empty()) {
    *notice = "Address needs a number or a label.";
    return false;
  }
  if (ParseNumber(typed.c_str(), &address->value)) return true;
  if (const Label* label = FindLabelNamed(typed)) {
    *address = {label->address, true};
    return true;
  }
  address->value = 0;
  const char c = typed[0];
  const bool numeric = c == '$' || c == '%' || (c >= '0' && c <= '9');
  AppendFormat(notice, numeric ? "Couldn't read address '%s'." : "Couldn't find label '%s'.", typed.c_str());
  return false;
}

const char* LabelNameNotice(const std::string& name) { return name.empty() ? "Label needs a name." : nullptr; }
const char* VariableNameNotice(const std::string& name) {
  return name.empty() ? "Variable needs a name." : nullptr;
}

uint32_t LabelAddressFromInput(uint32_t typed) {
  return Config.labels_address_absolute ? typed : ConsoleAbsoluteAddress(typed);
}

uint32_t BreakpointAddressFromInput(uint32_t typed) {
  return Config.break_points_address_absolute ? typed : ConsoleAbsoluteAddress(typed);
}

std::string LabelRowText(int index) {
  std::string text;
  if (const Label* label = LabelEntry(index)) AppendFormat(&text, "$%05X: %s", label->address, label->name.c_str());
  return text;
}

std::string BreakpointRowText(int index) {
  std::string text;
  if (const Breakpoint* breakpoint = BreakpointEntry(index)) AppendFormat(&text, "$%05X", breakpoint->address);
  return text;
}

uint32_t VariableValue(const Variable& variable) {
  switch (variable.kind) {
    case VarByte: return Read8(variable.address);
    case VarWord: return Read16(variable.address);
    default: return Read32(variable.address);
  }
}

std::string VariableRowText(int index) {
  std::string text;
  // The value right-aligned in eight columns for every width: a byte or a
  // word never has more than its 2 or 4 digits.
  if (const Variable* v = VariableEntry(index))
    AppendFormat(&text, "%16s = %8X (@ $%8X)", v->name.c_str(), VariableValue(*v), v->address);
  return text;
}

std::string HexFieldText(uint32_t value) {
  std::string text;
  AppendFormat(&text, "$%X", value);
  return text;
}

const char* AddLabelFromFields(const char* address_text, const std::string& name) {
  if (const char* notice = LabelNameNotice(name)) return notice;
  uint32_t address = 0;
  if (const char* notice = ListAddress(address_text, LabelAddressFromInput, &address)) return notice;
  AddLabel(address, name);
  return nullptr;
}

const char* SetLabelFromFields(int index, const char* address_text, const std::string& name) {
  if (const char* notice = LabelNameNotice(name)) return notice;
  uint32_t address = 0;
  if (const char* notice = ListAddress(address_text, LabelAddressFromInput, &address)) return notice;
  SetLabelAt(index, address, name);
  return nullptr;
}

const char* AddBreakpointFromField(const char* address_text) {
  uint32_t address = 0;
  if (const char* notice = ListAddress(address_text, BreakpointAddressFromInput, &address)) return notice;
  AddBreakpoint(address);
  return nullptr;
}

const char* SetBreakpointFromField(int index, const char* address_text) {
  uint32_t address = 0;
  if (const char* notice = ListAddress(address_text, BreakpointAddressFromInput, &address)) return notice;
  SetBreakpointAt(index, address);
  return nullptr;
}

const char* AddVariableFromFields(const char* address_text, uint8_t kind, const std::string& name) {
  if (const char* notice = VariableNameNotice(name)) return notice;
  uint16_t address = 0;
  if (const char* notice = VariableAddress(address_text, &address)) return notice;
  AddVariable(address, kind, name);
  return nullptr;
}

const char* SetVariableFromFields(int index, const char* address_text, uint8_t kind, const std::string& name) {
  if (const char* notice = VariableNameNotice(name)) return notice;
  uint16_t address = 0;
  if (const char* notice = VariableAddress(address_text, &address)) return notice;
  SetVariableAt(index, address, kind, name);
  return nullptr;
}

void ChangeVariableValue(int index, const char* value_text) {
  const Variable* v = VariableEntry(index);
  if (!v) return;
  const uint32_t value = FieldNumber(value_text);
  switch (v->kind) {
    case VarByte: Write8(v->address, static_cast<uint8_t>(value)); break;
    case VarWord: Write16(v->address, static_cast<uint16_t>(value)); break;
    default: Write32(v->address, value); break;
  }
}
