// The display: the program's window in a mode of a given size and depth,
// with a back surface in the display's pixel format that all drawing goes to
// and that present shows.
#pragma once
#include <vector>

#include "lumo/surface.h"

struct DisplayModeInfo {
  int width, height, bits;
};

// Creates or re-creates the window and the back surface. Depths 16, 24 and 32.
bool SetDisplayMode(int width, int height, int bits_per_pixel, bool full_screen);
// Sets a new mode; when that fails the previous mode is set again and the
// result is false.
bool ChangeDisplayMode(bool full_screen, int bits_per_pixel, int height, int width);
// Shows the back surface, waiting for the vertical blank when asked.
bool PresentDisplay(bool vsync);
// Releases the back surface and the window.
void CloseDisplay();

Surface* DisplayDrawTarget();  // none before a mode is set
int ScreenWidth();
int ScreenHeight();
int DisplayDepth();
bool DisplayFullScreen();
const PixelFormat& DisplayFormat();

// The full-screen modes the video options offer: the desktop's own size and
// the usual sizes up to it (640x480, 800x600, 1024x768, 1280x720, 1280x960,
// 1920x1080), each at 16 and 32 bits, smallest first. Full screen keeps the
// desktop's real mode: the chosen size is the picture Tavo draws, scaled to
// the screen with its aspect kept. Empty without a video driver.
std::vector<DisplayModeInfo> FullScreenModes();
