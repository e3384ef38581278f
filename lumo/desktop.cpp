#include "lumo/desktop.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lumo/platform_sdl.h"
#include "lumo/png.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0];
}

}  // namespace

bool DesktopAvailable() {
  if (Set("SDL_VIDEODRIVER")) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (SDL_strcasecmp(driver, "x11") != 0 && SDL_strcasecmp(driver, "wayland") != 0) return true;
  }
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

bool StartDesktop() { return PlatformStartVideo(); }

void SetDesktopTitle(const char* title) {
  if (SDL_Window* window = PlatformWindow()) SDL_SetWindowTitle(window, title);
}

bool SetDesktopIcon(const std::string& png_file) {
  SDL_Window* window = PlatformWindow();
  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  if (!window || !LoadPngRgba(png_file.c_str(), &rgba, &width, &height)) return false;
  SDL_Surface* icon =
      SDL_CreateRGBSurfaceWithFormatFrom(rgba.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!icon) return false;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
  return true;
}

void ShowMessageBox(const char* text) {
  // Without a display SDL would try and fail slowly; say it where the user
  // started the program.
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool real_display = !(driver && SDL_strcasecmp(driver, "dummy") == 0);
  if (real_display && DesktopAvailable() &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tavo", text, PlatformWindow()) == 0)
    return;
  std::fprintf(stderr, "%s\n", text);
}

void MinimizeDesktop() { PlatformMinimizeWindow(); }

bool OpenDesktopUrl(const char* url) { return SDL_OpenURL(url) == 0; }
