// The program's windows: title and client size of each WindowId, for the
// application to open them with.
#pragma once
#include "config/config.h"

struct WindowLayout {
  const char* title;  // "" for none
  int client_width;   // 0: depends on the content (emulator screen, tilemap)
  int client_height;
};

// Indexed by WindowId (config/config.h); the two file requesters take
// their title from the requester.
extern const WindowLayout WindowLayouts[WindowCount];

struct Window;
// Opens a tool window at its remembered position (centred when none) with
// its title and close box; a client size of 0 takes the table's. None when
// it is open already (it comes to the front) or cannot be made.
Window* OpenToolWindow(int id, int client_width = 0, int client_height = 0, int extra_flags = 0);
// Closes it; its position is kept and it will not reopen at the next start.
void CloseToolWindow(int id);
// A tool window's open command is a toggle: an open window closes (as
// CloseToolWindow does) and none is returned; otherwise OpenToolWindow.
Window* ToggleToolWindow(int id, int client_width = 0, int client_height = 0, int extra_flags = 0);
