// The menu bar: menus of items chosen with the pointer or the keys; a
// choice posts its command number as a type 1 event.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumo/display.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_internal.h"
#include "lumo/gui_paint.h"
#include "lumo/theme.h"

namespace {

constexpr int kTitlePad = 7;     // either side of a title on the bar
constexpr int kItemPad = 2;      // above and below an item's text
constexpr int kSeparatorGap = 5;

int ItemHeight() { return GuiFont.height + 2 * kItemPad; }

int ItemTop(const Menu& m, int item) {
  int y = MenuBarHeight + 2;
  for (int i = 0; i < item; i++) y += ItemHeight() + (m.items[i + 1].separator ? kSeparatorGap : 0);
  return y;
}

SurfaceRect DropRect(int menu) {
  const Menu& m = Gui.menus[menu];
  const int height = m.count ? ItemTop(m, m.count - 1) + ItemHeight() + 2 - MenuBarHeight : 4;
  return {m.x, MenuBarHeight, MenuDropWidth(m) + 2, height};
}

void MarkMenus() {
  MarkScreenRect({0, 0, ScreenWidth(), MenuBarHeight});
  if (Gui.open_menu >= 0) MarkScreenRect(DropRect(Gui.open_menu));
}

Menu* CurrentMenu() { return Gui.menu_count ? &Gui.menus[Gui.menu_count - 1] : nullptr; }

MenuItem* ItemOfCommand(int command) {
  for (int m = 0; m < Gui.menu_count; m++)
    for (int i = 0; i < Gui.menus[m].count; i++)
      if (Gui.menus[m].items[i].command == command) return &Gui.menus[m].items[i];
  return nullptr;
}

void OpenMenu(int menu) {
  MarkMenus();
  Gui.open_menu = menu;
  Gui.hot_item = -1;
  MarkMenus();
}

void SetHot(int item) {
  if (Gui.hot_item == item) return;
  Gui.hot_item = item;
  MarkMenus();
}

int TitleAt(int x, int y) {
  if (y < 0 || y >= MenuBarHeight) return -1;
  for (int m = 0; m < Gui.menu_count; m++)
    if (x >= Gui.menus[m].x && x < Gui.menus[m].x + Gui.menus[m].width) return m;
  return -1;
}

int ItemAt(int x, int y) {
  const SurfaceRect r = DropRect(Gui.open_menu);
  if (x < r.x || x >= r.x + r.width || y < r.y || y >= r.y + r.height) return -2;  // outside
  const Menu& m = Gui.menus[Gui.open_menu];
  for (int i = 0; i < m.count; i++) {
    const int top = ItemTop(m, i);
    if (y >= top && y < top + ItemHeight()) return i;
  }
  return -1;
}

void Choose(int item) {
  const MenuItem& it = Gui.menus[Gui.open_menu].items[item];
  if (!it.enabled) return;
  PostGuiEvent(EventMenu, it.command);
  CloseMenu();
}

// The next enabled item from `from` in a direction; `from` when none.
int NextEnabled(int from, int step) {
  const Menu& m = Gui.menus[Gui.open_menu];
  for (int n = 1; n <= m.count; n++) {
    int i = ((from + step * n) % m.count + m.count) % m.count;
    if (from < 0 && step < 0) i = ((m.count - n) % m.count + m.count) % m.count;
    if (m.items[i].enabled) return i;
  }
  return from;
}

}  // namespace

int MenuDropWidth(const Menu& m) {
  int text = 0, shortcut = 0;
  for (int i = 0; i < m.count; i++) {
    text = std::max(text, TextWidth(GuiFont, m.items[i].text));
    shortcut = std::max(shortcut, TextWidth(GuiFont, m.items[i].shortcut));
  }
  return text + 8 + shortcut + 16;
}

void AddMenu(const char* title) {
  if (Gui.menu_count >= MenusMax) return;
  Menu& m = Gui.menus[Gui.menu_count];
  m = Menu{};
  snprintf(m.title, sizeof m.title, "%s", title);
  m.x = Gui.menu_count ? Gui.menus[Gui.menu_count - 1].x + Gui.menus[Gui.menu_count - 1].width : 4;
  m.width = TextWidth(GuiFont, m.title) + 2 * kTitlePad;
  Gui.menu_count++;
  MarkMenus();
}

void AddMenuItem(const char* text, int command, const char* shortcut, bool enabled) {
  Menu* m = CurrentMenu();
  if (!m || m->count >= MenuItemsMax) return;
  MenuItem& it = m->items[m->count++];
  snprintf(it.text, sizeof it.text, "%s", text);
  snprintf(it.shortcut, sizeof it.shortcut, "%s", shortcut ? shortcut : "");
  it.command = command;
  it.enabled = enabled;
  it.separator = m->separator_next && m->count > 1;
  m->separator_next = false;
}

