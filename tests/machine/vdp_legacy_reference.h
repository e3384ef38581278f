// A plain model of the legacy display modes for the tests: one pixel at a
// time, straight from VRAM and the registers by each mode's rules, sharing
// no code with the renderer.
#pragma once
#include <cstdint>

#include "machine/options.h"
#include "machine/vdp.h"

// The fixed colours by colour number as the Master System outputs them,
// 6-bit console colours (bits 0-1 red, 2-3 green, 4-5 blue).
constexpr uint8_t LegacyConsoleColour[16] = {
    0x00, 0x00, 0x08, 0x0C,  // transparent, black, medium green, light green
    0x10, 0x30, 0x01, 0x3C,  // dark blue, light blue, dark red, cyan
    0x02, 0x03, 0x05, 0x0F,  // medium red, light red, dark yellow, light yellow
    0x04, 0x33, 0x15, 0x3F,  // dark green, magenta, grey, white
};

// Each 2-bit component in the top two bits of its RGB565 field.
inline uint16_t LegacyRgb(int colour) {
  int c = LegacyConsoleColour[colour];
  return uint16_t((c & 3) << 14 | ((c >> 2) & 3) << 9 | ((c >> 4) & 3) << 3);
}

struct LegacyModel {
  const uint8_t* vram;
  uint8_t regs[8];
  bool four_per_line;  // the sprite limit option
};

inline LegacyModel LegacyModelOf(const VdpState& vdp) {
  LegacyModel m{vdp.vram, {}, (MachineOptions & OptSpriteFlickering) != 0};
  for (int i = 0; i < 8; i++) m.regs[i] = vdp.regs[i];
  return m;
}

// Background colour number at (x, line) of a 192-line picture; 0 shows the backdrop.
inline int LegacyBackground(const LegacyModel& m, int x, int line) {
  const uint8_t* vram = m.vram;
  int row = line / 8, fine = line % 8;
  int names = (m.regs[2] & 15) * 0x400;
  int patterns = (m.regs[4] & 7) * 0x800;
  if (m.regs[1] & 0x10) {  // Text
    if (x < 8 || x >= 248) return 0;
    int name = vram[names + row * 40 + (x - 8) / 6];
    int bit = (vram[patterns + name * 8 + fine] >> (7 - (x - 8) % 6)) & 1;
    return bit ? m.regs[7] >> 4 : m.regs[7] & 15;
  }
  int name = vram[names + row * 32 + x / 8];
  if (m.regs[1] & 0x08) {  // Multicolour
    int block = vram[patterns + name * 8 + (row % 4) * 2 + fine / 4];
    return x % 8 < 4 ? block >> 4 : block & 15;
  }
  int pattern, colour;
  if (m.regs[0] & 0x02) {  // Graphics II: the thirds' tables, masked
    int index = ((row / 8) * 256 + name) * 8 + fine;
    pattern = vram[(m.regs[4] & 4 ? 0x2000 : 0) + (index & ((m.regs[4] & 3) * 0x800 + 0x7FF))];
    colour = vram[(m.regs[3] & 0x80 ? 0x2000 : 0) + (index & ((m.regs[3] & 0x7F) * 64 + 63))];
  } else {  // Graphics I
    pattern = vram[patterns + name * 8 + fine];
    colour = vram[m.regs[3] * 64 + name / 8];
  }
  return (pattern >> (7 - x % 8)) & 1 ? colour >> 4 : colour & 15;
}

// Colour number of the front sprite pixel at (x, line), 0 where none shows.
inline int LegacySprite(const LegacyModel& m, int x, int line) {
  if (m.regs[1] & 0x10) return 0;  // Text has no sprites
  bool large = m.regs[1] & 2;
  int scale = (m.regs[1] & 1) ? 2 : 1;
  int size = (large ? 16 : 8) * scale;
  int on_line = 0;
  for (int i = 0; i < 32; i++) {
    const uint8_t* entry = m.vram + (m.regs[5] & 0x7F) * 128 + 4 * i;
    if (entry[0] == 0xD0) break;
    int top = entry[0] + 1;
    if (top > 192) top -= 256;  // y 0xC0 and above: hanging from above line 0
    if (line < top || line >= top + size) continue;
    if (++on_line > 4 && m.four_per_line) break;
    int left = entry[1] - (entry[3] & 0x80 ? 32 : 0);
    if (x < left || x >= left + size) continue;
    int column = (x - left) / scale, row = (line - top) / scale;
    int pattern = large ? entry[2] & 0xFC : entry[2];
    int byte = m.vram[(m.regs[6] & 7) * 0x800 + pattern * 8 + (column >= 8 ? 16 : 0) + row];
    if ((byte >> (7 - column % 8)) & 1 && (entry[3] & 15)) return entry[3] & 15;
  }
  return 0;
}

inline uint16_t LegacyPixel(const LegacyModel& m, int x, int line) {
  int backdrop = m.regs[7] & 15;
  if (!(m.regs[1] & 0x40)) return LegacyRgb(backdrop);
  int colour = LegacySprite(m, x, line);
  if (!colour) colour = LegacyBackground(m, x, line);
  return LegacyRgb(colour ? colour : backdrop);
}
