#include "app/info_window.h"

#include <cstring>

#include "app/program_dir.h"
#include "app/window_registry.h"
#include "config/config.h"
#include "lumo/desktop.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_paint.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/theme.h"
#include "lumo/window_table.h"

// The project's addresses live in the reserved example domain until the
// project has its own; they are kept here, in one place.
const char* const TavoHomepage = "https://tavo.example.org/";
const char* const TavoMail = "mailto:developers@tavo.example.org";
const char* const LarkHomepage = "https://lark.example.org/";
const char* const TavoVersionText = "Version " TAVO_VERSION;

namespace {

constexpr int TitleScale = 3;
constexpr int PictureWidth = 200, PictureHeight = 150;

struct InfoState {
  Surface* title = nullptr;    // the name, enlarged, on the colour key
  Surface* picture = nullptr;  // lark.png
  uint32_t title_colours = 0;  // the window colour the title was drawn for
};
InfoState g_info;

int Id(int part) { return WinInfo * 100 + part; }

// The program's name in big pixel letters with a soft shadow, in inks that
// read on the theme's window colour; the rest of the surface is the colour
// key, so the window shows through.
void DrawTitle() {
  const uint32_t window = CurrentColours[ColWindow];
  const char* name = "Tavo";
  const int width = TextWidth(GuiFont, name) + 2, height = GuiFont.height + 2;
  Surface* small = CreateSurface(width, height, 16, 0);
  if (!g_info.title)
    g_info.title = CreateSurface(width * TitleScale, height * TitleScale, 16, 0);
  if (!small || !g_info.title) {
    DestroySurface(small);
    return;
  }
  FillRect(0, 0, width, height, small, small->color_key);
  const uint32_t ink = InkOn(window);
  DrawText(small, GuiFont, 1, 1, name, RgbPixel(small, MixRgb(window, ink, 90)));
  DrawText(small, GuiFont, 0, 0, name, RgbPixel(small, ink));
  StretchSurface(g_info.title, {0, 0, width * TitleScale, height * TitleScale}, small,
                 {0, 0, width, height});
  g_info.title->color_key_enabled = true;
  DestroySurface(small);
  g_info.title_colours = window;
}

void LoadPicture() {
  if (g_info.picture) return;
  PixelFormat format;
  MakePixelFormat(&format, 16);
  g_info.picture = LoadPng(DataFilePath("lark.png").c_str(), &format, 0);
  if (g_info.picture) g_info.picture->color_key_enabled = true;
}

void Line(Window* w, const char* text, int x, int y, int width) { AddText(w, text, -1, x, y, width, 14); }

void Open() {
  const WindowSpec& spec = WindowSpecs[WinInfo];
  Window* w = OpenWindow(WinInfo, Config.window_x[WinInfo], Config.window_y[WinInfo], spec.client_width,
                         spec.client_height, WindowCloseBox, spec.title);
  if (!w) return;
  DrawTitle();
  LoadPicture();
  const int cw = spec.client_width;

  // The name, what the program is, its version.
  if (g_info.title)
    AddCanvas(w, Id(InfoTitle), 8, 2, g_info.title->width, g_info.title->height, 1, 1, g_info.title);
  const int beside = 8 + (g_info.title ? g_info.title->width : 0) + 16;
  Line(w, "Sega Master System and Game Gear emulator", beside, 10, cw - beside);
  Line(w, TavoVersionText, beside, 26, cw - beside);

  // The makers.
  AddFrame(w, "Made by", -1, 0, 54, cw, 122);
  Line(w, "Tavo is written by the Tavo developers: the Z80 core, the video and", 12, 72, cw - 24);
  Line(w, "sound chips, the debugger, the recorders and Lumo, the interface it", 12, 86, cw - 24);
  Line(w, "draws itself, all made from the consoles' public hardware facts.", 12, 100, cw - 24);
  Line(w, "Homepage: tavo.example.org", 12, 124, 300);
  Line(w, "Mail: developers@tavo.example.org", 12, 146, 300);
  AddButton(w, "Visit homepage", Id(InfoHomepage), cw - 142, 122, 130, 17);
  AddButton(w, "Write a mail", Id(InfoMail), cw - 142, 144, 130, 17);

  // The sibling project.
  const int top = 186;
  AddFrame(w, "A sibling project", -1, 0, top, cw, 196);
  if (g_info.picture)
    AddCanvas(w, Id(InfoPicture), 12, top + 20, PictureWidth, PictureHeight, 1, 1, g_info.picture);
  const int tx = 12 + PictureWidth + 14, tw = cw - tx - 12;
  Line(w, "Lark", tx, top + 20, tw);
  Line(w, "Lark is a small music tracker for the SN76489,", tx, top + 42, tw);
  Line(w, "the sound chip of the Master System and the", tx, top + 56, tw);
  Line(w, "Game Gear. It writes its songs as VGM files:", tx, top + 70, tw);
  Line(w, "compose in Lark, then play them in Tavo's VGM", tx, top + 84, tw);
  Line(w, "player or in your own homebrew game.", tx, top + 98, tw);
  Line(w, "Same makers, same love of the little chip.", tx, top + 120, tw);
  AddButton(w, "Visit Lark", Id(InfoLark), tx, top + 153, 130, 17);

  // How to get around.
  Line(w, "Esc shows and hides this interface; Alt+L loads a cartridge;", 4, 392, cw - 8);
  Line(w, "Alt+X quits. The README lists every key.", 4, 406, cw - 8);
  Config.window_opened[WinInfo] = true;
}

void Close() {
  CloseWindow(WinInfo);
  Config.window_opened[WinInfo] = false;
}

void OpenAddress(const char* url) {
  if (!OpenDesktopUrl(url)) ShowMessage("Couldn't open '%s'.", url);
}

void Event(const GuiEvent& event) {
  if (event.type == EventClose) {
    Close();
    return;
  }
  if (event.type != EventActivated) return;
  if (event.id == Id(InfoHomepage)) OpenAddress(TavoHomepage);
  if (event.id == Id(InfoMail)) OpenAddress(TavoMail);
  if (event.id == Id(InfoLark)) OpenAddress(LarkHomepage);
}

// A new theme: the title is drawn again in inks for its window colour.
void Refresh() {
  if (g_info.title && g_info.title_colours != CurrentColours[ColWindow]) {
    DrawTitle();
    MarkWindowDirty(WinInfo);
  }
}

}  // namespace

void ToggleInfoWindow() {
  if (WindowOpen(WinInfo))
    Close();
  else
    Open();
}

void RegisterInfoWindow() {
  WindowHandlers handlers;
  handlers.toggle = ToggleInfoWindow;
  handlers.event = Event;
  handlers.refresh = Refresh;
  RegisterWindow(WinInfo, handlers);
}

void FreeInfoPictures() {
  DestroySurface(g_info.title);
  DestroySurface(g_info.picture);
  g_info = InfoState{};
}
