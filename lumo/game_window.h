// The GUI's screen window (`game`, id 0): a window titled after the
// cartridge (with "Paused" while paused) whose client area holds the
// emulator's picture. The presenter draws the picture
// into the window's surface at the client origin and tells the GUI.
#pragma once
#include <string>

#include "lumo/surface.h"

// Opens it (at its remembered position, else centred) with a client area
// of the picture's size; when open, resizes it around its centre instead.
bool OpenGameWindow(int picture_width, int picture_height);
// "<cartridge file name>", "<name> - Paused" while paused, "Paused" without
// a cartridge; the open window's title follows it each pass.
std::string GameWindowTitle();
void CloseGameWindow();
// The window's surface (none when closed) and where the picture goes in it.
Surface* GameWindowSurface();
void GameWindowClientOrigin(int* x, int* y);
// After drawing the picture: put that area on the screen with the next pass.
void GameWindowPictureChanged();
