// The GUI toolkit: a menu bar, overlapping movable windows with a title bar
// and a close box, gadgets inside them and a queue of events for the
// application. Everything is keyed by small integer identifiers: windows by
// WindowId (config/config.h), gadgets by identifiers unique among the open
// windows. RunGui is called once per main-loop pass while the GUI is shown;
// it reads no device itself: the caller hands it a GuiInput.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "lumo/key_codes.h"
#include "lumo/surface.h"

struct Window;
struct Gadget;

// Geometry shared with the application and the presenter.
constexpr int TitleBarHeight = 16;
constexpr int MenuBarHeight = 17;
constexpr int ClientLeft = 7;                   // client x inside the window
constexpr int ClientTop = TitleBarHeight + 4;   // client y inside the window
constexpr int WindowExtraWidth = 14;            // outer width = client width + 14
constexpr int WindowExtraHeight = TitleBarHeight + 11;
constexpr int GadgetTextMax = 95;               // characters of a caption or input
constexpr int ListRowsMax = 64;
constexpr int CloseBoxId = 10000;               // the close box's gadget id

// Window creation flags.
enum WindowFlags {
  WindowCloseBox = 1,
  WindowCentred = 4,
  WindowSecondMode = 8,
  WindowModal = 0x10,
  WindowNoBackBuffer = 0x20,
};

// Gadget kinds.
enum GadgetKind {
  KindButton = 0, KindPictureButton = 1, KindCheckBox = 2, KindRadio = 3, KindText = 4,
  KindSlider = 5, KindScrollBar = 6, KindList = 7, KindCanvas = 8, KindInput = 10,
  KindStepArrowVertical = 12, KindFrame = 13, KindStepArrowHorizontal = 14, KindCellCanvas = 16,
};

// Gadget flags (bits above 0x20 are per-kind style bits).
enum GadgetFlags {
  GadgetSecondFont = 2,    // draw with the fixed-pitch font
  GadgetNoTab = 4,         // skipped by Tab focus cycling
  GadgetDigits = 8,        // input: only 0-9 and '-'
  GadgetKeepEnabled = 0x10,  // not touched by EnableWindowGadgets
  GadgetNoBlanks = 0x20,   // input: no blanks
  TextRight = 0x100,       // text gadget: right-aligned
  TextCentred = 0x200,     // text gadget: centred
  RadioToggleFace = 0x400,  // radio button: a push face, held in while chosen
};

enum ArrowDirection { ArrowUp, ArrowDown, ArrowLeft, ArrowRight };

// Events: (type, id); type 1 menu command, 2 value changed, 3 activated,
// 4 close box (window id), 5 right button on a gadget, 6 right button
// released from it.
enum GuiEventType {
  EventNone = 0, EventMenu = 1, EventChanged = 2, EventActivated = 3, EventClose = 4,
  EventRightPress = 5, EventRightRelease = 6,
};
struct GuiEvent {
  int type;
  int id;
  bool double_click;  // the press that caused it was a double click
};
constexpr int GuiEventSlots = 8;

// One key event of the pass: code in the 0-511 key-code space (PC set-1
// scan codes for the keyboard), the character it typed (0: none) and
// whether it went down (repeats count as presses) or up.
struct GuiKey {
  uint16_t code;
  uint8_t character;
  bool pressed;
  uint16_t modifiers;  // held when the key went down or up
};
constexpr int GuiKeysPerPass = 16;

// Key codes and modifier bits: lumo/key_codes.h (the input layer's code space).

struct GuiInput {
  GuiKey keys[GuiKeysPerPass];
  int key_count;
  uint16_t modifiers;
  int pointer_x, pointer_y;  // screen pixels
  bool left, right;          // buttons held
  int wheel;                 // steps this pass, positive away from the user; the
                             // application routes it (WindowUnderPointer)
  bool double_click;         // this pass's left press is a double click
  uint32_t now_ms;           // a millisecond clock (step-arrow repeats)
};

