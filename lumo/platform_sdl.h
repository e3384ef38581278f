// The platform layer under the display: SDL2 window, renderer and the pixel
// stores behind display surfaces. Only lumo/ includes this header.
#pragma once
#include <SDL.h>

#include "lumo/surface.h"

// A display surface's pixels: an SDL surface in the display's format. The
// back surface also owns the streaming texture that present uploads into.
struct DisplayTexture {
  SDL_Surface* store;
  SDL_Texture* texture;  // none until the surface is presented
  int lock_calls;        // how often the store was really locked
  int unlock_calls;
  int renderer_generation;  // the renderer the texture belongs to
};

DisplayTexture* PlatformCreateTexture(int width, int height, const PixelFormat& format);
void PlatformDestroyTexture(DisplayTexture* texture);
// Locks the store; the pointer and pitch are valid until the unlock.
uint8_t* PlatformLockTexture(DisplayTexture* texture, LockMode mode, int* pitch);
void PlatformUnlockTexture(DisplayTexture* texture);

// Starts SDL's video subsystem (PlatformCloseWindow stops it again); false,
// with SDL's reason on standard output, when it cannot start.
bool PlatformStartVideo();
// The program's one window. Creates it on first use, otherwise resizes and
// restyles it. False (with SDL's reason on standard output) on failure.
bool PlatformOpenWindow(int width, int height, bool full_screen);
void PlatformCloseWindow();
bool PlatformHasWindow();
SDL_Window* PlatformWindow();
// The graphics device was reset and the renderer's textures are lost: each
// display surface gets a new texture at its next present.
void PlatformRenderDeviceReset();
// Minimises the window; the input module then reports the deactivation.
void PlatformMinimizeWindow();
// The size of the desktop the window is on (the first display before there
// is a window). False without a video driver.
bool PlatformDesktopSize(int* width, int* height);
// Uploads the surface's pixels and shows them in the window, with the
// renderer's presentation synchronised to the display when vsync is asked.
bool PlatformPresent(DisplayTexture* texture, bool vsync);
// The texture the last present showed the picture from: the back surface's
// own, or the processor-scaled one of a software renderer (tests).
SDL_Texture* PlatformShownTexture();
