#include "lumo/game_window.h"

#include "config/config.h"
#include "lumo/gui.h"

namespace {
int g_width = 0, g_height = 0;  // the picture size of the open window
}

bool OpenGameWindow(int picture_width, int picture_height) {
  if (WindowOpen(WinGame)) {
    ResizeWindowClient(WinGame, picture_width, picture_height);
  } else if (!OpenWindow(WinGame, Config.window_x[WinGame], Config.window_y[WinGame], picture_width,
                         picture_height, 0, "")) {
    return false;
  }
  g_width = picture_width;
  g_height = picture_height;
  return true;
}

void CloseGameWindow() { CloseWindow(WinGame); }

Surface* GameWindowSurface() { return WindowSurface(WinGame); }

void GameWindowClientOrigin(int* x, int* y) {
  *x = ClientLeft;
  *y = ClientTop;
}

void GameWindowPictureChanged() { MarkWindowAreaChanged(WinGame, ClientLeft, ClientTop, g_width, g_height); }
