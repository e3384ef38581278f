// Gadget creators and the operations the application calls on them.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumo/display.h"
#include "lumo/gui_internal.h"

namespace {

void CopyText(char* out, const char* text) { snprintf(out, GadgetTextMax + 1, "%s", text ? text : ""); }

Gadget* NewGadget(Window* w, int kind, int id, int x, int y, int width, int height, const char* text) {
  // Ids are unique, but for the close box that every window has.
  if (!w || (id != CloseBoxId && FindGadget(id)) || width < 0 || height < 0) return nullptr;
  auto* g = new Gadget{};
  g->id = id;
  g->kind = (uint8_t)kind;
  g->x = x + ClientLeft;
  g->y = y + ClientTop;
  g->width = width;
  g->height = height;
  g->enabled = true;
  g->selected = -1;
  g->symbol = -1;
  g->window = w;
  CopyText(g->text, text);
  g->text_width = TextWidth(GadgetFont(g), g->text);
  g->focusable = kind == KindButton || kind == KindCheckBox || kind == KindRadio || kind == KindInput;
  w->gadgets.push_back(g);
  if (id >= 0 && id < 1024) Gui.direct[id] = g;
  MarkGadgetDirty(g);
  return g;
}

// Rows of a list: what fits its height in its font, 1 to 64.
void SizeListRows(Gadget* g) {
  const int font_height = std::max(1, (int)GadgetFont(g).height);
  if (g->height < font_height + 3) g->height = font_height + 3;
  int rows = std::clamp((g->height - 2) / font_height, 1, ListRowsMax);
  g->rows.resize(rows);
  if (g->selected >= rows) g->selected = -1;
}

void ClearRadioGroup(Gadget* chosen) {
  for (Gadget* other : chosen->window->gadgets) {
    if (other != chosen && other->kind == KindRadio && other->group == chosen->group && other->value) {
      other->value = 0;
      MarkGadgetDirty(other);
    }
  }
}

}  // namespace

Gadget* AddButton(Window* w, const char* caption, int id, int x, int y, int width, int height) {
  return NewGadget(w, KindButton, id, x, y, width, height, caption);
}

Gadget* AddPictureButton(Window* w, int id, int x, int y, int width, int height, int normal,
                         int hover, int pressed) {
  Gadget* g = NewGadget(w, KindPictureButton, id, x, y, width, height, "");
  if (g) {
    g->pictures[0] = normal, g->pictures[1] = hover, g->pictures[2] = pressed;
    g->focusable = false;
    g->flags |= GadgetNoTab;
  }
  return g;
}

Gadget* AddCheckBox(Window* w, const char* caption, int id, int x, int y, int width, int height,
                    bool checked) {
  Gadget* g = NewGadget(w, KindCheckBox, id, x, y, width, height, caption);
  if (g) g->value = checked;
  return g;
}

Gadget* AddRadioButton(Window* w, const char* caption, int id, int x, int y, int width,
                       int height, bool chosen, int group) {
  Gadget* g = NewGadget(w, KindRadio, id, x, y, width, height, caption);
  if (g) {
    g->group = (uint8_t)group;
    g->value = chosen;
    if (chosen) ClearRadioGroup(g);
  }
  return g;
}

Gadget* AddToggleButton(Window* w, const char* caption, int id, int x, int y, int width,
                        int height, bool chosen, int group) {
  Gadget* g = AddRadioButton(w, caption, id, x, y, width, height, chosen, group);
  if (g) g->flags |= RadioToggleFace;
  return g;
}

Gadget* AddSymbolButton(Window* w, int id, int x, int y, int width, int height, int picture) {
  Gadget* g = NewGadget(w, KindButton, id, x, y, width, height, "");
  if (g) g->symbol = picture;
  return g;
}

Gadget* AddText(Window* w, const char* text, int id, int x, int y, int width, int height) {
  return NewGadget(w, KindText, id, x, y, width, height, text);
}

Gadget* AddSlider(Window* w, int id, int x, int y, int width, int height, int position, int range) {
  Gadget* g = NewGadget(w, KindSlider, id, x, y, width, height, "");
  if (g) {
    g->range = std::max(0, range);
    g->value = std::clamp(position, 0, g->range);
  }
  return g;
}

