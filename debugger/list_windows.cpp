// The three list windows share one layout language: a list of 27 rows in
// the fixed font with its scroll bar on top, then sort buttons, the entry's
// fields and the edit buttons. The texts and actions come from
// list_window_data.h; this file only places gadgets and routes events.
#include "debugger/list_windows.h"

#include <string>

#include "config/config.h"
#include "debugger/debug_lists.h"
#include "debugger/debugger_state.h"
#include "debugger/list_window_data.h"
#include "lumo/messages.h"
#include "lumo/window_table.h"

namespace {

constexpr int ListHeight = ListVisibleRows * 8 + 2;  // 27 rows of the fixed font
constexpr int BarWidth = 15;

struct ListKind {
  int window;
  ListWindow list;
  int base;  // gadget id of part 0
  int (*count)();
  std::string (*row)(int index);
};
const ListKind Labels{WinLabelViewer, LabelListWindow, 2100, LabelCount, LabelRowText};
const ListKind Breakpoints{WinBreakpointViewer, BreakpointListWindow, 2000, BreakpointCount, BreakpointRowText};
const ListKind Variables{WinVariableViewer, VariableListWindow, 1900, VariableCount, VariableRowText};

int Id(const ListKind& kind, int part) { return kind.base + part; }

// The entry the selected row shows, or -1.
int SelectedEntry(const ListKind& kind) {
  const int row = GetSelectedRow(Id(kind, PartList));
  if (row < 0) return -1;
  const int index = ListScroll(kind.list) + row;
  return index < kind.count() ? index : -1;
}

void Fill(const ListKind& kind) {
  if (!WindowOpen(kind.window)) return;
  const int count = kind.count();
  // Deleting and clearing elsewhere may leave the position past the end.
  if (ListScroll(kind.list) > 0 && ListScroll(kind.list) >= count) ScrollListBy(kind.list, 0);
  const int first = ListScroll(kind.list);
  const int list = Id(kind, PartList);
  for (int i = 0; i < ListVisibleRows; ++i) {
    const std::string text = kind.row(first + i);
    SetListRow(list, i, text.c_str(), !text.empty(), false);
  }
  SetScrollBar(Id(kind, PartScrollBar), first, ListVisibleRows, count);
  const bool selected = GetSelectedRow(list) >= 0;
  EnableGadget(Id(kind, PartSet), selected);
  EnableGadget(Id(kind, PartDelete), selected);
  if (kind.window == WinVariableViewer) EnableGadget(Id(kind, PartChangeValue), selected);
}

// After a change of the lists: the window itself and the debugger's rows.
void Changed(const ListKind& kind) {
  Fill(kind);
  RefreshDebugger();
}

void Notice(const char* notice) {
  if (notice) ShowMessage("%s", notice);
}

Window* OpenListWindow(const ListKind& kind) {
  Window* w = OpenToolWindow(kind.window);
  if (!w) return nullptr;
  const int list_width = WindowLayouts[kind.window].client_width - BarWidth;
  AddList(w, ListHeight, Id(kind, PartList), 0, 0, list_width, GadgetSecondFont | GadgetNoTab);
  AddScrollBar(w, Id(kind, PartScrollBar), list_width, 0, BarWidth, ListHeight, 0, ListVisibleRows, 0);
  return w;
}

// Two buttons side by side filling the width.
void AddButtonPair(Window* w, int width, int y, const char* left, int left_id, const char* right, int right_id) {
  const int half = (width - 5) / 2;
  AddButton(w, left, left_id, 0, y, half, 15);
  AddButton(w, right, right_id, width - half, y, half, 15);
}

// The four edit buttons in two rows.
void AddEditButtons(Window* w, const ListKind& kind, int width, int y) {
  AddButtonPair(w, width, y, "Add", Id(kind, PartAdd), "Set", Id(kind, PartSet));
  AddButtonPair(w, width, y + 20, "Delete all", Id(kind, PartDeleteAll), "Delete", Id(kind, PartDelete));
}

void Wheel(const ListKind& kind, int steps) {
  ScrollListBy(kind.list, -steps * ListWheelStep);
  Fill(kind);
}

void ScrollBarMoved(const ListKind& kind) {
  SetListScroll(kind.list, GetScrollFirst(Id(kind, PartScrollBar)));
  Fill(kind);
}

void DeleteSelected(const ListKind& kind, void (*remove)(int index)) {
  const int index = SelectedEntry(kind);
  if (index < 0) return;
  remove(index);
  SelectRow(Id(kind, PartList), -1);
  Changed(kind);
}

// Events the three windows handle alike; true when taken.
bool CommonEvent(const ListKind& kind, const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(kind.window);
    return true;
  }
  if (event.type == EventChanged && event.id == Id(kind, PartScrollBar)) {
    ScrollBarMoved(kind);
    return true;
  }
  return false;
}

std::string Text(const ListKind& kind, int part) { return GetGadgetText(Id(kind, part)); }

