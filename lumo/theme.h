// The look of the GUI: the colours it draws with and the three theme
// pictures (desktop with the GUI shown, desktop with it hidden, and the
// picture behind window contents). Absent pictures are null.
//
// Three colour tables of $RRGGBB entries in ColourKeys order:
//   configured: Config.colours, the defaults overwritten by tavo.cfg;
//               what "Reset" and "Reset all" return to;
//   current:    CurrentColours, what the GUI draws with and tavo.cfg saves;
//   working:    WorkingColours, edited in the theme window as a preview.
// Themes are text files "*.theme" in the program directory's Themes folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/config.h"

struct Surface;

// Indices into the colour tables (config/config.h ColourKeys order).
enum ThemeColour {
  ColBackground, ColBackground2, ColBackground3, ColBackground4, ColWindow, ColWindowBar,
  ColWindowBarInactive, ColMenu, ColMenuSelected, ColGadget, ColGadgetSelected,
  ColGadgetRollover, ColListGadget, ColInputGadget, ColMouseCursor,
};

// The theme window's row text of each colour ("Background with GUI (top)", ...).
extern const char* const ThemeColourNames[ColourCount];
extern uint32_t WorkingColours[ColourCount];

// One theme file as read: file_name is its name inside Themes.
struct ThemeRecord {
  std::string name, author, file_name;
  std::string bg_picture, bg_picture2, win_picture;  // relative to the program directory
  uint32_t colours[ColourCount];
};

// The themes found by the last ScanThemes, in directory order.
extern std::vector<ThemeRecord> Themes;

// Reads a theme file: lines "key = value" with case-sensitive keys; colours
// the file does not set are the configured ones. False when the file cannot
// be opened (or is far too large to be a theme).
bool ReadThemeFile(const char* path, ThemeRecord* theme);
// Empties Themes and reads every "*.theme" regular file of the Themes
// folder in directory order; files that cannot be read are skipped.
void ScanThemes();
// Writes the theme to Themes/<file_name> (through a temporary file). False
// for an empty file name, a name that would leave the Themes folder, or a
// failed write.
bool SaveTheme(const ThemeRecord& theme);
// The theme file's text.
std::string ThemeText(const ThemeRecord& theme);
// Copies a theme's colours into the working colours (the window's "Load").
void LoadThemeColours(const ThemeRecord& theme);
// When the Themes folder holds no theme file, copies every file of
// source_folder (the themes shipped with the program) into it, never over a
// file already there. False when the folder could not be made or a copy
// failed; true when nothing needed copying.
bool InstallShippedThemes(const std::string& source_folder);

// Desktop pictures are scaled to the screen, the window picture keeps its size.
extern Surface* ThemeBackground;       // bg_picture: desktop while the GUI is shown
extern Surface* ThemeBackgroundNoGui;  // bg_picture2: desktop while it is hidden
extern Surface* ThemeWindowPicture;    // win_picture: behind window contents
// Called after LoadPictures replaced the pictures, so that the GUI redraws.
extern void (*ThemePicturesChanged)();

// (Re)loads the three pictures from Config.bg_picture, bg_picture2 and
// win_picture in the display's pixel format. A picture that cannot be
// loaded is reported ("Couldn't load %s '%s'.") and stays absent; the
// others still load.
void LoadPictures();
void ResetThemePictures();  // frees the three pictures
// Empty theme list, working colours = current colours, no pictures (tests).
void ResetThemes();
