// The "Theme options" window (gui_options): edits the working colours with
// a live preview, the three picture paths, saves the result as a theme
// file, loads the colours and pictures of another theme, and applies them.
// Closing it without "Apply" brings the current colours back.
#pragma once
#include "config/config.h"
#include "lumo/gui.h"

// Gadget ids: window id x 100 + part.
enum ThemeWindowPart {
  ThemeColourList, ThemeRed, ThemeGreen, ThemeBlue,  // sliders in component order
  ThemeRedValue, ThemeGreenValue, ThemeBlueValue,
  ThemeRedText, ThemeGreenText, ThemeBlueText,
  ThemeReset, ThemeResetAll,
  ThemeBgPicture, ThemeBgPicture2, ThemeWinPicture,
  ThemeName, ThemeAuthor, ThemeFileName, ThemeSave,
  ThemeList, ThemeListScroll, ThemeLoad, ThemeApply, ThemeCancel,
  ThemeSwatch,
  ThemeFrameCurrent, ThemeFrameColours, ThemeFramePictures, ThemeFrameOthers,
};
constexpr int ThemeGadget(int part) { return WinGuiOptions * 100 + part; }

void ToggleThemeWindow();
void OpenThemeWindow();
// Stores the position and drops a preview that was not applied.
void CloseThemeWindow();
void ThemeWindowEvent(const GuiEvent& event);
// Mouse wheel over the window: scrolls the theme list when over it.
void ThemeWindowWheel(int steps);
// The colour being edited (ThemeColour index).
int ThemeWindowEditedColour();
