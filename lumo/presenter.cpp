#include "lumo/presenter.h"

#include <cstring>

#include "app/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/game_window.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_paint.h"
#include "lumo/messages.h"
#include "machine/machine.h"

// A plain presenter: the console's picture in the GUI's game window, or
// centred on the screen at the largest whole scale that fits while the GUI
// is hidden, with the status line; no filters, blur or stretching choices.
namespace {

int g_window_width = 0, g_window_height = 0;
bool g_was_visible = true;

void DrawStatusLine(Surface* back) {
  if (StatusCounter <= 0) return;
  if (--StatusCounter == 0) {
    if (GuiVisible) MarkScreenDirty(0, ScreenHeight() - GuiFont.height - 4, ScreenWidth(), GuiFont.height + 4);
    else FillRect(0, 0, back->width, back->height, back, 0);
    return;
  }
  const int band = GuiFont.height + 4, top = back->height - band;
  FillRect(0, top, back->width, band, back, RgbPixel(back, 0x101010));
  DrawText(back, GuiFont, 4, top + 2, StatusText, RgbPixel(back, 0xFFFFFF));
}

}  // namespace

void Present() {
  Surface* back = DisplayDrawTarget();
  const VdpWindow picture = VdpVisibleWindow(&PrimaryMachine.Vdp);
  if (!back || !picture.finished || picture.width <= 0) {
    PresentDisplay(Config.vsync);
    return;
  }
  const SurfaceRect source{picture.x, picture.y, picture.width, picture.height};
  if (GuiVisible) {
    if (picture.width != g_window_width || picture.height != g_window_height || !GameWindowSurface()) {
      OpenGameWindow(picture.width, picture.height);
      g_window_width = picture.width, g_window_height = picture.height;
    }
    if (Surface* window = GameWindowSurface()) {
      int x, y;
      GameWindowClientOrigin(&x, &y);
      CopySurface(window, x, y, picture.finished, source);
      GameWindowPictureChanged();
    }
    DrawStatusLine(back);
    PresentDisplay(Config.vsync);
    g_was_visible = true;
    return;
  }
  if (g_was_visible) FillRect(0, 0, back->width, back->height, back, 0);
  g_was_visible = false;
  PresentDisplay(Config.vsync);
  int scale = 1;
  while (picture.width * (scale + 1) <= back->width && picture.height * (scale + 1) <= back->height) scale++;
  const SurfaceRect target{(back->width - picture.width * scale) / 2, (back->height - picture.height * scale) / 2,
                           picture.width * scale, picture.height * scale};
  StretchSurface(back, target, picture.finished, source);
  DrawStatusLine(back);
}
