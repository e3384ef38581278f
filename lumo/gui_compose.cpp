// Putting the GUI on the screen: dirty windows are redrawn into their
// surfaces, then only the dirty screen areas are composed again from the
// desktop, the windows bottom to top, the menus and the pointer.
#include "lumo/display.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_internal.h"
#include "lumo/gui_paint.h"
#include "lumo/theme.h"

namespace {

constexpr int kPointerBox = 20;  // covers both pointer pictures

const Surface* PointerPicture() {
  return GuiPicturesRaw[Gui.busy > 0 ? PicBusyPointer : PicPointer];
}

bool Overlaps(const SurfaceRect& a, int x, int y, int w, int h) {
  return a.x < x + w && x < a.x + a.width && a.y < y + h && y < a.y + a.height;
}

}  // namespace

void DrawDesktop(bool gui_shown, int x, int y, int width, int height) {
  Surface* target = DisplayDrawTarget();
  if (!target) return;
  Surface* picture = gui_shown ? ThemeBackground : ThemeBackgroundNoGui;
  if (picture) {
    CopySurface(target, x, y, picture, {x, y, width, height});
    return;
  }
  const uint32_t top = Gui.colours[gui_shown ? ColBackground : ColBackground3];
  const uint32_t bottom = Gui.colours[gui_shown ? ColBackground2 : ColBackground4];
  FillGradient(target, x, y, width, height, top, bottom, ScreenHeight());
}

void ComposeGui() {
  Surface* target = DisplayDrawTarget();
  if (!target) return;
  for (Window* w : Gui.stack) {
    if (!w->dirty) continue;
    DrawWindow(w);
    MarkWindowScreen(w);
  }
  const bool busy = Gui.busy > 0;
  if (!Gui.pointer_drawn || Gui.pointer_drawn_x != Gui.pointer_x || Gui.pointer_drawn_y != Gui.pointer_y ||
      Gui.pointer_drawn_busy != busy) {
    if (Gui.pointer_drawn) MarkScreenRect({Gui.pointer_drawn_x, Gui.pointer_drawn_y, kPointerBox, kPointerBox});
    MarkScreenRect({Gui.pointer_x, Gui.pointer_y, kPointerBox, kPointerBox});
  }
  if (Gui.dirty.empty()) return;
  const ClipRect saved = target->clip;
  const SurfaceRect menu = OpenMenuRect();
  for (const SurfaceRect& r : Gui.dirty) {
    SetSurfaceClip(target, r.x, r.y, r.x + r.width - 1, r.y + r.height - 1);
    DrawDesktop(true, r.x, r.y, r.width, r.height);
    for (Window* w : Gui.stack)
      if (w->surface && Overlaps(r, w->x, w->y, w->width, w->height))
        CopySurface(target, w->x, w->y, w->surface, {0, 0, w->width, w->height});
    if (r.y < MenuBarHeight || Overlaps(r, menu.x, menu.y, menu.width, menu.height)) DrawMenus(target, r);
    if (const Surface* pointer = PointerPicture())
      DrawShaded(target, pointer, Gui.pointer_x, Gui.pointer_y, Gui.colours[ColMouseCursor]);
  }
  target->clip = saved;
  Gui.dirty.clear();
  Gui.pointer_drawn = true;
  Gui.pointer_drawn_x = Gui.pointer_x;
  Gui.pointer_drawn_y = Gui.pointer_y;
  Gui.pointer_drawn_busy = busy;
}