// --- Labels ------------------------------------------------------------------

void OpenLabelWindow() {
  Window* w = OpenListWindow(Labels);
  if (!w) return;
  const int width = WindowLayouts[WinLabelViewer].client_width;
  AddButtonPair(w, width, 226, "Name sort", LabelGadget(PartNameSort), "Address sort", LabelGadget(PartAddressSort));
  AddFrame(w, "Label", LabelGadget(PartFrame), 0, 250, width, 75);
  AddInput(w, "", LabelGadget(PartName), 55, 267, width - 60, 15, "Name:");
  AddInput(w, "$0", LabelGadget(PartAddress), 55, 289, 75, 15, "Address:");
  AddCheckBox(w, "Absolute", LabelGadget(PartAbsolute), 137, 289, width - 142, 15,
              Config.labels_address_absolute);
  AddEditButtons(w, Labels, width, 337);
  Fill(Labels);
}

void LabelSelected() {
  const int index = SelectedEntry(Labels);
  Fill(Labels);
  const Label* label = LabelEntry(index);
  if (!label) return;
  SetGadgetText(LabelGadget(PartAddress), HexFieldText(label->address).c_str());
  SetGadgetText(LabelGadget(PartName), label->name.c_str());
}

void LabelActivated(int id) {
  const std::string name = Text(Labels, PartName), address = Text(Labels, PartAddress);
  switch (id - Labels.base) {
    case PartAdd: Notice(AddLabelFromFields(address.c_str(), name)); break;
    case PartSet: {
      const int index = SelectedEntry(Labels);
      if (index >= 0) Notice(SetLabelFromFields(index, address.c_str(), name));
      break;
    }
    case PartDelete: DeleteSelected(Labels, DeleteLabelAt); return;
    case PartDeleteAll: ClearLabels(); break;
    case PartNameSort: SortLabelsByName(); break;
    case PartAddressSort: SortLabelsByAddress(); break;
    case PartAbsolute: Config.labels_address_absolute = GetChecked(id) > 0; return;
    default: return;
  }
  Changed(Labels);
}

// --- Breakpoints ---------------------------------------------------------------

void OpenBreakpointWindow() {
  Window* w = OpenListWindow(Breakpoints);
  if (!w) return;
  const int width = WindowLayouts[WinBreakpointViewer].client_width;
  AddButton(w, "Sort", BreakpointGadget(PartAddressSort), 0, 226, width, 15);
  AddFrame(w, "Breakpoint", BreakpointGadget(PartFrame), 0, 250, width, 52);
  AddInput(w, "$0", BreakpointGadget(PartAddress), 55, 268, 75, 15, "Address:");
  AddCheckBox(w, "Absolute", BreakpointGadget(PartAbsolute), 137, 268, width - 142, 15,
              Config.break_points_address_absolute);
  AddEditButtons(w, Breakpoints, width, 317);
  Fill(Breakpoints);
}

void BreakpointSelected() {
  const int index = SelectedEntry(Breakpoints);
  Fill(Breakpoints);
  if (const Breakpoint* breakpoint = BreakpointEntry(index))
    SetGadgetText(BreakpointGadget(PartAddress), HexFieldText(breakpoint->address).c_str());
}

void BreakpointActivated(int id) {
  const std::string address = Text(Breakpoints, PartAddress);
  switch (id - Breakpoints.base) {
    case PartAdd: Notice(AddBreakpointFromField(address.c_str())); break;
    case PartSet: {
      const int index = SelectedEntry(Breakpoints);
      if (index >= 0) Notice(SetBreakpointFromField(index, address.c_str()));
      break;
    }
    case PartDelete: DeleteSelected(Breakpoints, DeleteBreakpointAt); return;
    case PartDeleteAll: ClearBreakpoints(); break;
    case PartAddressSort: SortBreakpoints(); break;
    case PartAbsolute: Config.break_points_address_absolute = GetChecked(id) > 0; return;
    default: return;
  }
  Changed(Breakpoints);
}

// --- Variables -----------------------------------------------------------------

void OpenVariableWindow() {
  Window* w = OpenListWindow(Variables);
  if (!w) return;
  const int width = WindowLayouts[WinVariableViewer].client_width;
  AddButtonPair(w, width, 226, "Name sort", VariableGadget(PartNameSort), "Address sort",
                VariableGadget(PartAddressSort));
  AddFrame(w, "Variable", VariableGadget(PartFrame), 0, 250, width, 97);
  AddInput(w, "$0", VariableGadget(PartAddress), 65, 267, 80, 15, "Address:");
  AddInput(w, "", VariableGadget(PartName), 65, 289, width - 70, 15, "Name:");
  AddRadioButton(w, "Byte", VariableGadget(PartByte), 65, 311, 60, 15, true, 0);
  AddRadioButton(w, "Word", VariableGadget(PartWord), 130, 311, 60, 15, false, 0);
  AddRadioButton(w, "DWord", VariableGadget(PartDword), 195, 311, 70, 15, false, 0);
  AddEditButtons(w, Variables, width, 359);
  AddFrame(w, "Value", VariableGadget(PartValueFrame), 0, 402, width, 43);
  AddInput(w, "0", VariableGadget(PartNewValue), 65, 420, 95, 15, "New value:");
  AddButton(w, "Change value", VariableGadget(PartChangeValue), 170, 420, width - 175, 15);
  Fill(Variables);
}

