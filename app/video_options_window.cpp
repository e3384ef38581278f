#include "app/video_options_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/option_windows.h"
#include "lumo/display.h"
#include "lumo/presenter.h"
#include "lumo/theme.h"

namespace {

constexpr int kListRows = 7;
constexpr int kListHeight = kListRows * 12 + 2;

// Module state: the modes the list offers, its scroll position and choice.
struct VideoWindowState {
  std::vector<DisplayModeInfo> modes;
  int first = 0;
  int chosen = -1;  // index into modes
};
VideoWindowState g_video;

int Id(int part) { return VideoGadget(part); }

void FillModeRows() {
  ShowListEntries(Id(VideoModeList), Id(VideoModeScroll), &g_video.first, (int)g_video.modes.size(), g_video.chosen,
                  [](int at) {
                    const DisplayModeInfo& m = g_video.modes[at];
                    char text[32];
                    snprintf(text, sizeof text, "%dx%dx%d", m.width, m.height, m.bits);
                    return std::string(text);
                  });
}

void SetRadio(int first_part, int value) {
  if (value < 0 || value > 3) value = 0;
  SetChecked(Id(first_part + value), 1);
}

int RadioValue(int first_part) {
  for (int i = 0; i < 4; i++)
    if (GetChecked(Id(first_part + i)) == 1) return i;
  return 0;
}

// Every control from the settings.
void ShowSettings() {
  g_video.chosen = -1;
  for (size_t i = 0; i < g_video.modes.size(); i++) {
    const DisplayModeInfo& m = g_video.modes[i];
    if (m.width == Config.resolution_x && m.height == Config.resolution_y && m.bits == Config.depth)
      g_video.chosen = (int)i;
  }
  if (g_video.chosen >= 0 && (g_video.chosen < g_video.first || g_video.chosen >= g_video.first + kListRows))
    g_video.first = g_video.chosen - kListRows / 2;
  FillModeRows();
  char number[16];
  snprintf(number, sizeof number, "%d", Config.win_resolution_x);
  SetGadgetText(Id(VideoWidth), number);
  snprintf(number, sizeof number, "%d", Config.win_resolution_y);
  SetGadgetText(Id(VideoHeight), number);
  SetChecked(Id(VideoWindowed), Config.windowed);
  SetChecked(Id(VideoVsync), Config.vsync);
  SetRadio(VideoFilterNoGui, Config.fullscreen_video_mode);
  SetChecked(Id(VideoBlurNoGui), Config.fullscreen_motion_blur);
  SetRadio(VideoStretching, Config.stretching);
  SetRadio(VideoFilterGui, Config.gui_video_mode);
  SetChecked(Id(VideoBlurGui), Config.gui_motion_blur);
}

// Four radio buttons in two columns and, with blur_part, a motion blur box.
void AddFourChoices(Window* w, int y, int first_part, const char* const names[4], int group, int blur_part) {
  for (int i = 0; i < 4; i++)
    AddRadioButton(w, names[i], Id(first_part + i), 10 + (i % 2) * 115, y + (i / 2) * 20, 105, 15, false, group);
  if (blur_part >= 0) AddCheckBox(w, "Motion blur", Id(blur_part), 10, y + 40, 105, 15, false);
}

int WindowSizeInput(int part, int fallback, int smallest) {
  const char* text = GetGadgetText(Id(part));
  if (!*text) return fallback;
  return (int)std::clamp(strtol(text, nullptr, 10), (long)smallest, (long)VideoWindowMax);
}

}  // namespace

void OpenVideoOptions() {
  Window* w = OpenToolWindow(WinVideoOptions);
  if (!w) return;
  static const char* const filters[4] = {"Normal", "Double", "Bilinear", "M-Eagle"};
  static const char* const stretching[4] = {"None", "Double", "Maximize", "Maximize 75%"};
  g_video.modes = FullScreenModes();
  g_video.first = 0;
  AddFrame(w, "Full-screen mode", Id(VideoFrameModes), 0, 0, 240, 106);
  AddList(w, kListHeight, Id(VideoModeList), 8, 15, 206, GadgetNoTab);
  AddScrollBar(w, Id(VideoModeScroll), 216, 15, 14, kListHeight, 0, kListRows, 0);
  AddFrame(w, "Window size", Id(VideoFrameWindow), 0, 111, 240, 35);
  AddInput(w, "", Id(VideoWidth), 50, 126, 55, 15, "Width:");
  AddInput(w, "", Id(VideoHeight), 165, 126, 55, 15, "Height:");
  AddGadgetFlags(Id(VideoWidth), GadgetDigits);
  AddGadgetFlags(Id(VideoHeight), GadgetDigits);
  AddCheckBox(w, "Windowed", Id(VideoWindowed), 10, 151, 105, 15, false);
  AddCheckBox(w, "VSync", Id(VideoVsync), 125, 151, 105, 15, false);
  AddFrame(w, "Filter (without GUI)", Id(VideoFrameNoGui), 0, 171, 240, 75);
  AddFourChoices(w, 186, VideoFilterNoGui, filters, 1, VideoBlurNoGui);
  AddFrame(w, "Stretching", Id(VideoFrameStretching), 0, 251, 240, 55);
  AddFourChoices(w, 266, VideoStretching, stretching, 2, -1);
  AddFrame(w, "Filter (with GUI)", Id(VideoFrameGui), 0, 311, 240, 75);
  AddFourChoices(w, 326, VideoFilterGui, filters, 3, VideoBlurGui);
  AddButton(w, "Apply", Id(VideoApply), 0, 392, 100, 15);
  AddButton(w, "Cancel", Id(VideoCancel), 105, 392, 100, 15);
  ShowSettings();
}

