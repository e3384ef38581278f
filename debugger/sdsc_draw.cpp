// The SDSC console's screen as pixels: 80 x 25 cells of 7 x 9 pixels.
#include "debugger/sdsc.h"
#include "lumo/surface.h"

const uint32_t ConsoleColours[16] = {
    0x000000, 0x0000C0, 0x00C000, 0x00C0C0, 0xC00000, 0xC000C0, 0xC0C000, 0x808080,
    0xC0C0C0, 0x4040FF, 0x40FF40, 0x40FFFF, 0xFF4040, 0xFF40FF, 0xFFFF40, 0xFFFFFF,
};

void DrawConsole(Surface* target, int x, int y, ConsoleGlyphFn draw_glyph, void* context) {
  if (!target) return;
  uint32_t pixels[16];
  for (int i = 0; i < 16; ++i) {
    uint32_t rgb = ConsoleColours[i];
    pixels[i] = ColorToPixel(target->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }
  for (int row = 0; row < ConsoleRows; ++row) {
    for (int column = 0; column < ConsoleColumns; ++column) {
      const int cell = row * ConsoleColumns + column;
      const uint8_t attr = Console.attrs[cell];
      const int px = x + column * ConsoleCellWidth, py = y + row * ConsoleCellHeight;
      FillRect(px, py, ConsoleCellWidth, ConsoleCellHeight, target, pixels[attr >> 4]);
      const uint8_t c = Console.chars[cell];
      if (c > ' ' && draw_glyph) draw_glyph(context, target, px, py, c, pixels[attr & 0x0F]);
    }
  }
  ConsoleChanged = false;
}
