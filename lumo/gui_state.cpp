// The toolkit's state, lookups, the event queue and the screen's dirt.
#include <cstring>

#include "config/config.h"
#include "lumo/display.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_internal.h"

GuiState Gui;

void ResetGui() {
  while (!Gui.stack.empty()) CloseWindow(Gui.stack.back()->id);
  Gui = GuiState{};
  Gui.open_menu = -1;
  Gui.hot_item = -1;
  for (int i = 0; i < 15; i++) Gui.colours[i] = CurrentColours[i];
  RedrawGui();
}

Window* FindWindow(int id) {
  for (Window* w : Gui.stack)
    if (w->id == id) return w;
  return nullptr;
}

bool WindowOpen(int id) { return FindWindow(id) != nullptr; }

bool WindowActive(int id) {
  const Window* w = FindWindow(id);
  return w && w->active;
}
Window* TopWindow() { return Gui.stack.empty() ? nullptr : Gui.stack.back(); }
int TopWindowId() { return Gui.stack.empty() ? -1 : Gui.stack.back()->id; }

Gadget* FindGadget(int id) {
  if (id >= 0 && id < 1024) return Gui.direct[id];
  for (Window* w : Gui.stack)
    for (Gadget* g : w->gadgets)
      if (g->id == id) return g;
  return nullptr;
}

const Font& GadgetFont(const Gadget* g) {
  return (g->flags & GadgetSecondFont) ? GuiFixedFont : GuiFont;
}

void PostGuiEvent(int type, int id) {
  for (GuiEvent& slot : Gui.events) {
    if (slot.type == EventNone) {
      slot = {type, id, Gui.double_click};
      return;
    }
  }
}

bool NextGuiEvent(GuiEvent* event) {
  for (GuiEvent& slot : Gui.events) {
    if (slot.type != EventNone) {
      *event = slot;
      Gui.last_double_click = slot.double_click;
      slot = {};
      return true;
    }
  }
  return false;
}

bool GuiDoubleClick() { return Gui.last_double_click; }

void MarkScreenRect(const SurfaceRect& r) {
  const int sw = ScreenWidth(), sh = ScreenHeight();
  int x0 = r.x < 0 ? 0 : r.x, y0 = r.y < 0 ? 0 : r.y;
  int x1 = r.x + r.width > sw ? sw : r.x + r.width, y1 = r.y + r.height > sh ? sh : r.y + r.height;
  if (x1 <= x0 || y1 <= y0) return;
  SurfaceRect c{x0, y0, x1 - x0, y1 - y0};
  for (SurfaceRect& d : Gui.dirty) {  // inside one already marked
    if (c.x >= d.x && c.y >= d.y && c.x + c.width <= d.x + d.width && c.y + c.height <= d.y + d.height)
      return;
  }
  constexpr size_t kMaxAreas = 24;  // beyond this, one box holds them all
  if (Gui.dirty.size() >= kMaxAreas) {
    int x0 = c.x, y0 = c.y, x1 = c.x + c.width, y1 = c.y + c.height;
    for (const SurfaceRect& d : Gui.dirty) {
      x0 = d.x < x0 ? d.x : x0;
      y0 = d.y < y0 ? d.y : y0;
      x1 = d.x + d.width > x1 ? d.x + d.width : x1;
      y1 = d.y + d.height > y1 ? d.y + d.height : y1;
    }
    Gui.dirty.clear();
    c = {x0, y0, x1 - x0, y1 - y0};
  }
  Gui.dirty.push_back(c);
}

void MarkScreenDirty(int x, int y, int width, int height) { MarkScreenRect({x, y, width, height}); }

void MarkWindowScreen(const Window* w) { MarkScreenRect({w->x, w->y, w->width, w->height}); }

void MarkGadgetDirty(Gadget* g) {
  g->dirty = true;
  if (g->window) g->window->dirty = true;
}

void MarkWindowDirty(int id) {
  if (Window* w = FindWindow(id)) w->dirty = true;
}

void MarkWindowAreaChanged(int id, int x, int y, int width, int height) {
  if (Window* w = FindWindow(id)) MarkScreenRect({w->x + x, w->y + y, width, height});
}

void RedrawGui() {
  for (Window* w : Gui.stack) w->dirty = true;
  Gui.dirty.clear();
  MarkScreenRect({0, 0, ScreenWidth(), ScreenHeight()});
}

void ApplyColours(const uint32_t table[15]) {
  for (int i = 0; i < 15; i++) Gui.colours[i] = table[i] & 0xFFFFFF;
  RedrawGui();
}

void GuiDisplayChanged() {
  for (Window* w : Gui.stack) {
    CreateWindowSurface(w);
    KeepWindowOnScreen(w, true);
  }
  RedrawGui();
}

void SetGuiBusy(bool busy) {
  Gui.busy += busy ? 1 : -1;
  if (Gui.busy < 0) Gui.busy = 0;
  MarkScreenRect({Gui.pointer_x, Gui.pointer_y, 16, 20});
}

bool GuiBusy() { return Gui.busy > 0; }

int WindowUnderPointer() {
  for (size_t i = Gui.stack.size(); i-- > 0;) {
    const Window* w = Gui.stack[i];
    if (Gui.pointer_x >= w->x && Gui.pointer_x < w->x + w->width && Gui.pointer_y >= w->y &&
        Gui.pointer_y < w->y + w->height)
      return w->id;
  }
  return -1;
}

int GadgetUnderPointer() {
  const Window* w = FindWindow(WindowUnderPointer());
  if (!w) return -1;
  const int x = Gui.pointer_x - w->x, y = Gui.pointer_y - w->y;
  for (size_t i = w->gadgets.size(); i-- > 0;) {
    const Gadget* g = w->gadgets[i];
    if (g->kind == KindFrame || g->kind == KindText) continue;
    if (x >= g->x && x < g->x + g->width && y >= g->y && y < g->y + g->height) return g->id;
  }
  return -1;
}
