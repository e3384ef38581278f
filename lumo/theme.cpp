#include <cstring>

#include "lumo/theme.h"

const char* const ThemeColourNames[ColourCount] = {
    "Background with GUI (top)",
    "Background with GUI (bottom)",
    "Background without GUI (top)",
    "Background without GUI (bottom)",
    "Window",
    "Window border (active)",
    "Window border (inactive)",
    "Menu",
    "Menu selected",
    "Gadget",
    "Gadget selected",
    "Gadget rollover",
    "Gadget list",
    "Gadget input",
    "Mouse cursor",
};

uint32_t WorkingColours[ColourCount];
std::vector<ThemeRecord> Themes;

void LoadThemeColours(const ThemeRecord& theme) {
  std::memcpy(WorkingColours, theme.colours, sizeof WorkingColours);
}

void ResetThemes() {
  Themes.clear();
  std::memcpy(WorkingColours, CurrentColours, sizeof WorkingColours);
  ResetThemePictures();
}
