#include "lumo/theme_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "lumo/gui.h"
#include "lumo/messages.h"
#include "lumo/theme.h"
#include "lumo/window_table.h"

namespace {

constexpr int kInputParts[6] = {ThemeBgPicture, ThemeBgPicture2, ThemeWinPicture, ThemeName, ThemeAuthor, ThemeFileName};
constexpr int kListScrollStep = 5;

// Module state: the colour being edited, the theme list's scroll position
// and selection, and the whole texts last put into the six input fields
// (a field keeps only GadgetTextMax characters of them).
struct ThemeWindowState {
  int edited = 0;
  int first = 0;
  int selected = -1;  // index into Themes
  std::string fields[6];
};
ThemeWindowState g_theme;

int Id(int part) { return ThemeGadget(part); }

int Component(uint32_t colour, int component) { return (colour >> (16 - 8 * component)) & 0xFF; }

void ShowSwatch() {
  Surface* s = CanvasSurface(Id(ThemeSwatch));
  if (!s) return;
  const uint32_t c = WorkingColours[g_theme.edited];
  FillRect(0, 0, s->width, s->height, s, ColorToPixel(s->format, Component(c, 0), Component(c, 1), Component(c, 2)));
  MarkWindowDirty(WinGuiOptions);
}

// The sliders, their values and the swatch from the edited working colour.
void ShowEditedColour() {
  const uint32_t colour = WorkingColours[g_theme.edited];
  for (int i = 0; i < 3; i++) {
    const int value = Component(colour, i);
    SetSlider(Id(ThemeRed + i), value, 255);
    char text[8];
    snprintf(text, sizeof text, "%d", value);
    SetGadgetText(Id(ThemeRedValue + i), text);
  }
  SelectRow(Id(ThemeColourList), g_theme.edited);
  ShowSwatch();
}

void Preview() {
  ApplyColours(WorkingColours);
  ShowEditedColour();
}

void FillThemeRows() {
  ShowListEntries(Id(ThemeList), Id(ThemeListScroll), &g_theme.first, (int)Themes.size(), g_theme.selected,
                  [](int at) { return Themes[at].name; });
}

void SetField(int index, const std::string& text) {
  g_theme.fields[index] = text;
  SetGadgetText(Id(kInputParts[index]), text.c_str());
}

std::string Field(int index) { return FieldText(Id(kInputParts[index]), g_theme.fields[index]); }

void SetComponent(int component, int value) {
  const int shift = 16 - 8 * component;
  uint32_t& colour = WorkingColours[g_theme.edited];
  colour = (colour & ~(0xFFu << shift)) | (uint32_t(std::clamp(value, 0, 255)) << shift);
  Preview();
}

void SaveFromWindow() {
  ThemeRecord theme;
  theme.bg_picture = Field(0);
  theme.bg_picture2 = Field(1);
  theme.win_picture = Field(2);
  theme.name = Field(3);
  theme.author = Field(4);
  theme.file_name = Field(5);
  std::memcpy(theme.colours, WorkingColours, sizeof theme.colours);
  if (SaveTheme(theme))
    ShowMessage("Successfully saved theme as '%s'.", theme.file_name.c_str());
  else
    ShowMessage("Couldn't save theme as '%s'.", theme.file_name.c_str());
  ScanThemes();
  g_theme.selected = -1;
  FillThemeRows();
}

void LoadSelectedTheme() {
  if (g_theme.selected < 0 || g_theme.selected >= (int)Themes.size()) return;
  const ThemeRecord& theme = Themes[g_theme.selected];
  SetField(0, theme.bg_picture);
  SetField(1, theme.bg_picture2);
  SetField(2, theme.win_picture);
  SetField(3, theme.name);
  SetField(4, theme.author);
  SetField(5, theme.file_name);
  LoadThemeColours(theme);
  Preview();
}

void ApplyFromWindow() {
  std::memcpy(CurrentColours, WorkingColours, sizeof CurrentColours);
  ApplyColours(CurrentColours);
  Config.bg_picture = Field(0);
  Config.bg_picture2 = Field(1);
  Config.win_picture = Field(2);
  LoadPictures();
}

}  // namespace

int ThemeWindowEditedColour() { return g_theme.edited; }

