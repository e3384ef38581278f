// The look of the GUI: the colours it draws with and the three theme
// pictures (desktop with the GUI shown, desktop with it hidden, and the
// picture behind window contents). Absent pictures are null.
#pragma once
#include <cstdint>

#include "config/config.h"

struct Surface;

// Indices into the colour tables (config/config.h ColourKeys order).
enum ThemeColour {
  ColBackground, ColBackground2, ColBackground3, ColBackground4, ColWindow, ColWindowBar,
  ColWindowBarInactive, ColMenu, ColMenuSelected, ColGadget, ColGadgetSelected,
  ColGadgetRollover, ColListGadget, ColInputGadget, ColMouseCursor,
};

// Desktop pictures are scaled to the screen, the window picture keeps its size.
extern Surface* ThemeBackground;       // bg_picture: desktop while the GUI is shown
extern Surface* ThemeBackgroundNoGui;  // bg_picture2: desktop while it is hidden
extern Surface* ThemeWindowPicture;    // win_picture: behind window contents

void ResetThemePictures();  // frees the three pictures
