#include "debugger/console_window.h"

#include <algorithm>

#include "debugger/sdsc.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/window_table.h"

namespace {

// The glyph mask, locked for reading while the console is drawn.
struct GlyphSource {
  const uint8_t* mask;
  int pitch;
};

// The fixed font's glyphs are 5 x 8 with a blank column: one pixel in from
// the cell's top left corner they sit in the middle of the 7 x 9 cell.
void DrawGlyph(void* context, Surface* target, int x, int y, uint8_t character, uint32_t pixel) {
  const GlyphSource* source = static_cast<const GlyphSource*>(context);
  const Font& font = GuiFixedFont;
  const int width = std::min<int>(font.glyph_width[character], ConsoleCellWidth - 1);
  const int height = std::min<int>(font.height, ConsoleCellHeight - 1);
  ++x, ++y;
  const int bytes = target->format.bytes;
  for (int row = 0; row < height; ++row) {
    const uint8_t* ink = source->mask + row * source->pitch + font.glyph_x[character];
    uint8_t* out = target->pixels + (y + row) * target->pitch + x * bytes;
    for (int column = 0; column < width; ++column)
      if (ink[column]) WritePixel(out + column * bytes, bytes, pixel);
  }
}

// The canvas last drawn: a display change makes a new, blank one.
Surface* DrawnCanvas = nullptr;

void DrawConsoleCanvas() {
  Surface* canvas = CanvasSurface(ConsoleCanvasId);
  DrawnCanvas = canvas;
  if (!canvas || !GlyphMask || !GuiFixedFont.strip) return;
  GlyphSource source{LockSurface(GlyphMask, LockReadOnly), GlyphMask->pitch};
  const bool locked = LockSurface(canvas, LockReadWrite) != nullptr;
  if (source.mask && locked) DrawConsole(canvas, 0, 0, DrawGlyph, &source);
  if (locked) UnlockSurface(canvas);
  if (source.mask) UnlockSurface(GlyphMask);
  // Straight into the window's picture: the frame around it stays as it is.
  if (Surface* window = WindowSurface(WinConsole)) {
    CopySurface(window, ClientLeft, ClientTop, canvas, {0, 0, canvas->width, canvas->height});
    MarkWindowAreaChanged(WinConsole, ClientLeft, ClientTop, canvas->width, canvas->height);
  }
}

}  // namespace

void ToggleConsoleWindow() {
  Window* w = ToggleToolWindow(WinConsole);
  if (!w) return;
  AddCellCanvas(w, ConsoleCanvasId, 0, 0, ConsoleColumns * ConsoleCellWidth, ConsoleRows * ConsoleCellHeight,
                ConsoleCellWidth, ConsoleCellHeight);
  DrawConsoleCanvas();
  MarkWindowDirty(WinConsole);
}

void RedrawConsole() {
  if (WindowOpen(WinConsole) && (ConsoleChanged || CanvasSurface(ConsoleCanvasId) != DrawnCanvas))
    DrawConsoleCanvas();
}