void CloseVideoOptions() { CloseToolWindow(WinVideoOptions); }

void ToggleVideoOptions() {
  if (WindowOpen(WinVideoOptions)) CloseVideoOptions();
  else OpenVideoOptions();
}

void VideoOptionsWheel(int steps) {
  const int under = GadgetUnderPointer();
  if (under != Id(VideoModeList) && under != Id(VideoModeScroll)) return;
  g_video.first -= 5 * steps;
  FillModeRows();
}

void VideoOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseVideoOptions();
    return;
  }
  const int part = event.id - VideoGadget(0);
  if (part == VideoModeList && event.type == EventChanged) {
    const int row = GetSelectedRow(event.id);
    if (row >= 0 && g_video.first + row < (int)g_video.modes.size()) g_video.chosen = g_video.first + row;
  } else if (part == VideoModeScroll && event.type == EventChanged) {
    g_video.first = GetScrollFirst(event.id);
    FillModeRows();
  } else if (part == VideoApply && event.type == EventActivated) {
    ApplyVideoOptions();
  } else if (part == VideoCancel && event.type == EventActivated) {
    CloseVideoOptions();
  }
}

namespace {

// A new display mode when it differs from the current one: *changed says
// whether it was set; false when the display refused it.
bool SetDisplayMode(bool windowed, int bits, int width, int height, bool* changed) {
  *changed = false;
  if (width == ScreenWidth() && height == ScreenHeight() && bits == DisplayDepth() &&
      windowed != DisplayFullScreen())
    return true;
  printf("change mode\n");
  fflush(stdout);
  if (!ChangeDisplayMode(!windowed, bits, height, width)) return false;
  printf("change mode ok\n");
  fflush(stdout);
  Surface* back = DisplayDrawTarget();
  FillRect(0, 0, back->width, back->height, back, ColorToPixel(back->format, 0, 0, 0));
  PresentDisplay(Config.vsync);
  GuiDisplayChanged();
  *changed = true;
  return true;
}

}  // namespace

void ToggleFullScreen() {
  const bool windowed = !Config.windowed;
  const int bits = windowed ? 16 : (Config.depth == 32 ? 32 : 16);
  const int width = windowed ? Config.win_resolution_x : Config.resolution_x;
  const int height = windowed ? Config.win_resolution_y : Config.resolution_y;
  bool changed = false;
  if (!SetDisplayMode(windowed, bits, width, height, &changed)) return;
  Config.windowed = windowed;
  if (changed) LoadPictures();
  if (WindowOpen(WinVideoOptions)) ShowSettings();
  RequestFullRedraw();
}

void ApplyVideoOptions() {
  Config.fullscreen_video_mode = (uint8_t)RadioValue(VideoFilterNoGui);
  Config.gui_video_mode = (uint8_t)RadioValue(VideoFilterGui);
  Config.stretching = (uint8_t)RadioValue(VideoStretching);
  Config.vsync = GetChecked(Id(VideoVsync)) == 1;
  Config.fullscreen_motion_blur = GetChecked(Id(VideoBlurNoGui)) == 1;
  Config.gui_motion_blur = GetChecked(Id(VideoBlurGui)) == 1;

  const bool windowed = GetChecked(Id(VideoWindowed)) == 1;
  const int win_width = WindowSizeInput(VideoWidth, Config.win_resolution_x, VideoWindowMinWidth);
  const int win_height = WindowSizeInput(VideoHeight, Config.win_resolution_y, VideoWindowMinHeight);
  DisplayModeInfo full{Config.resolution_x, Config.resolution_y, Config.depth};
  if (g_video.chosen >= 0 && g_video.chosen < (int)g_video.modes.size()) full = g_video.modes[g_video.chosen];
  const int bits = windowed ? 16 : (full.bits == 32 ? 32 : 16);
  const int width = windowed ? win_width : full.width, height = windowed ? win_height : full.height;

  bool changed = false;
  const bool keep = SetDisplayMode(windowed, bits, width, height, &changed);
  // A mode the display refused is not kept: the next start would fail on it.
  if (keep) {
    Config.windowed = windowed;
    Config.win_resolution_x = (uint16_t)win_width;
    Config.win_resolution_y = (uint16_t)win_height;
    Config.resolution_x = (uint16_t)full.width;
    Config.resolution_y = (uint16_t)full.height;
    Config.depth = (uint16_t)full.bits;
  }
  // The desktop pictures are scaled to the screen.
  if (changed) LoadPictures();
  ShowSettings();
  RequestFullRedraw();
}