Gadget* AddScrollBar(Window* w, int id, int x, int y, int width, int height, int first,
                     int visible, int total) {
  Gadget* g = NewGadget(w, KindScrollBar, id, x, y, width, height, "");
  if (g) SetScrollBar(id, first, visible, total);
  return g;
}

Gadget* AddList(Window* w, int height, int id, int x, int y, int width, int flags) {
  Gadget* g = NewGadget(w, KindList, id, x, y, width, height, "");
  if (g) {
    g->flags = flags;
    SizeListRows(g);
    for (ListRow& r : g->rows) r = ListRow{{0}, true, false};
  }
  return g;
}

Gadget* AddCanvas(Window* w, int id, int x, int y, int width, int height, int cell_width,
                  int cell_height, Surface* surface) {
  Gadget* g = NewGadget(w, KindCanvas, id, x, y, width, height, "");
  if (g) {
    g->cell_width = std::max(1, cell_width), g->cell_height = std::max(1, cell_height);
    g->canvas = surface;
    g->cell_x = g->cell_y = -1;
  }
  return g;
}

Gadget* AddCellCanvas(Window* w, int id, int x, int y, int width, int height, int cell_width,
                      int cell_height) {
  Surface* s = CreateSurface(std::max(1, width), std::max(1, height),
                             DisplayDepth() ? DisplayDepth() : 16, SurfaceClear);
  if (!s) return nullptr;
  Gadget* g = AddCanvas(w, id, x, y, width, height, cell_width, cell_height, s);
  if (!g) {
    DestroySurface(s);
    return nullptr;
  }
  g->kind = KindCellCanvas;
  g->owns_canvas = true;
  return g;
}

Gadget* AddInput(Window* w, const char* text, int id, int x, int y, int width, int height,
                 const char* caption) {
  Gadget* g = NewGadget(w, KindInput, id, x, y, width, height, text);
  if (g) {
    CopyText(g->caption, caption);
    g->cursor = (int)strlen(g->text);
  }
  return g;
}

Gadget* AddFrame(Window* w, const char* caption, int id, int x, int y, int width, int height) {
  return NewGadget(w, KindFrame, id, x, y, width, height, caption);
}

Gadget* AddStepArrow(Window* w, int id, int x, int y, int width, int height, ArrowDirection dir) {
  const int kind = dir == ArrowUp || dir == ArrowDown ? KindStepArrowVertical : KindStepArrowHorizontal;
  Gadget* g = NewGadget(w, kind, id, x, y, width, height, "");
  if (g) g->direction = dir;
  return g;
}

void SetGadgetText(int id, const char* text) {
  Gadget* g = FindGadget(id);
  if (!g || strncmp(g->text, text ? text : "", GadgetTextMax) == 0) return;
  CopyText(g->text, text);
  g->text_width = TextWidth(GadgetFont(g), g->text);
  if (g->kind == KindInput) g->cursor = (int)strlen(g->text), g->scroll = 0;
  MarkGadgetDirty(g);
}

const char* GetGadgetText(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->text : "";
}

std::string FieldText(int id, const std::string& stored) {
  const std::string typed = GetGadgetText(id);
  if (stored.size() > typed.size() && typed.size() == (size_t)GadgetTextMax && stored.compare(0, typed.size(), typed) == 0)
    return stored;
  return typed;
}

void SetChecked(int id, int value) {
  Gadget* g = FindGadget(id);
  if (!g || g->value == value) return;
  g->value = value;
  if (g->kind == KindRadio && value) ClearRadioGroup(g);
  MarkGadgetDirty(g);
}

int GetChecked(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->value : -1;
}

void EnableGadget(int id, bool enabled) {
  Gadget* g = FindGadget(id);
  if (!g || g->enabled == enabled) return;
  g->enabled = enabled;
  if (!enabled && g->window->focus == g) SetFocus(g->window, nullptr);
  if (!enabled && Gui.pressed == g) Gui.pressed = nullptr;
  MarkGadgetDirty(g);
}

void EnableWindowGadgets(int window_id, bool enabled) {
  Window* w = FindWindow(window_id);
  if (!w) return;
  for (Gadget* g : w->gadgets)
    if (g->kind != KindText && !(g->flags & GadgetKeepEnabled) && g->id != CloseBoxId)
      EnableGadget(g->id, enabled);
}

