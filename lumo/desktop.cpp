#include "lumo/desktop.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "lumo/platform_sdl.h"

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
