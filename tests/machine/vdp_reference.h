// A deliberately plain model of the VDP picture for the tests: one pixel at
// a time, straight from VRAM, CRAM and the registers, sharing no code with
// the renderer. It answers what the console shows at (x, line).
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "machine/options.h"
#include "machine/vdp.h"

struct ReferenceVdp {
  const uint8_t* vram;
  const uint8_t* cram;
  uint8_t regs[16];
  uint8_t x_scroll, y_scroll;
  int active_lines;
  uint32_t options;
};

// The model's inputs as a VDP holds them, under the current options.
inline ReferenceVdp ReferenceOf(const VdpState& vdp) {
  ReferenceVdp r{};
  r.vram = vdp.vram;
  r.cram = vdp.cram;
  std::memcpy(r.regs, vdp.regs, 16);
  r.x_scroll = vdp.regs[8];
  r.y_scroll = vdp.regs[9];
  r.active_lines = vdp.active_lines;
  r.options = MachineOptions;
  return r;
}

inline uint16_t ReferenceColour(const ReferenceVdp& v, int index) {
  if (v.options & OptGgPalette) {
    int w = v.cram[2 * index] | v.cram[2 * index + 1] << 8;
    int r = w & 15, g = (w >> 4) & 15, b = (w >> 8) & 15;
    return uint16_t((r << 12) | (g << 7) | (b << 1));  // 4 bits at the top of each field
  }
  int c = v.cram[index];
  int r = c & 3, g = (c >> 2) & 3, b = (c >> 4) & 3;
  return uint16_t((r << 14) | (g << 9) | (b << 3));
}

inline int ReferenceTilePixel(const ReferenceVdp& v, int tile, int row, int column) {
  const uint8_t* p = v.vram + ((tile * 32 + row * 4) & 0x3FFF);
  int bit = 7 - column;
  return ((p[0] >> bit) & 1) + 2 * ((p[1] >> bit) & 1) + 4 * ((p[2] >> bit) & 1) + 8 * ((p[3] >> bit) & 1);
}

struct ReferenceSprite {
  int x, tile_row_base;  // x after the shift; tile number * 8 + row
};

// Sprites on `line`, in table order, limited to 8 with flickering.
inline std::vector<ReferenceSprite> ReferenceSprites(const ReferenceVdp& v, int line) {
  std::vector<ReferenceSprite> list;
  int sat = (v.regs[5] & 0x7E) * 128;
  bool tall = v.regs[1] & 2, zoom = v.regs[1] & 1;
  int height = tall ? 16 : 8;
  if (zoom) height *= 2;
  for (int i = 0; i < 64; i++) {
    int y = v.vram[sat + i];
    if (y == 0xD0 && v.active_lines == 192) break;
    int top = y + 1 >= 240 ? y + 1 - 256 : y + 1;
    if (line < top || line >= top + height) continue;
    int tile = v.vram[sat + 128 + 2 * i + 1];
    if (tall) tile &= 0xFE;
    if (v.regs[6] & 4) tile += 256;
    int row = zoom ? (line - top) / 2 : line - top;
    int x = v.vram[sat + 128 + 2 * i] - ((v.regs[0] & 8) ? 8 : 0);
    if (x < 0) x += 256;
    list.push_back({x, tile * 8 + row});
  }
  if ((v.options & OptSpriteFlickering) && list.size() > 8) list.resize(8);
  return list;
}

constexpr int ReferenceDontCare = -1;

// The RGB565 colour at picture (x, line), or ReferenceDontCare where the
// surface keeps whatever an earlier frame left (the strip left of a
// fine-scrolled first tile without the Master System screen option).
inline int ReferencePixel(const ReferenceVdp& v, int x, int line) {
  if (!(v.regs[1] & 0x40)) return ReferenceColour(v, 16 + (v.regs[7] & 15));
  if ((v.regs[0] & 0x20) && x < 8) return 0;
  int hs = ((v.regs[0] & 0x40) && line < 16) ? 0 : v.x_scroll;
  int fine = hs & 7;
  int background = ReferenceDontCare;
  bool background_wins = false;
  if (x < fine) {
    if (v.options & OptSmsScreen) background = ReferenceColour(v, 0);
  } else {
    bool locked = (v.regs[0] & 0x80) && x - fine >= 192;
    int nt_height = ((v.regs[0] & 2) && (v.regs[1] & 0x18)) ? 256 : 224;
    int vy = locked ? line : (line + v.y_scroll) % nt_height;
    int column = ((x - hs) & 255) >> 3;
    int base = v.active_lines == 192 ? (v.regs[2] & 0x0E) * 1024 : (v.regs[2] & 0x0C) * 1024 + 0x700;
    int at = (base + 64 * (vy >> 3) + 2 * column) & 0x3FFF;
    int entry = v.vram[at] | v.vram[(at + 1) & 0x3FFF] << 8;
    int tile = entry & 0x1FF;
    int row = (entry & 0x400) ? 7 - (vy & 7) : (vy & 7);
    int px = (x - hs) & 7;
    if (entry & 0x200) px = 7 - px;
    int index = ReferenceTilePixel(v, tile, row, px);
    background = ReferenceColour(v, ((entry & 0x800) ? 16 : 0) + index);
    background_wins = (entry & 0x1000) && index != 0;
  }
  if (background_wins) return background;
  bool zoom = v.regs[1] & 1;
  for (const ReferenceSprite& s : ReferenceSprites(v, line)) {
    int j = x - s.x;
    if (zoom) j = j >= 0 ? j / 2 : -1;
    if (j < 0 || j > 7) continue;
    int sprite_index = ReferenceTilePixel(v, s.tile_row_base / 8, s.tile_row_base % 8, j);
    if (sprite_index) return ReferenceColour(v, 16 + sprite_index);
  }
  return background;
}
