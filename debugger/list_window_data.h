// What the label, breakpoint and variable windows show and do, without the
// windows: their row texts, the field texts a selected row fills in, the
// name checks with their notices, and the Add / Set / Change value actions
// from the typed fields (number syntax of number_syntax.h). The windows only
// display these texts and call these actions, then refresh themselves and
// the debugger.
#pragma once
#include <cstdint>
#include <string>

#include "debugger/debug_lists.h"

// Notices of the dialogs; nullptr when the name is acceptable.
const char* LabelNameNotice(const std::string& name);     // "Label needs a name."
const char* VariableNameNotice(const std::string& name);  // "Variable needs a name."

// A typed label or breakpoint address as the list stores it: taken as it is
// while the window's "Absolute" box (Config.labels_address_absolute,
// Config.break_points_address_absolute) is ticked, else a CPU address
// converted with the current banking (ConsoleAbsoluteAddress).
uint32_t LabelAddressFromInput(uint32_t typed);
uint32_t BreakpointAddressFromInput(uint32_t typed);

// Row texts: "$%05X: %s", "$%05X", and the variable with its current value
// read through the console ("%16s = %8X (@ $%8X)" for every width). Empty
// past the end of the list.
std::string LabelRowText(int index);
std::string BreakpointRowText(int index);
std::string VariableRowText(int index);

// A variable's current value: Read8 / Read16 / Read32 by its kind.
uint32_t VariableValue(const Variable& variable);
// "$%X": the Address: and New value: fields of a selected row.
std::string HexFieldText(uint32_t value);

// An "Address:" field: a number in the debugger's number syntax (junk after
// its digits is refused), or the exact name of a label (case counts, as for
// the label list's own names), which gives that label's absolute address
// whatever the "Absolute" box says. Blanks around the text are ignored.
// False, with `notice` set, for anything else:
//   "Address needs a number or a label."   (an empty field)
//   "Couldn't read address '%s'."           (starts like a number)
//   "Couldn't find label '%s'."             (any other text)
struct FieldAddress {
  uint32_t value;
  bool label;  // value is a label's absolute address
};
bool ReadAddressField(const char* text, FieldAddress* address, std::string* notice);

// The window actions return the notice when something is refused (an empty
// name, an address field ReadAddressField refuses; nothing changes), else
// nullptr; a notice stays valid until the next action. Set and Change value
// act on the entry at `index` (scroll position + selected row) and do
// nothing past the end of the list. A variable's label must be in memory
// paged in now: "Can't use label '%s': its bank is not paged in."
const char* AddLabelFromFields(const char* address_text, const std::string& name);
const char* SetLabelFromFields(int index, const char* address_text, const std::string& name);
const char* AddBreakpointFromField(const char* address_text);
const char* SetBreakpointFromField(int index, const char* address_text);
const char* AddVariableFromFields(const char* address_text, uint8_t kind, const std::string& name);
const char* SetVariableFromFields(int index, const char* address_text, uint8_t kind,
                                  const std::string& name);
// Writes the typed value with the variable's width, little-endian, through
// Write8 / Write16 / Write32 (so mapper registers react).
void ChangeVariableValue(int index, const char* value_text);