void SetGadgetFlags(int id, int flags) {
  Gadget* g = FindGadget(id);
  if (!g) return;
  const bool font_changed = (g->flags ^ flags) & GadgetSecondFont;
  g->flags = flags;
  g->text_width = TextWidth(GadgetFont(g), g->text);
  if (font_changed && g->kind == KindList) SizeListRows(g);
  MarkGadgetDirty(g);
}

void AddGadgetFlags(int id, int flags) {
  if (const Gadget* g = FindGadget(id)) SetGadgetFlags(id, g->flags | flags);
}

int GetGadgetFlags(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->flags : -1;
}

void SetListRow(int id, int row, const char* text, bool selectable, bool highlighted) {
  Gadget* g = FindGadget(id);
  if (!g || g->kind != KindList || row < 0 || row >= (int)g->rows.size()) return;
  ListRow& r = g->rows[row];
  if (strncmp(r.text, text ? text : "", GadgetTextMax) == 0 && r.selectable == selectable &&
      r.highlighted == highlighted)
    return;
  CopyText(r.text, text);
  r.selectable = selectable;
  r.highlighted = highlighted;
  if (!selectable && g->selected == row) g->selected = -1;
  MarkGadgetDirty(g);
}

int ListRowCount(int id) {
  const Gadget* g = FindGadget(id);
  return g && g->kind == KindList ? (int)g->rows.size() : -1;
}

int GetSelectedRow(int id) {
  const Gadget* g = FindGadget(id);
  return g && g->kind == KindList ? g->selected : -1;
}

void SelectRow(int id, int row) {
  Gadget* g = FindGadget(id);
  if (!g || g->kind != KindList) return;
  if (row < -1 || row >= (int)g->rows.size()) row = -1;
  if (g->selected == row) return;
  g->selected = row;
  MarkGadgetDirty(g);
}

void SetListFirst(int id, int first) {
  if (Gadget* g = FindGadget(id)) g->first = first;
}

int GetListFirst(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->first : -1;
}

void ShowListEntries(int list, int scroll_bar, int* first, int count, int selected,
                     const std::function<std::string(int)>& text) {
  const int rows = ListRowCount(list);
  if (rows <= 0) return;
  *first = std::clamp(*first, 0, std::max(0, count - rows));
  SetListFirst(list, *first);
  for (int i = 0; i < rows; i++) {
    const int at = *first + i;
    SetListRow(list, i, at < count ? text(at).c_str() : "", at < count, false);
  }
  const int row = selected - *first;
  SelectRow(list, row >= 0 && row < rows ? row : -1);
  SetScrollBar(scroll_bar, *first, rows, count);
}

void SetScrollBar(int id, int first, int visible, int total) {
  Gadget* g = FindGadget(id);
  if (!g || g->kind != KindScrollBar) return;
  total = std::max(0, total);
  visible = std::max(1, visible);
  first = std::clamp(first, 0, std::max(0, total - visible));
  if (g->value == first && g->visible == visible && g->range == total) return;
  g->value = first, g->visible = visible, g->range = total;
  MarkGadgetDirty(g);
}

int GetScrollFirst(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->value : -1;
}

void SetSlider(int id, int position, int range) {
  Gadget* g = FindGadget(id);
  if (!g || g->kind != KindSlider) return;
  range = std::max(0, range);
  position = std::clamp(position, 0, range);
  if (g->value == position && g->range == range) return;
  g->value = position, g->range = range;
  MarkGadgetDirty(g);
}

int GetSlider(int id) {
  const Gadget* g = FindGadget(id);
  return g ? g->value : -1;
}

Surface* CanvasSurface(int id) {
  const Gadget* g = FindGadget(id);
  return g && (g->kind == KindCanvas || g->kind == KindCellCanvas) ? g->canvas : nullptr;
}

void GetCanvasCell(int id, int* column, int* row) {
  const Gadget* g = FindGadget(id);
  *column = g ? g->cell_x : -1;
  *row = g ? g->cell_y : -1;
}

void FocusGadget(int id) {
  if (id < 0) {
    if (Window* top = TopWindow()) SetFocus(top, nullptr);
    return;
  }
  Gadget* g = FindGadget(id);
  if (g && g->enabled && g->focusable) SetFocus(g->window, g);
}

int FocusedGadget() {
  const Window* top = TopWindow();
  return top && top->focus ? top->focus->id : -1;
}

bool InputEntered(int id) {
  const Gadget* g = FindGadget(id);
  return g && g->kind == KindInput && g->entered;
}
