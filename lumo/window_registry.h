// What the main loop needs of every tool window, by window id: the command
// that opens or closes it, the handler of its gadgets' events, its
// once-per-pass refresh and its mouse wheel. Each window module registers
// itself at start-up (RegisterWindows); ids nobody registered do nothing.
// Gadget ids are window id x 100 + part, so an event finds its window.
#pragma once
#include "lumo/gui.h"

struct WindowHandlers {
  void (*toggle)() = nullptr;                    // open, or close when open
  void (*event)(const GuiEvent& event) = nullptr;  // its gadgets' events, and its close box (type 4)
  void (*refresh)() = nullptr;                   // each pass while open and the GUI is shown
  void (*wheel)(int steps) = nullptr;            // wheel steps over it, positive away from the user
};

extern WindowHandlers WindowTable[28];

void RegisterWindow(int id, const WindowHandlers& handlers);
// Registers every window module of the program.
void RegisterWindows();
void ResetWindowRegistry();  // nothing registered (tests)

// The window an event belongs to: the window id of a close-box event, else
// its gadget's id / 100; -1 for menu commands and unknown ids.
int EventWindow(const GuiEvent& event);
// Routes the event to its window's handler. A close box without a handler
// closes the window (CloseWindow keeps its position) and clears its opened
// flag. False when no window took it.
bool DispatchWindowEvent(const GuiEvent& event);
void ToggleWindowById(int id);
// Refreshes every open window that has a refresh handler.
void RefreshOpenWindows();
// Hands wheel steps to the window under the pointer; false when it has no
// wheel handler.
bool WheelOverWindow(int id, int steps);
