// Display modes and present, on the platform layer's window.
#include "lumo/display.h"

#include <algorithm>
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

std::vector<DisplayModeInfo> FullScreenModes() {
  std::vector<DisplayModeInfo> modes;
  int desktop_width = 0, desktop_height = 0;
  if (!PlatformDesktopSize(&desktop_width, &desktop_height)) return modes;
  const DisplayModeInfo usual[] = {{640, 480, 0},  {800, 600, 0},  {1024, 768, 0},
                                   {1280, 720, 0}, {1280, 960, 0}, {1920, 1080, 0}};
  std::vector<DisplayModeInfo> sizes;
  for (const DisplayModeInfo& size : usual)
    if (size.width <= desktop_width && size.height <= desktop_height) sizes.push_back(size);
  auto smaller = [](const DisplayModeInfo& a, const DisplayModeInfo& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  };
  const DisplayModeInfo desktop{desktop_width, desktop_height, 0};
  auto at = std::lower_bound(sizes.begin(), sizes.end(), desktop, smaller);
  if (at == sizes.end() || at->width != desktop_width || at->height != desktop_height)
    sizes.insert(at, desktop);
  for (const DisplayModeInfo& size : sizes)
    for (int bits : {16, 32}) modes.push_back({size.width, size.height, bits});
  return modes;
}
