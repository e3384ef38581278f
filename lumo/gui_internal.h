// The toolkit's records and module state, shared by its own files only.
#pragma once
#include <cstdint>
#include <vector>

#include "lumo/font.h"
#include "lumo/gui.h"

struct ListRow {
  char text[GadgetTextMax + 1];
  bool selectable;
  bool highlighted;
};

struct Gadget {
  int id;
  uint8_t kind;
  int flags;
  int x, y, width, height;  // inside the window
  char text[GadgetTextMax + 1];
  int text_width;
  bool enabled, pressed, focusable;
  int value;      // check state, slider or scroll bar position
  uint8_t group;  // radio group
  int selected;   // list: selected row, -1 none
  std::vector<ListRow> rows;
  bool dirty;
  Window* window;
  // Per kind.
  int range;             // slider: range; scroll bar: total
  int visible;           // scroll bar: visible count
  int first;             // list: the owner's first visible entry
  int cursor, scroll;    // input: cursor and first shown character
  bool entered;          // input: last confirmed by Return or Enter, not by losing the focus
  char caption[GadgetTextMax + 1];  // input: caption left of the field
  int pictures[3];       // picture button: normal, hover, pressed
  int symbol;            // button: mask picture shown instead of the caption, -1 none
  int cell_width, cell_height, cell_x, cell_y;  // canvases
  Surface* canvas;
  bool owns_canvas;
  int direction;         // step arrow: ArrowDirection
};

struct Window {
  int id;
  int flags;
  int x, y, width, height;  // outer frame on the screen
  char title[GadgetTextMax + 1];
  std::vector<Gadget*> gadgets;
  Gadget* focus;
  Surface* surface;
  std::vector<int> disabled_windows;
  bool dirty;
  bool active;  // takes input (cleared while a modal window holds it)
};

struct MenuItem {
  char text[GadgetTextMax + 1];
  char shortcut[32];
  int command;
  bool enabled;
  bool separator;  // a line above the item
};
constexpr int MenuItemsMax = 24;
constexpr int MenusMax = 12;
struct Menu {
  char title[32];
  MenuItem items[MenuItemsMax];
  int count;
  int x, width;  // title on the bar
  bool separator_next;
};

struct GuiState {
  std::vector<Window*> stack;  // bottom first, the top one last
  Gadget* direct[1024];        // gadgets 0-1023 by id
  GuiEvent events[GuiEventSlots];
  bool last_double_click;
  Menu menus[MenusMax];
  int menu_count;
  int open_menu;  // -1 none
  int hot_item;   // -1 none
  // Pointer.
  int pointer_x, pointer_y;
  bool left, right;           // held in the previous pass
  bool double_click;
  uint32_t now;
  Gadget* hover;
  Gadget* pressed;            // left button went down on it
  Gadget* right_pressed;      // right button went down on it
  Window* dragging;
  int drag_dx, drag_dy;
  int drag_offset;            // scroll bar / slider knob grab offset
  uint32_t repeat_due;
  int pointer_drawn_x, pointer_drawn_y;  // where the pointer was last put
  bool pointer_drawn;
  bool pointer_drawn_busy;
  int busy;
  // Screen areas to compose again.
  std::vector<SurfaceRect> dirty;
  uint32_t colours[15];
};

extern GuiState Gui;

// Lookups.
Gadget* FindGadget(int id);
Window* TopWindow();
const Font& GadgetFont(const Gadget* g);

// Screen dirt.
void MarkScreenRect(const SurfaceRect& r);
void MarkWindowScreen(const Window* w);
void MarkGadgetDirty(Gadget* g);

// Windows.
void RaiseWindow(Window* w);
// The top window stops being the top: it redraws, its input field is confirmed.
void LeaveTop();
void KeepWindowOnScreen(Window* w, bool fully);
bool CreateWindowSurface(Window* w);

// Gadget behaviour used by RunGui.
void SetFocus(Window* w, Gadget* g);
void CycleFocus(Window* w, bool backwards);
void ActivateGadget(Gadget* g);  // release on a button, check box, radio, Space
void InputKey(Gadget* g, const GuiKey& key);
int ListRowAt(const Gadget* g, int y);  // -1 when outside the rows
int ListRowHeight(const Gadget* g);
int ListTopOffset(const Gadget* g);
void PlaceInputCursor(Gadget* g, int x);
// Scroll bar parts.
constexpr int ScrollArrowSize = 12;
void ScrollKnob(const Gadget* g, int* top, int* size);
int SliderKnobX(const Gadget* g);
constexpr int SliderKnobWidth = 9;

// Menus.
// True when the menu took the pointer. Hovering switches menus only when
// the pointer moved, so the keys can switch them under a resting pointer.
bool MenuPointer(int x, int y, bool moved, bool press, bool release);
bool MenuKey(const GuiKey& key);
void DrawMenus(Surface* target, const SurfaceRect& area);
SurfaceRect OpenMenuRect();
int MenuDropWidth(const Menu& m);
void CloseMenu();

// Drawing.
void DrawWindow(Window* w);
