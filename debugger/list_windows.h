// The label, breakpoint and variable windows, which list and edit the
// debugger's lists (the data and actions are list_window_data.h), and the
// debugger options window with its one check box.
#pragma once
#include "lumo/gui.h"

// Gadget ids: window id x 100 + part, the same parts in the three windows.
enum ListWindowPart {
  PartList = 1, PartScrollBar, PartNameSort, PartAddressSort, PartName, PartAddress, PartAbsolute,
  PartAdd, PartSet, PartDeleteAll, PartDelete, PartByte, PartWord, PartDword, PartNewValue,
  PartChangeValue, PartFrame, PartValueFrame,
};
constexpr int VariableGadget(int part) { return 1900 + part; }
constexpr int BreakpointGadget(int part) { return 2000 + part; }
constexpr int LabelGadget(int part) { return 2100 + part; }
constexpr int DebuggerOptionsOverwrite = 2601;
// The wheel scrolls a list by this many entries per step.
constexpr int ListWheelStep = 5;

void ToggleLabelWindow();
void ToggleBreakpointWindow();
void ToggleVariableWindow();
void ToggleDebuggerOptionsWindow();
void LabelWindowEvent(const GuiEvent& event);
void BreakpointWindowEvent(const GuiEvent& event);
void VariableWindowEvent(const GuiEvent& event);
void DebuggerOptionsEvent(const GuiEvent& event);
// Rows, scroll bar and buttons from the lists (variables with their current
// values); each does nothing while its window is closed.
void RefreshLabelWindow();
void RefreshBreakpointWindow();
void RefreshVariableWindow();
// All three, after the lists changed elsewhere (patch files, the debugger
// window's breakpoint toggle).
void RefreshListWindows();
// Wheel steps (positive away from the user) scroll the list up by 5 each.
void LabelWindowWheel(int steps);
void BreakpointWindowWheel(int steps);
void VariableWindowWheel(int steps);
