#include "lumo/game_window.h"

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/gui.h"
#include "machine/cartridge.h"

namespace {
int g_width = 0, g_height = 0;  // the picture size of the open window
}

std::string GameWindowTitle() {
  std::string title = CartName;
  if (Paused) title += title.empty() ? "Paused" : " - Paused";
  return title;
}

bool OpenGameWindow(int picture_width, int picture_height) {
  const std::string title = GameWindowTitle();
  if (WindowOpen(WinGame)) {
    ResizeWindowClient(WinGame, picture_width, picture_height);
    SetWindowTitle(WinGame, title.c_str());
  } else if (!OpenWindow(WinGame, Config.window_x[WinGame], Config.window_y[WinGame], picture_width,
                         picture_height, 0, title.c_str())) {
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