// --- Lifetime ---------------------------------------------------------
// Starts the toolkit on the current display (fonts and pictures must be
// loaded first, LoadGuiGraphics). Closes every window and empties the
// menus and the event queue.
void ResetGui();
// Makes the GUI draw with a colour table ($RRGGBB each) and redraws all.
void ApplyColours(const uint32_t table[15]);
// After a display mode change: every window surface is made again in the
// new format, windows are kept on the screen and everything is redrawn.
void GuiDisplayChanged();

// --- Windows ------------------------------------------------------------
// Opens a window of a client size at (x, y) (WindowPositionUnset or flag 4:
// centred). Already open: brought to the front and none is returned.
Window* OpenWindow(int id, int x, int y, int client_width, int client_height, int flags,
                   const char* title);
// Closes the window and stores its position in Config.window_x/_y.
void CloseWindow(int id);
bool WindowOpen(int id);
Window* FindWindow(int id);
// Position of an open window; x = -1 when it is not open.
void WindowPosition(int id, int* x, int* y);
void MoveWindow(int id, int x, int y);
// Resizes the client area keeping the window's centre.
void ResizeWindowClient(int id, int client_width, int client_height);
void SetWindowTitle(int id, const char* title);
int TopWindowId();  // -1 when none is open
// Whether a window takes input (false while a modal window holds it).
bool WindowActive(int id);
// The window's drawing buffer (outer size) and its screen rectangle.
Surface* WindowSurface(int id);
// Marks a window for redrawing (its frame, gadgets and client area).
void MarkWindowDirty(int id);
// Marks part of a window's surface as changed by its owner (the game
// picture, a canvas) so that only that part is put on the screen again.
void MarkWindowAreaChanged(int id, int x, int y, int width, int height);

// --- Gadgets (positions are client coordinates) --------------------------
Gadget* AddButton(Window* w, const char* caption, int id, int x, int y, int width, int height);
Gadget* AddPictureButton(Window* w, int id, int x, int y, int width, int height, int normal,
                         int hover, int pressed);
Gadget* AddCheckBox(Window* w, const char* caption, int id, int x, int y, int width, int height,
                    bool checked);
Gadget* AddRadioButton(Window* w, const char* caption, int id, int x, int y, int width,
                       int height, bool chosen, int group);
// A radio button drawn as a push button that stays in while chosen (slot
// pickers and the like).
Gadget* AddToggleButton(Window* w, const char* caption, int id, int x, int y, int width,
                        int height, bool chosen, int group);
// A button showing a mask picture of gui.ssp (GuiPicture) in the caption's
// ink instead of a caption, so that it follows the theme.
Gadget* AddSymbolButton(Window* w, int id, int x, int y, int width, int height, int picture);
Gadget* AddText(Window* w, const char* text, int id, int x, int y, int width, int height);
Gadget* AddSlider(Window* w, int id, int x, int y, int width, int height, int position, int range);
Gadget* AddScrollBar(Window* w, int id, int x, int y, int width, int height, int first,
                     int visible, int total);
// A list of height pixels; its row count is (height - 2) div the font
// height (1 to 64). flags: GadgetSecondFont and the common bits.
Gadget* AddList(Window* w, int height, int id, int x, int y, int width, int flags);
// Shows (part of) a surface the owner draws; reports cells of cell_w x cell_h.
Gadget* AddCanvas(Window* w, int id, int x, int y, int width, int height, int cell_width,
                  int cell_height, Surface* surface);
// A canvas with its own surface (display format) and a cell grid.
Gadget* AddCellCanvas(Window* w, int id, int x, int y, int width, int height, int cell_width,
                      int cell_height);
Gadget* AddInput(Window* w, const char* text, int id, int x, int y, int width, int height,
                 const char* caption);
Gadget* AddFrame(Window* w, const char* caption, int id, int x, int y, int width, int height);
// A step arrow repeating while held (kind 12 up/down, 14 left/right).
Gadget* AddStepArrow(Window* w, int id, int x, int y, int width, int height, ArrowDirection dir);

