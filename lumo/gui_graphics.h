// The GUI's fonts and pictures, loaded from the program directory.
#pragma once
#include "lumo/font.h"
#include "lumo/gui_pictures.h"
#include "lumo/surface.h"

extern Font GuiFont;       // font.ssp: the default GUI font
extern Font GuiFixedFont;  // fontp.ssp: the second font, fixed pitch
extern Surface* GuiPictures[256];     // gui.ssp in the display's format
extern Surface* GuiPicturesRaw[256];  // gui.ssp in its own format (pixel-level use)
extern Surface* GuiPictures2[31];     // gui2.ssp in its own format
// 8-bit mask of the fixed font's strip: 1 where a glyph has ink; palette
// entry 0 black, 1 white (the SDSC console draws through it).
extern Surface* GlyphMask;

// Frees the previous graphics and loads fontp.ssp, font.ssp, gui.ssp (twice)
// and gui2.ssp from the program directory (or dir when given); builds the
// glyph mask; with redraw, redraws every window. False on any failure.
bool LoadGuiGraphics(bool redraw, const char* dir = nullptr);
void FreeGuiGraphics();
