// Display modes and present, on the platform layer's window.
#include "lumo/display.h"

#include <cstdio>

#include "lumo/platform_sdl.h"

namespace {

// Module state: the current mode and its back surface.
struct DisplayState {
  Surface* back = nullptr;  // off-screen back surface, where all drawing goes
  int width = 0, height = 0, bits = 0;
  bool full_screen = false;
  PixelFormat format{};
};
DisplayState g_display;

void ReleaseSurfaces() {
  DestroySurface(g_display.back);
  g_display.back = nullptr;
}

}  // namespace

bool SetDisplayMode(int width, int height, int bits_per_pixel, bool full_screen) {
  ReleaseSurfaces();
  if (width <= 0 || height <= 0) return false;
  PixelFormat format;
  if (bits_per_pixel == 8 || !MakePixelFormat(&format, bits_per_pixel)) {
    printf("unsupported display depth %d\n", bits_per_pixel);
    return false;
  }
  if (!PlatformOpenWindow(width, height, full_screen)) {
    if (!PlatformHasWindow()) {
      printf("not ok2\n");
    } else if (full_screen && g_display.width > 0) {
      // Back to a window of the previous screen size.
      PlatformOpenWindow(g_display.width, g_display.height, false);
    }
    fflush(stdout);
    return false;
  }
  Surface* back = CreateSurface(width, height, bits_per_pixel, SurfaceDisplayMemory | SurfaceClear);
  if (!back) {
    printf("couldn't create the back surface (%dx%dx%d)\n", width, height, bits_per_pixel);
    fflush(stdout);
    return false;
  }
  g_display.width = width;
  g_display.height = height;
  g_display.bits = bits_per_pixel;
  g_display.full_screen = full_screen;
  g_display.format = format;
  g_display.back = back;
  return true;
}

bool ChangeDisplayMode(bool full_screen, int bits_per_pixel, int height, int width) {
  const int old_width = g_display.width, old_height = g_display.height, old_bits = g_display.bits;
  const bool old_full_screen = g_display.full_screen;
  if (SetDisplayMode(width, height, bits_per_pixel, full_screen)) return true;
  if (old_width > 0) SetDisplayMode(old_width, old_height, old_bits, old_full_screen);
  return false;
}

bool PresentDisplay(bool vsync) {
  if (!g_display.back) return false;
  return PlatformPresent(g_display.back->display, vsync);
}

void CloseDisplay() {
  ReleaseSurfaces();
  PlatformCloseWindow();
  g_display = DisplayState{};
}

Surface* DisplayDrawTarget() { return g_display.back; }
int ScreenWidth() { return g_display.width; }
int ScreenHeight() { return g_display.height; }
int DisplayDepth() { return g_display.bits; }
bool DisplayFullScreen() { return g_display.full_screen; }
const PixelFormat& DisplayFormat() { return g_display.format; }