// Operations; unknown ids do nothing, getters give -1 or "".
void SetGadgetText(int id, const char* text);
const char* GetGadgetText(int id);
// The text of an input field that was filled from `stored`. A field keeps
// at most GadgetTextMax characters, so a longer text left unedited comes
// back whole rather than cut.
std::string FieldText(int id, const std::string& stored);
void SetChecked(int id, int value);
int GetChecked(int id);
void EnableGadget(int id, bool enabled);
void EnableWindowGadgets(int window_id, bool enabled);
void SetGadgetFlags(int id, int flags);
void AddGadgetFlags(int id, int flags);
int GetGadgetFlags(int id);
void SetListRow(int id, int row, const char* text, bool selectable, bool highlighted);
int ListRowCount(int id);
int GetSelectedRow(int id);
void SelectRow(int id, int row);
// The owner's scroll position of a list (its first visible entry).
void SetListFirst(int id, int first);
int GetListFirst(int id);
// Shows `count` entries in a list from entry *first on, with its scroll
// bar: *first is kept within the entries, each row takes text(entry) (the
// rows past the last entry are empty), and the row of entry `selected` is
// selected while it is in view.
void ShowListEntries(int list, int scroll_bar, int* first, int count, int selected,
                     const std::function<std::string(int)>& text);
void SetScrollBar(int id, int first, int visible, int total);
int GetScrollFirst(int id);
void SetSlider(int id, int position, int range);
int GetSlider(int id);
// The surface of a cell canvas, for its owner to draw into.
Surface* CanvasSurface(int id);
// The last cell reported by a canvas.
void GetCanvasCell(int id, int* column, int* row);
// Gives the keyboard focus to a gadget (-1: none).
void FocusGadget(int id);
int FocusedGadget();
// Whether an input field's last confirmation (its event 3) came from Return
// or Enter rather than from the focus leaving it.
bool InputEntered(int id);
// Where Ctrl+V in an input field takes its text from (the system clipboard,
// set by the input layer); none: Ctrl+V does nothing. The text is inserted
// at the cursor up to its first line break, printable characters only.
extern std::string (*GuiClipboardText)();

// --- Menus ----------------------------------------------------------------
void AddMenu(const char* title);
void AddMenuItem(const char* text, int command, const char* shortcut, bool enabled);
void AddMenuSeparator();
void EnableMenuItem(int command, bool enabled);
void SetMenuItemText(int command, const char* text);
bool MenuOpen();

// --- Events -----------------------------------------------------------------
// Posts into the first free slot; a full queue drops the event.
void PostGuiEvent(int type, int id);
// Takes the first non-empty slot; false when the queue is empty.
bool NextGuiEvent(GuiEvent* event);
// Whether the event last taken came from a double click.
bool GuiDoubleClick();

// --- The pass ---------------------------------------------------------------
// Runs the window manager: pointer, keys, menus, events, then redraws what
// is dirty onto the display's back surface. True when the GUI consumed the
// keyboard (a focused input field or an open menu): the application then
// ignores its hotkeys and controller keys for this pass.
bool RunGui(const GuiInput& input);
// Puts everything dirty on the screen (RunGui ends with it).
void ComposeGui();
// Marks every window and the whole screen for redrawing.
void RedrawGui();
// Marks a screen area for recomposition (after drawing over the screen).
void MarkScreenDirty(int x, int y, int width, int height);
// Draws the desktop of the GUI (or, gui_shown false, the background shown
// while it is hidden) into part of the back surface.
void DrawDesktop(bool gui_shown, int x, int y, int width, int height);
// What lies under the pointer (mouse wheel routing): -1 for none.
int WindowUnderPointer();
int GadgetUnderPointer();
// While busy (> 0) the pointer shows the busy picture.
void SetGuiBusy(bool busy);
bool GuiBusy();
