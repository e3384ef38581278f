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

// One message band at the bottom of the screen (row 0) or above it (row 1),
// while its counter runs; the counter goes down once per pass.
void DrawMessageLine(Surface* back, const char* text, int* counter, int row) {
  if (*counter <= 0) return;
  const int band = GuiFont.height + 4, top = back->height - band * (row + 1);
  if (--*counter == 0) {
    if (GuiVisible) MarkScreenDirty(0, top, back->width, band);
    else FillRect(0, 0, back->width, back->height, back, 0);
    return;
  }
  FillRect(0, top, back->width, band, back, RgbPixel(back, 0x101010));
  DrawText(back, GuiFont, 4, top + 2, text, RgbPixel(back, row ? 0xFFE08A : 0xFFFFFF));
}

void DrawMessageLines(Surface* back) {
  DrawMessageLine(back, StatusText, &StatusCounter, 0);
  DrawMessageLine(back, MovieMessageText, &MovieMessageCounter, 1);
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
    DrawMessageLines(back);
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
  DrawMessageLines(back);
}
