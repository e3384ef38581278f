// The "SDSC Console" window: the console's 80 x 25 cells of 7 x 9 pixels in
// one canvas, drawn with the fixed-pitch font in each cell's colours.
#pragma once
#include "config/config.h"

constexpr int ConsoleCanvasId = WinConsole * 100;

// Opens the window at its remembered position, or closes it when open.
void ToggleConsoleWindow();
// Draws the console into the window when it changed and the window is open
// (the window's refresh, once per pass).
void RedrawConsole();
