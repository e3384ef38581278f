// Windows: the stack in z-order, modal windows, placement on the screen.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "config/config.h"
#include "lumo/display.h"
#include "lumo/gui_internal.h"
#include "lumo/gui_pictures.h"

namespace {

void FreeGadget(Gadget* g) {
  if (g->id >= 0 && g->id < 1024 && Gui.direct[g->id] == g) Gui.direct[g->id] = nullptr;
  if (Gui.hover == g) Gui.hover = nullptr;
  if (Gui.pressed == g) Gui.pressed = nullptr;
  if (Gui.right_pressed == g) Gui.right_pressed = nullptr;
  if (g->owns_canvas) DestroySurface(g->canvas);
  delete g;
}

}  // namespace

void LeaveTop() {
  Window* top = TopWindow();
  if (!top) return;
  top->dirty = true;  // its bar turns inactive
  // Typing goes to the top window only: an input field left below is confirmed.
  if (top->focus && top->focus->kind == KindInput) SetFocus(top, nullptr);
}

bool CreateWindowSurface(Window* w) {
  const int bits = DisplayDepth() ? DisplayDepth() : 16;
  Surface* s = CreateSurface(w->width, w->height, bits, SurfaceClear);
  if (!s) return false;
  if (w->surface) DestroySurface(w->surface);
  w->surface = s;
  w->dirty = true;
  for (Gadget* g : w->gadgets) {
    if (g->owns_canvas && g->canvas && g->canvas->format.bits != bits) {
      Surface* c = CreateSurface(g->canvas->width, g->canvas->height, bits, SurfaceClear);
      if (c) {
        DestroySurface(g->canvas);
        g->canvas = c;
      }
    }
  }
  return true;
}

void KeepWindowOnScreen(Window* w, bool fully) {
  const int sw = ScreenWidth(), sh = ScreenHeight();
  const int client_width = w->width - WindowExtraWidth;
  if (w->x + w->width < 0) w->x = 6 - client_width;
  if (w->y + w->height < 0) w->y = 20 - w->height;
  if (w->x >= sw) w->x = sw - 20;
  if (w->y >= sh) w->y = sh - 20;
  if (fully) {
    // Wholly in view when it fits, else its left and top edges are.
    w->x = std::max(0, std::min(w->x, sw - w->width));
    w->y = std::max(MenuBarHeight, std::min(w->y, sh - w->height));
    if (w->y + w->height > sh) w->y = std::max(0, std::min(w->y, sh - w->height));
  }
}

Window* OpenWindow(int id, int x, int y, int client_width, int client_height, int flags,
                   const char* title) {
  if (Window* open = FindWindow(id)) {
    RaiseWindow(open);
    return nullptr;
  }
  if (client_width < 0 || client_height < 0 || client_width > 8192 || client_height > 8192)
    return nullptr;
  auto* w = new Window{};
  w->id = id;
  w->flags = flags;
  w->width = client_width + WindowExtraWidth;
  w->height = client_height + WindowExtraHeight;
  snprintf(w->title, sizeof w->title, "%s", title ? title : "");
  if ((flags & WindowCentred) || x == WindowPositionUnset || y == WindowPositionUnset) {
    x = (ScreenWidth() - w->width) / 2;
    y = (ScreenHeight() - w->height) / 2;
  }
  w->x = x;
  w->y = y;
  KeepWindowOnScreen(w, true);
  if (!CreateWindowSurface(w)) {
    delete w;
    return nullptr;
  }
  w->active = true;
  if (flags & WindowModal) {
    for (Window* other : Gui.stack) {
      if (other->active) {
        other->active = false;
        other->dirty = true;
        w->disabled_windows.push_back(other->id);
      }
    }
  }
  LeaveTop();
  Gui.stack.push_back(w);
  if (flags & WindowCloseBox)
    AddPictureButton(w, CloseBoxId, client_width - 12 + 2, -ClientTop + (TitleBarHeight - 12) / 2 + 1,
                     12, 12, PicCloseBox, PicCloseBoxHover, PicCloseBoxPressed);
  MarkWindowScreen(w);
  return w;
}

void CloseWindow(int id) {
  Window* w = FindWindow(id);
  if (!w) return;
  if (w->focus && w->focus->kind == KindInput) PostGuiEvent(EventActivated, w->focus->id);
  if (id >= 0 && id < WindowCount) {
    Config.window_x[id] = w->x;
    Config.window_y[id] = w->y;
  }
  for (Gadget* g : w->gadgets) FreeGadget(g);
  w->gadgets.clear();
  Gui.stack.erase(std::find(Gui.stack.begin(), Gui.stack.end(), w));
  if (Gui.dragging == w) Gui.dragging = nullptr;
  for (int other_id : w->disabled_windows) {
    if (Window* other = FindWindow(other_id)) {
      other->active = true;
      other->dirty = true;
    }
  }
  if (Window* top = TopWindow()) top->dirty = true;
  MarkWindowScreen(w);
  if (w->surface) DestroySurface(w->surface);
  delete w;
}

void WindowPosition(int id, int* x, int* y) {
  const Window* w = FindWindow(id);
  *x = w ? w->x : -1;
  *y = w ? w->y : -1;
}

void MoveWindow(int id, int x, int y) {
  Window* w = FindWindow(id);
  if (!w) return;
  MarkWindowScreen(w);
  w->x = x;
  w->y = y;
  KeepWindowOnScreen(w, false);
  MarkWindowScreen(w);
}

void RaiseWindow(Window* w) {
  if (TopWindow() == w) return;
  LeaveTop();
  Gui.stack.erase(std::find(Gui.stack.begin(), Gui.stack.end(), w));
  Gui.stack.push_back(w);
  w->dirty = true;
  MarkWindowScreen(w);
}

void ResizeWindowClient(int id, int client_width, int client_height) {
  Window* w = FindWindow(id);
  if (!w || client_width < 0 || client_height < 0 || client_width > 8192 || client_height > 8192)
    return;
  const int width = client_width + WindowExtraWidth, height = client_height + WindowExtraHeight;
  if (width == w->width && height == w->height) return;
  MarkWindowScreen(w);
  const int cx = w->x + w->width / 2, cy = w->y + w->height / 2;
  const int old_width = w->width, old_height = w->height;
  w->width = width;
  w->height = height;
  if (!CreateWindowSurface(w)) {
    w->width = old_width;
    w->height = old_height;
    return;
  }
  w->x = cx - width / 2;
  w->y = cy - height / 2;
  for (Gadget* g : w->gadgets)
    if (g->id == CloseBoxId) g->x = width - ClientLeft - 12 + 2;
  KeepWindowOnScreen(w, true);
  MarkWindowScreen(w);
}

void SetWindowTitle(int id, const char* title) {
  Window* w = FindWindow(id);
  if (!w || strncmp(w->title, title, sizeof w->title - 1) == 0) return;
  snprintf(w->title, sizeof w->title, "%s", title);
  w->dirty = true;
}

Surface* WindowSurface(int id) {
  const Window* w = FindWindow(id);
  return w ? w->surface : nullptr;
}
