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

}  // namespace

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
  AddLabel(LabelAddressFromInput(FieldNumber(address_text)), name);
  return nullptr;
}

const char* SetLabelFromFields(int index, const char* address_text, const std::string& name) {
  if (const char* notice = LabelNameNotice(name)) return notice;
  SetLabelAt(index, LabelAddressFromInput(FieldNumber(address_text)), name);
  return nullptr;
}

void AddBreakpointFromField(const char* address_text) {
  AddBreakpoint(BreakpointAddressFromInput(FieldNumber(address_text)));
}

void SetBreakpointFromField(int index, const char* address_text) {
  SetBreakpointAt(index, BreakpointAddressFromInput(FieldNumber(address_text)));
}

const char* AddVariableFromFields(const char* address_text, uint8_t kind, const std::string& name) {
  if (const char* notice = VariableNameNotice(name)) return notice;
  AddVariable(static_cast<uint16_t>(FieldNumber(address_text)), kind, name);
  return nullptr;
}

const char* SetVariableFromFields(int index, const char* address_text, uint8_t kind, const std::string& name) {
  if (const char* notice = VariableNameNotice(name)) return notice;
  SetVariableAt(index, static_cast<uint16_t>(FieldNumber(address_text)), kind, name);
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
