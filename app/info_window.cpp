#include "app/info_window.h"

#include <sys/stat.h>

#include "base/program_dir.h"
#include "config/config.h"
#include "lumo/desktop.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_paint.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/theme.h"
#include "lumo/window_registry.h"
#include "lumo/window_table.h"

const char* const TavoVersionText = "Version " TAVO_VERSION;

std::string ReadmePath() {
  struct stat info;
  for (const std::string& path : {DataDirectory + "/../doc/tavo/README.md", std::string(TAVO_SOURCE_DIR "/README.md")})
    if (!DataDirectory.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return path;
  return "";
}

namespace {

constexpr int TitleScale = 3;
constexpr int PictureWidth = 200, PictureHeight = 150;
// Shorter than the table's height, so that the window fits below the menu
// bar of the default 640 x 480 screen.
constexpr int InfoClientHeight = 386;

struct InfoState {
  Surface* title = nullptr;    // the name, enlarged, on the colour key
  Surface* picture = nullptr;  // lark.png
  uint32_t title_colours = 0;  // the window colour the title was drawn for
};
InfoState g_info;

int Id(int part) { return WinInfo * 100 + part; }

// The name in big pixel letters with a soft shadow, in inks that read on
// the theme's window colour; the rest of the surface is the colour key, so
// the window shows through.
void DrawTitle() {
  const uint32_t window = CurrentColours[ColWindow];
  const char* name = "Tavo";
  const int width = TextWidth(GuiFont, name) + 2, height = GuiFont.height + 2;
  Surface* small = CreateSurface(width, height, 16, 0);
  if (!g_info.title) g_info.title = CreateSurface(width * TitleScale, height * TitleScale, 16, 0);
  if (!small || !g_info.title) {
    DestroySurface(small);
    return;
  }
  FillRect(0, 0, width, height, small, small->color_key);
  const uint32_t ink = InkOn(window);
  DrawText(small, GuiFont, 1, 1, name, RgbPixel(small, MixRgb(window, ink, 90)));
  DrawText(small, GuiFont, 0, 0, name, RgbPixel(small, ink));
  StretchSurface(g_info.title, {0, 0, width * TitleScale, height * TitleScale}, small, {0, 0, width, height});
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

// Text lines and frames take the ids after the parts of InfoPart.
struct Writer {
  Window* w;
  int next = InfoLark + 1;
  void Line(const char* text, int x, int y, int width) { AddText(w, text, Id(next++), x, y, width, 14); }
  void Frame(const char* caption, int x, int y, int width, int height) {
    AddFrame(w, caption, Id(next++), x, y, width, height);
  }
};

void Open() {
  const WindowLayout& layout = WindowLayouts[WinInfo];
  const int cw = layout.client_width, ch = InfoClientHeight;
  Window* w = OpenWindow(WinInfo, Config.window_x[WinInfo], Config.window_y[WinInfo], cw, ch, WindowCloseBox,
                         layout.title);
  if (!w) return;
  DrawTitle();
  LoadPicture();
  Writer text{w};

  // The name, what the program is, its version.
  int beside = 4;
  if (g_info.title) {
    AddCanvas(w, Id(InfoTitle), 4, 0, g_info.title->width, g_info.title->height, 1, 1, g_info.title);
    beside += g_info.title->width + 14;
  }
  text.Line("Sega Master System and Game Gear emulator", beside, 6, cw - beside);
  text.Line(TavoVersionText, beside, 22, cw - beside);

  // The makers.
  text.Frame("Made by", 0, 46, cw, 112);
  text.Line("The Tavo developers wrote the Z80 core, the video and sound chips,", 10, 62, cw - 20);
  text.Line("the debugger, the recorders and Lumo, the interface drawn around", 10, 76, cw - 20);
  text.Line("the picture, all from the consoles' public hardware facts.", 10, 90, cw - 20);
  text.Line("Manual: the README, and \"man tavo\" once installed", 10, 114, cw - 160);
  text.Line("Your states, pictures and recordings: Tavo's folder", 10, 134, cw - 160);
  AddButton(w, "Read the manual", Id(InfoManual), cw - 140, 112, 130, 17);
  EnableGadget(Id(InfoManual), !ReadmePath().empty());
  AddButton(w, "Open the folder", Id(InfoFolder), cw - 140, 132, 130, 17);
  EnableGadget(Id(InfoFolder), !ProgramDirectory.empty());

  // The sibling project.
  const int top = 166;
  text.Frame("A sibling project", 0, top, cw, 182);
  if (g_info.picture)
    AddCanvas(w, Id(InfoPicture), 10, top + 20, PictureWidth, PictureHeight, 1, 1, g_info.picture);
  const int tx = 10 + PictureWidth + 14, tw = cw - tx - 10;
  text.Line("Lark", tx, top + 18, tw);
  text.Line("Lark is a small music tracker for the SN76489,", tx, top + 38, tw);
  text.Line("the sound chip of the Master System and the", tx, top + 52, tw);
  text.Line("Game Gear. It writes its songs as VGM files:", tx, top + 66, tw);
  text.Line("compose in Lark, then hear them in Tavo's VGM", tx, top + 80, tw);
  text.Line("player or in your own homebrew game.", tx, top + 94, tw);
  text.Line("Same makers, same love of the little chip.", tx, top + 116, tw);

  // How to get around.
  text.Line("Esc shows and hides this interface, Alt+L loads a cartridge and Alt+X", 2, 356, cw - 4);
  text.Line("quits. The README lists every key.", 2, 370, cw - 4);
  Config.window_opened[WinInfo] = true;
}

void Close() { CloseToolWindow(WinInfo); }

void OpenOnDesktop(const std::string& path) {
  if (path.empty() || !OpenDesktopUrl(("file://" + path).c_str())) ShowMessage("Couldn't open '%s'.", path.c_str());
}

void Event(const GuiEvent& event) {
  if (event.type == EventClose) {
    Close();
    return;
  }
  if (event.type != EventActivated) return;
  if (event.id == Id(InfoManual)) OpenOnDesktop(ReadmePath());
  if (event.id == Id(InfoFolder)) OpenOnDesktop(ProgramDirectory);
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

void RegisterInfoWindow() { RegisterWindow(WinInfo, {ToggleInfoWindow, Event, Refresh}); }

void FreeInfoPictures() {
  DestroySurface(g_info.title);
  DestroySurface(g_info.picture);
  g_info = InfoState{};
}