void AddMenuSeparator() {
  if (Menu* m = CurrentMenu()) m->separator_next = true;
}

void EnableMenuItem(int command, bool enabled) {
  if (MenuItem* it = ItemOfCommand(command)) {
    it->enabled = enabled;
    MarkMenus();
  }
}

void SetMenuItemText(int command, const char* text) {
  if (MenuItem* it = ItemOfCommand(command)) {
    MarkMenus();
    snprintf(it->text, sizeof it->text, "%s", text);
    MarkMenus();
  }
}

bool MenuOpen() { return Gui.open_menu >= 0; }

void CloseMenu() {
  MarkMenus();
  Gui.open_menu = -1;
  Gui.hot_item = -1;
}

SurfaceRect OpenMenuRect() { return Gui.open_menu >= 0 ? DropRect(Gui.open_menu) : SurfaceRect{0, 0, 0, 0}; }

bool MenuPointer(int x, int y, bool moved, bool press, bool release) {
  const int title = TitleAt(x, y);
  if (Gui.open_menu < 0) {
    if (press && title >= 0) OpenMenu(title);
    return y >= 0 && y < MenuBarHeight;
  }
  if (title >= 0) {
    if (title != Gui.open_menu && (moved || press)) OpenMenu(title);
    else if (press) CloseMenu();
    return true;
  }
  const int item = ItemAt(x, y);
  if (!moved && !press && !release) return true;  // the keys may have moved the hot item
  if (item == -2) {
    SetHot(-1);
    if (press) CloseMenu();
    return press || (y >= 0 && y < MenuBarHeight);
  }
  SetHot(item);
  if (release && item >= 0) Choose(item);
  return true;
}

bool MenuKey(const GuiKey& key) {
  if (Gui.open_menu < 0) return false;
  switch (key.code) {
    case KeyEscape: CloseMenu(); break;
    case KeyUp: SetHot(NextEnabled(Gui.hot_item, -1)); break;
    case KeyDown: SetHot(NextEnabled(Gui.hot_item, 1)); break;
    case KeyLeft:
    case KeyRight:
      OpenMenu((Gui.open_menu + (key.code == KeyLeft ? Gui.menu_count - 1 : 1)) % Gui.menu_count);
      SetHot(NextEnabled(-1, 1));
      break;
    case KeyReturn:
    case KeyPadEnter:
    case KeySpace:
      if (Gui.hot_item >= 0) Choose(Gui.hot_item);
      break;
    default: break;
  }
  return true;
}

void DrawMenus(Surface* s, const SurfaceRect& area) {
  const uint32_t* c = Gui.colours;
  const int sw = ScreenWidth();
  const int text_y = (MenuBarHeight - GuiFont.height) / 2;
  if (area.y < MenuBarHeight) {
    FillBox(s, 0, 0, sw, MenuBarHeight - 1, c[ColMenu]);
    FillBox(s, 0, MenuBarHeight - 1, sw, 1, ShadeRgb(c[ColMenu], 70));
    for (int m = 0; m < Gui.menu_count; m++) {
      const Menu& menu = Gui.menus[m];
      uint32_t back = c[ColMenu];
      if (m == Gui.open_menu) {
        back = c[ColMenuSelected];
        FillBox(s, menu.x, 1, menu.width, MenuBarHeight - 2, back);
      }
      DrawText(s, GuiFont, menu.x + kTitlePad, text_y, menu.title, RgbPixel(s, InkOn(back)));
    }
  }
  if (Gui.open_menu < 0) return;
  const Menu& m = Gui.menus[Gui.open_menu];
  const SurfaceRect r = DropRect(Gui.open_menu);
  FillBox(s, r.x, r.y, r.width, r.height, c[ColMenu]);
  FrameBox(s, r.x, r.y, r.width, r.height, ShadeRgb(c[ColMenu], 60));
  int text_width = 0;
  for (int i = 0; i < m.count; i++) text_width = std::max(text_width, TextWidth(GuiFont, m.items[i].text));
  for (int i = 0; i < m.count; i++) {
    const MenuItem& it = m.items[i];
    const int top = ItemTop(m, i);
    if (it.separator) FillBox(s, r.x + 4, top - 3, r.width - 8, 1, ShadeRgb(c[ColMenu], 78));
    uint32_t back = c[ColMenu];
    if (i == Gui.hot_item && it.enabled) {
      back = c[ColMenuSelected];
      FillBox(s, r.x + 1, top, r.width - 2, ItemHeight(), back);
    }
    const uint32_t ink = RgbPixel(s, it.enabled ? InkOn(back) : DimInkOn(back));
    DrawText(s, GuiFont, r.x + 5, top + kItemPad, it.text, ink);
    const int sc = TextWidth(GuiFont, it.shortcut);
    DrawText(s, GuiFont, r.x + r.width - 8 - sc, top + kItemPad, it.shortcut, ink);
  }
}
