// The debugger window: five register lines, the run and step buttons, the
// log and stop-condition check boxes, and 20 rows of disassembly from the PC
// on, with breakpoints highlighted; a right click on a row toggles its
// breakpoint.
#pragma once
#include "lumo/gui.h"

// Gadget ids (window 4).
enum DebuggerGadget {
  DebuggerRegisterLine = 401,  // 401..405
  DebuggerFrame = 406,
  DebuggerEnable = 410, DebuggerDisable, DebuggerRun, DebuggerPause, DebuggerStepIn,
  DebuggerStepOver, DebuggerReturn, DebuggerRunLine, DebuggerRunFrame, DebuggerRunToCursor,
  DebuggerLog, DebuggerClearLog, DebuggerBreakAtBreakpoints, DebuggerBreakAtNopNops,
  DebuggerHeader = 424,
  DebuggerList = 430,
};

// Opens the window at its remembered position; nothing when it is open.
void OpenDebuggerWindow();
// F9 and the menu: opens and refreshes the window, or, when it is open,
// clears the four run flags at once and closes it.
void ToggleDebuggerWindow();
void DebuggerWindowEvent(const GuiEvent& event);
// The selected disassembly row (-1 none), and selecting one.
int SelectedDebuggerRow();
void SelectDebuggerRow(int row);
