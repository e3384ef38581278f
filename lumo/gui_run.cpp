// RunGui: one pass of the window manager over the input the caller gives.
#include <algorithm>

#include "lumo/display.h"
#include "lumo/gui_internal.h"

namespace {

constexpr uint32_t kFirstRepeat = 200, kNextRepeat = 60;  // ms
constexpr int kGrip = 40;  // title bar pixels that stay on the screen while dragging

enum ScrollPart { PartNone, PartUp, PartDown, PartKnob, PartPageUp, PartPageDown };
int g_scroll_part = PartNone;

bool Inside(const Gadget* g, int x, int y) {
  return x >= g->x && x < g->x + g->width && y >= g->y && y < g->y + g->height;
}

Window* WindowAt(int x, int y) {
  for (size_t i = Gui.stack.size(); i-- > 0;) {
    Window* w = Gui.stack[i];
    if (x >= w->x && x < w->x + w->width && y >= w->y && y < w->y + w->height) return w;
  }
  return nullptr;
}

// The enabled, interactive gadget at a point of a window (the last made on top).
Gadget* GadgetAt(Window* w, int x, int y) {
  for (size_t i = w->gadgets.size(); i-- > 0;) {
    Gadget* g = w->gadgets[i];
    if (g->kind != KindText && g->kind != KindFrame && g->enabled && Inside(g, x, y)) return g;
  }
  return nullptr;
}

bool ShowsHover(const Gadget* g) {
  return g && g->kind != KindList && g->kind != KindCanvas && g->kind != KindCellCanvas &&
         g->kind != KindInput;
}

void SetHover(Gadget* g) {
  if (Gui.hover == g) return;
  if (ShowsHover(Gui.hover)) MarkGadgetDirty(Gui.hover);
  Gui.hover = g;
  if (ShowsHover(g)) MarkGadgetDirty(g);
}

bool ReportCell(Gadget* g, int x, int y) {
  const int column = std::max(0, x - g->x) / g->cell_width, row = std::max(0, y - g->y) / g->cell_height;
  const bool changed = column != g->cell_x || row != g->cell_y;
  g->cell_x = column, g->cell_y = row;
  return changed;
}

void ScrollTo(Gadget* g, int first) {
  first = std::clamp(first, 0, std::max(0, g->range - g->visible));
  if (first == g->value) return;
  g->value = first;
  MarkGadgetDirty(g);
  PostGuiEvent(EventChanged, g->id);
}

void SlideTo(Gadget* g, int knob_x) {
  const int travel = std::max(1, g->width - SliderKnobWidth);
  const int value = std::clamp((int)(((long)(knob_x - g->x) * g->range + travel / 2) / travel), 0, g->range);
  if (value == g->value) return;
  g->value = value;
  MarkGadgetDirty(g);
  PostGuiEvent(EventChanged, g->id);
}

void ScrollStep(Gadget* g) {
  if (g_scroll_part == PartUp) ScrollTo(g, g->value - 1);
  if (g_scroll_part == PartDown) ScrollTo(g, g->value + 1);
  if (g_scroll_part == PartPageUp) ScrollTo(g, g->value - g->visible);
  if (g_scroll_part == PartPageDown) ScrollTo(g, g->value + g->visible);
}

void KnobDrag(Gadget* g, int y) {
  int top, size;
  ScrollKnob(g, &top, &size);
  const int track = std::max(1, g->height - 2 * ScrollArrowSize - size);
  const int span = g->range - g->visible;
  if (span > 0) ScrollTo(g, (int)(((long)(y - Gui.drag_offset - g->y - ScrollArrowSize) * span + track / 2) / track));
}

void LeftPress(int px, int py) {
  Window* w = WindowAt(px, py);
  if (!w || !w->active) return;
  RaiseWindow(w);
  const int x = px - w->x, y = py - w->y;
  Gadget* g = GadgetAt(w, x, y);
  if (!g) {
    if (w->focus && w->focus->kind == KindInput) SetFocus(w, nullptr);
    if (y <= TitleBarHeight) {
      Gui.dragging = w;
      Gui.drag_dx = x, Gui.drag_dy = y;
    }
    return;
  }
  SetFocus(w, g->focusable ? g : nullptr);
  Gui.pressed = g;
  g->pressed = true;
  MarkGadgetDirty(g);
  switch (g->kind) {
    case KindList: {
      const int row = ListRowAt(g, y);
      if (row >= 0 && g->rows[row].selectable) {
        SelectRow(g->id, row);
        PostGuiEvent(EventChanged, g->id);
      }
      break;
    }
    case KindSlider: {
      const int knob = SliderKnobX(g);
      Gui.drag_offset = x >= knob && x < knob + SliderKnobWidth ? x - knob : SliderKnobWidth / 2;
      SlideTo(g, x - Gui.drag_offset);
      break;
    }
    case KindScrollBar: {
      int top, size;
      ScrollKnob(g, &top, &size);
      if (y < g->y + ScrollArrowSize) g_scroll_part = PartUp;
      else if (y >= g->y + g->height - ScrollArrowSize) g_scroll_part = PartDown;
      else if (y < top) g_scroll_part = PartPageUp;
      else if (y >= top + size) g_scroll_part = PartPageDown;
      else g_scroll_part = PartKnob, Gui.drag_offset = y - top;
      ScrollStep(g);
      Gui.repeat_due = Gui.now + kFirstRepeat;
      break;
    }
    case KindStepArrowVertical:
    case KindStepArrowHorizontal:
      PostGuiEvent(EventChanged, g->id);
      Gui.repeat_due = Gui.now + kFirstRepeat;
      break;
    case KindCanvas:
    case KindCellCanvas:
      ReportCell(g, x, y);
      PostGuiEvent(EventChanged, g->id);
      break;
    case KindInput:
      PlaceInputCursor(g, x);
      break;
    default:
      break;
  }
}

void LeftHeld(int px, int py) {
  if (Window* w = Gui.dragging) {
    const int sw = ScreenWidth(), sh = ScreenHeight();
    int x = std::clamp(px - Gui.drag_dx, kGrip - w->width, std::max(kGrip - w->width, sw - kGrip));
    int y = std::clamp(py - Gui.drag_dy, MenuBarHeight, std::max(MenuBarHeight, sh - TitleBarHeight));
    if (x != w->x || y != w->y) {
      MarkWindowScreen(w);
      w->x = x, w->y = y;
      MarkWindowScreen(w);
    }
    return;
  }
  Gadget* g = Gui.pressed;
  if (!g) return;
  const int x = px - g->window->x, y = py - g->window->y;
  const bool over = Inside(g, x, y);
  if (g->kind == KindSlider) {
    SlideTo(g, x - Gui.drag_offset);
  } else if (g->kind == KindScrollBar) {
    if (g_scroll_part == PartKnob) KnobDrag(g, y);
    else if (over && Gui.now >= Gui.repeat_due) ScrollStep(g), Gui.repeat_due = Gui.now + kNextRepeat;
  } else if (g->kind == KindStepArrowVertical || g->kind == KindStepArrowHorizontal) {
    if (over && Gui.now >= Gui.repeat_due) {
      PostGuiEvent(EventChanged, g->id);
      Gui.repeat_due = Gui.now + kNextRepeat;
    }
  }
  if (over != g->pressed) {
    g->pressed = over;
    MarkGadgetDirty(g);
  }
}

void LeftRelease(int px, int py) {
  Gui.dragging = nullptr;
  g_scroll_part = PartNone;
  Gadget* g = Gui.pressed;
  if (!g) return;
  Gui.pressed = nullptr;
  const bool over = Inside(g, px - g->window->x, py - g->window->y);
  g->pressed = false;
  MarkGadgetDirty(g);
  if (over) ActivateGadget(g);
}

void RightPress(int px, int py) {
  Window* w = WindowAt(px, py);
  if (!w || !w->active) return;
  RaiseWindow(w);
  const int x = px - w->x, y = py - w->y;
  Gadget* g = GadgetAt(w, x, y);
  if (!g) return;
  switch (g->kind) {
    case KindList: {
      const int row = ListRowAt(g, y);
      if (row < 0 || !g->rows[row].selectable) return;
      SelectRow(g->id, row);
      break;
    }
    case KindCanvas:
    case KindCellCanvas:
      ReportCell(g, x, y);
      break;
    case KindStepArrowVertical:
    case KindStepArrowHorizontal:
      Gui.repeat_due = Gui.now + kFirstRepeat;
      break;
    default:
      return;
  }
  Gui.right_pressed = g;
  PostGuiEvent(EventRightPress, g->id);
}

void RightHeld(int px, int py) {
  Gadget* g = Gui.right_pressed;
  if (!g) return;
  const int x = px - g->window->x, y = py - g->window->y;
  if (g->kind == KindCanvas || g->kind == KindCellCanvas) {
    if (ReportCell(g, x, y)) PostGuiEvent(EventRightPress, g->id);
  } else if (g->kind != KindList && Inside(g, x, y) && Gui.now >= Gui.repeat_due) {
    PostGuiEvent(EventRightPress, g->id);
    Gui.repeat_due = Gui.now + kNextRepeat;
  }
}

void RightRelease() {
  if (Gadget* g = Gui.right_pressed) PostGuiEvent(EventRightRelease, g->id);
  Gui.right_pressed = nullptr;
}

bool ModalOpen() {
  for (const Window* w : Gui.stack)
    if (w->flags & WindowModal) return true;
  return false;
}

bool KeyboardTaken() {
  const Window* top = TopWindow();
  return MenuOpen() || (top && top->active && top->focus && top->focus->kind == KindInput);
}

void Key(const GuiKey& key, uint16_t modifiers) {
  if (MenuOpen()) {
    MenuKey(key);
    return;
  }
  Window* top = TopWindow();
  if (!top || !top->active) return;
  if (key.code == KeyTab) {
    CycleFocus(top, modifiers & (ModLeftShift | ModRightShift));
    return;
  }
  Gadget* f = top->focus;
  if (!f || !f->enabled) return;
  if (f->kind == KindInput)
    InputKey(f, key);
  else if (key.code == KeySpace)
    ActivateGadget(f);
}

}  // namespace