uint8_t ChosenKind() {
  if (GetChecked(VariableGadget(PartWord)) > 0) return VarWord;
  if (GetChecked(VariableGadget(PartDword)) > 0) return VarDword;
  return VarByte;
}

void VariableSelected() {
  const int index = SelectedEntry(Variables);
  Fill(Variables);
  const Variable* variable = VariableEntry(index);
  if (!variable) return;
  SetGadgetText(VariableGadget(PartAddress), HexFieldText(variable->address).c_str());
  SetChecked(VariableGadget(variable->kind == VarWord    ? PartWord
                            : variable->kind == VarDword ? PartDword
                                                         : PartByte),
             1);
  SetGadgetText(VariableGadget(PartName), variable->name.c_str());
  SetGadgetText(VariableGadget(PartNewValue), HexFieldText(VariableValue(*variable)).c_str());
}

void VariableActivated(int id) {
  const std::string name = Text(Variables, PartName), address = Text(Variables, PartAddress);
  switch (id - Variables.base) {
    case PartAdd: Notice(AddVariableFromFields(address.c_str(), ChosenKind(), name)); break;
    case PartSet: {
      const int index = SelectedEntry(Variables);
      if (index >= 0) Notice(SetVariableFromFields(index, address.c_str(), ChosenKind(), name));
      break;
    }
    case PartDelete: DeleteSelected(Variables, DeleteVariableAt); return;
    case PartDeleteAll: ClearVariables(); break;
    case PartNameSort: SortVariablesByName(); break;
    case PartAddressSort: SortVariablesByAddress(); break;
    case PartChangeValue: {
      const int index = SelectedEntry(Variables);
      if (index >= 0) ChangeVariableValue(index, Text(Variables, PartNewValue).c_str());
      break;
    }
    default: return;
  }
  Changed(Variables);
}

void Toggle(int window, void (*open)()) {
  if (WindowOpen(window))
    CloseToolWindow(window);
  else
    open();
}

}  // namespace

void ToggleLabelWindow() { Toggle(WinLabelViewer, OpenLabelWindow); }
void ToggleBreakpointWindow() { Toggle(WinBreakpointViewer, OpenBreakpointWindow); }
void ToggleVariableWindow() { Toggle(WinVariableViewer, OpenVariableWindow); }

void RefreshLabelWindow() { Fill(Labels); }
void RefreshBreakpointWindow() { Fill(Breakpoints); }
void RefreshVariableWindow() { Fill(Variables); }
void RefreshListWindows() {
  Fill(Labels);
  Fill(Breakpoints);
  Fill(Variables);
}

void LabelWindowWheel(int steps) { Wheel(Labels, steps); }
void BreakpointWindowWheel(int steps) { Wheel(Breakpoints, steps); }
void VariableWindowWheel(int steps) { Wheel(Variables, steps); }

void LabelWindowEvent(const GuiEvent& event) {
  if (CommonEvent(Labels, event)) return;
  if (event.type == EventChanged && event.id == LabelGadget(PartList)) LabelSelected();
  if (event.type == EventActivated) LabelActivated(event.id);
}

void BreakpointWindowEvent(const GuiEvent& event) {
  if (CommonEvent(Breakpoints, event)) return;
  if (event.type == EventChanged && event.id == BreakpointGadget(PartList)) BreakpointSelected();
  if (event.type == EventActivated) BreakpointActivated(event.id);
}

void VariableWindowEvent(const GuiEvent& event) {
  if (CommonEvent(Variables, event)) return;
  if (event.type == EventChanged && event.id == VariableGadget(PartList)) VariableSelected();
  if (event.type == EventActivated) VariableActivated(event.id);
}

// --- Debugger options -------------------------------------------------------------

void ToggleDebuggerOptionsWindow() {
  Window* w = ToggleToolWindow(WinDebuggerOptions);
  if (!w) return;
  const WindowLayout& layout = WindowLayouts[WinDebuggerOptions];
  AddCheckBox(w, "Overwrite variables on same addresses", DebuggerOptionsOverwrite, 0, 0, layout.client_width,
              layout.client_height, Config.var_overwrite);
}

void DebuggerOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(WinDebuggerOptions);
  } else if (event.type == EventActivated && event.id == DebuggerOptionsOverwrite) {
    Config.var_overwrite = GetChecked(DebuggerOptionsOverwrite) > 0;
  }
}