void OpenThemeWindow() {
  Window* w = OpenToolWindow(WinGuiOptions);
  if (!w) return;
  std::memcpy(WorkingColours, CurrentColours, sizeof WorkingColours);
  g_theme = ThemeWindowState{};
  AddFrame(w, "Current theme", Id(ThemeFrameCurrent), 0, 0, 370, 416);
  AddFrame(w, "Colors", Id(ThemeFrameColours), 5, 15, 360, 230);
  // The fixed font fits all fifteen rows in the list's height.
  AddList(w, 125, Id(ThemeColourList), 10, 30, 200, GadgetSecondFont);
  for (int i = 0; i < ColourCount; i++) SetListRow(Id(ThemeColourList), i, ThemeColourNames[i], true, false);
  AddCellCanvas(w, Id(ThemeSwatch), 220, 30, 135, 125, 135, 125);
  static const char* const names[3] = {"Red:", "Green:", "Blue:"};
  for (int i = 0; i < 3; i++) {
    const int y = 163 + 20 * i;
    AddText(w, names[i], Id(ThemeRedText + i), 10, y, 45, 15);
    AddSlider(w, Id(ThemeRed + i), 55, y, 265, 15, 0, 255);
    AddText(w, "", Id(ThemeRedValue + i), 325, y, 30, 15);
    SetGadgetFlags(Id(ThemeRedValue + i), TextRight);
  }
  AddButton(w, "Reset", Id(ThemeReset), 10, 227, 100, 15);
  AddButton(w, "Reset all", Id(ThemeResetAll), 115, 227, 100, 15);
  AddFrame(w, "Pictures", Id(ThemeFramePictures), 5, 250, 360, 75);
  static const char* const captions[6] = {"Background (with GUI):", "Background (without GUI):",
                                          "Window background:", "Name:", "Author:", "Filename:"};
  // A little right of x 140, so that the longest caption clears the frame.
  for (int i = 0; i < 6; i++)
    AddInput(w, "", Id(kInputParts[i]), 146, i < 3 ? 265 + 20 * i : 332 + 20 * (i - 3), 214, 15, captions[i]);
  AddButton(w, "Save", Id(ThemeSave), 10, 394, 100, 15);
  AddFrame(w, "Other themes", Id(ThemeFrameOthers), 380, 0, 200, 416);
  AddList(w, 370, Id(ThemeList), 385, 15, 170, 0);
  AddScrollBar(w, Id(ThemeListScroll), 557, 15, 15, 370, 0, 1, 0);
  AddButton(w, "Load", Id(ThemeLoad), 385, 394, 100, 15);
  AddButton(w, "Apply", Id(ThemeApply), 0, 421, 100, 15);
  AddButton(w, "Cancel", Id(ThemeCancel), 105, 421, 100, 15);
  SetField(0, Config.bg_picture);
  SetField(1, Config.bg_picture2);
  SetField(2, Config.win_picture);
  FillThemeRows();
  ShowEditedColour();
}

void CloseThemeWindow() {
  CloseToolWindow(WinGuiOptions);
  ApplyColours(CurrentColours);
  std::memcpy(WorkingColours, CurrentColours, sizeof WorkingColours);
}

void ToggleThemeWindow() {
  if (WindowOpen(WinGuiOptions)) CloseThemeWindow();
  else OpenThemeWindow();
}

void ThemeWindowWheel(int steps) {
  const int under = GadgetUnderPointer();
  if (under != Id(ThemeList) && under != Id(ThemeListScroll)) return;
  g_theme.first -= kListScrollStep * steps;
  FillThemeRows();
}

void ThemeWindowEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseThemeWindow();
    return;
  }
  const int part = event.id - ThemeGadget(0);
  if (event.type == EventChanged) {
    if (part == ThemeColourList) {
      const int row = GetSelectedRow(event.id);
      if (row >= 0 && row < ColourCount) g_theme.edited = row;
      ShowEditedColour();
    } else if (part >= ThemeRed && part <= ThemeBlue) {
      SetComponent(part - ThemeRed, GetSlider(event.id));
    } else if (part == ThemeList) {
      const int row = GetSelectedRow(event.id);
      if (row >= 0 && g_theme.first + row < (int)Themes.size()) g_theme.selected = g_theme.first + row;
    } else if (part == ThemeListScroll) {
      g_theme.first = GetScrollFirst(event.id);
      FillThemeRows();
    }
    return;
  }
  if (event.type != EventActivated) return;
  switch (part) {
    case ThemeReset:
      WorkingColours[g_theme.edited] = Config.colours[g_theme.edited];
      Preview();
      break;
    case ThemeResetAll:
      std::memcpy(WorkingColours, Config.colours, sizeof WorkingColours);
      Preview();
      break;
    case ThemeSave: SaveFromWindow(); break;
    case ThemeLoad: LoadSelectedTheme(); break;
    case ThemeApply: ApplyFromWindow(); break;
    case ThemeCancel: CloseThemeWindow(); break;
    default: break;
  }
}