bool RunGui(const GuiInput& in) {
  Gui.now = in.now_ms;
  Gui.double_click = in.double_click;
  const int px = in.pointer_x, py = in.pointer_y;
  const bool moved = px != Gui.pointer_x || py != Gui.pointer_y;
  Gui.pointer_x = px, Gui.pointer_y = py;
  const bool left_press = in.left && !Gui.left, left_release = !in.left && Gui.left;
  const bool right_press = in.right && !Gui.right, right_release = !in.right && Gui.right;
  bool consumed = KeyboardTaken();

  const bool menu_took = !ModalOpen() && !Gui.dragging && !Gui.pressed &&
                         MenuPointer(px, py, moved, left_press || right_press, left_release);
  if (!menu_took) {
    Window* w = WindowAt(px, py);
    SetHover(w && w->active ? GadgetAt(w, px - w->x, py - w->y) : nullptr);
    if (left_press) LeftPress(px, py);
    else if (in.left) LeftHeld(px, py);
    if (left_release) LeftRelease(px, py);
    if (right_press) RightPress(px, py);
    else if (in.right) RightHeld(px, py);
    if (right_release) RightRelease();
  } else {
    SetHover(nullptr);
  }
  Gui.left = in.left;
  Gui.right = in.right;
  Gui.double_click = false;

  for (int i = 0; i < in.key_count && i < GuiKeysPerPass; i++) {
    if (!in.keys[i].pressed) continue;
    if (MenuOpen() && (in.keys[i].modifiers & ModAlt) && !IsModifierKey(in.keys[i].code)) {
      // An Alt shortcut (Alt+X, Alt+L...) is no menu key: the menu closes
      // and the shortcut acts, as it does with the menu shut.
      CloseMenu();
      consumed = false;
      continue;
    }
    consumed |= KeyboardTaken();
    Key(in.keys[i], in.keys[i].modifiers);
  }
  consumed |= KeyboardTaken();
  ComposeGui();
  return consumed;
}
