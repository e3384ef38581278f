// The renderer: one line of background and sprites into the drawn surface,
// from tile rows decoded once per VRAM change and a palette converted on
// CRAM writes. Pixels are stored two at a time as 32-bit words.
#include <cstring>

#include "lumo/surface.h"
#include "machine/options.h"
#include "machine/vdp.h"

namespace {

// Picture pixels 0..263 fit in the surface row (8-pixel margins each side);
// anything further right would spill into the next row and is clipped.
constexpr int PictureLimit = VdpSurfaceWidth - VdpSurfaceMargin;

// Name table entry high-byte bits.
constexpr uint8_t EntryHFlip = 0x02;
constexpr uint8_t EntryVFlip = 0x04;
constexpr uint8_t EntryPalette = 0x08;
constexpr uint8_t EntryPriority = 0x10;

inline uint32_t Pair(uint16_t left, uint16_t right) {
  return uint32_t(left) | uint32_t(right) << 16;
}

inline void FillPairs(uint16_t* dest, int pixels, uint16_t colour) {
  uint32_t pair = Pair(colour, colour);
  for (int i = 0; i < pixels; i += 2) std::memcpy(dest + i, &pair, 4);
}

// Eight opaque pixels of one tile row, horizontally flipped on request.
inline void RowColours(const uint16_t* palette, const uint8_t* index, bool flip, uint32_t* pairs) {
  if (flip) {
    for (int k = 0; k < 4; k++) pairs[k] = Pair(palette[index[7 - 2 * k]], palette[index[6 - 2 * k]]);
  } else {
    for (int k = 0; k < 4; k++) pairs[k] = Pair(palette[index[2 * k]], palette[index[2 * k + 1]]);
  }
}

// A background column waiting for the priority pass.
struct PriorityColumn {
  int x;          // picture x
  int tile_row;   // decoded row index
  uint8_t attributes;
};

struct LineContext {
  VdpState* vdp;
  uint16_t* picture;  // picture x 0 of the line
  PriorityColumn priority[33];
  int priority_count;
};

inline int TileRowOf(uint16_t entry, int fine_row) {
  int tile = entry & 0x1FF;
  uint8_t attributes = uint8_t(entry >> 8);
  return tile * 8 + ((attributes & EntryVFlip) ? 7 - fine_row : fine_row);
}

// First pass over `count` columns: plain tiles opaque, priority tiles as
// their colour 0 (redrawn after the sprites).
void DrawColumns(LineContext& line, int count, int first_column, int first_x, int base,
                 int tile_row, int fine_row) {
  VdpState* vdp = line.vdp;
  const uint8_t* vram = vdp->vram;
  for (int k = 0; k < count; k++) {
    int x = first_x + 8 * k;
    if (x >= PictureLimit) break;
    int column = (first_column + k) & 31;
    int at = (base + 2 * (32 * tile_row + column)) & 0x3FFF;
    uint16_t entry = uint16_t(vram[at] | vram[(at + 1) & 0x3FFF] << 8);
    uint8_t attributes = uint8_t(entry >> 8);
    const uint16_t* palette = vdp->palette + ((attributes & EntryPalette) ? 16 : 0);
    int row = TileRowOf(entry, fine_row);
    uint32_t pairs[4];
    if (attributes & EntryPriority) {
      line.priority[line.priority_count++] = {x, row, attributes};
      for (uint32_t& pair : pairs) pair = Pair(palette[0], palette[0]);
    } else {
      RowColours(palette, VdpDecodeTileRow(vdp, row), attributes & EntryHFlip, pairs);
    }
    int visible = PictureLimit - x < 8 ? PictureLimit - x : 8;
    std::memcpy(line.picture + x, pairs, size_t(visible) * 2);
  }
}

void DrawSprites(LineContext& line) {
  VdpState* vdp = line.vdp;
  const uint16_t* palette = vdp->palette + 16;
  bool zoom = vdp->regs[1] & 0x01;
  for (int s = vdp->sprite_count - 1; s >= 0; s--) {
    const uint8_t* index = VdpDecodeTileRow(vdp, vdp->sprites[s].tile_row);
    int x = vdp->sprites[s].x;
    uint16_t* dest = line.picture + x;
    if (!zoom) {
      int visible = PictureLimit - x < 8 ? PictureLimit - x : 8;
      for (int i = 0; i < visible; i++)
        if (index[i]) dest[i] = palette[index[i]];
    } else {
      int visible = PictureLimit - x < 16 ? PictureLimit - x : 16;
      for (int i = 0; i < visible; i++)
        if (index[i >> 1]) dest[i] = palette[index[i >> 1]];
    }
  }
}

void DrawPriorityColumns(LineContext& line) {
  VdpState* vdp = line.vdp;
  for (int c = 0; c < line.priority_count; c++) {
    const PriorityColumn& column = line.priority[c];
    uint8_t indices[8];
    VdpTileRowIndices(vdp, column.tile_row, column.attributes, indices);
    int visible = PictureLimit - column.x < 8 ? PictureLimit - column.x : 8;
    uint16_t* dest = line.picture + column.x;
    for (int i = 0; i < visible; i++)
      if (indices[i] & 15) dest[i] = vdp->palette[indices[i]];
  }
}

}  // namespace

const uint8_t* VdpDecodeTileRow(VdpState* vdp, int row) {
  row &= VdpTileRows - 1;
  uint8_t* decoded = vdp->tile_rows[row];
  if (vdp->tile_dirty[row]) {
    vdp->tile_dirty[row] = 0;
    const uint8_t* bytes = vdp->vram + 4 * row;
    for (int i = 0; i < 8; i++) {
      int bit = 7 - i;
      decoded[i] = uint8_t(((bytes[0] >> bit) & 1) | ((bytes[1] >> bit) & 1) << 1 |
                           ((bytes[2] >> bit) & 1) << 2 | ((bytes[3] >> bit) & 1) << 3);
    }
  }
  return decoded;
}

void VdpDrawTileRow(VdpState* vdp, int row, uint8_t attributes, uint16_t* dest) {
  const uint16_t* palette = vdp->palette + ((attributes & EntryPalette) ? 16 : 0);
  uint32_t pairs[4];
  RowColours(palette, VdpDecodeTileRow(vdp, row), attributes & EntryHFlip, pairs);
  std::memcpy(dest, pairs, sizeof pairs);
}

void VdpTileRowIndices(VdpState* vdp, int row, uint8_t attributes, uint8_t* indices) {
  const uint8_t* index = VdpDecodeTileRow(vdp, row);
  uint8_t select = (attributes & EntryPalette) ? 16 : 0;
  bool flip = attributes & EntryHFlip;
  for (int i = 0; i < 8; i++) indices[i] = uint8_t(select + index[flip ? 7 - i : i]);
}

void VdpRenderLine(VdpState* vdp) {
  Surface* surface = vdp->draw_surface;
  int y = vdp->line;
  if (!surface || !surface->pixels || y >= VdpSurfaceHeight) return;
  const uint8_t* regs = vdp->regs;
  LineContext line;
  line.vdp = vdp;
  line.picture = reinterpret_cast<uint16_t*>(surface->pixels + size_t(y) * surface->pitch) + VdpSurfaceMargin;
  line.priority_count = 0;

  vdp->display_off = !(regs[1] & 0x40);
  if (vdp->display_off) {
    FillPairs(line.picture, 256, vdp->palette[16 + (regs[7] & 0x0F)]);
    return;
  }

  int first_column = (32 - (vdp->x_scroll_latch >> 3)) & 31;
  int first_x = vdp->x_scroll_latch & 7;
  int v = (vdp->y_scroll_latch + y) % vdp->name_table_height;
  if ((regs[0] & 0x40) && y < 16) first_column = first_x = 0;  // status bar rows stay put
  int base = vdp->active_lines == 192 ? (regs[2] & 0x0E) << 10 : ((regs[2] & 0x0C) << 10) + 0x700;
  bool locked_right = regs[0] & 0x80;
  int scrolled = locked_right ? 24 : 32;

  // The strip left of a fine-scrolled first tile would otherwise keep an
  // earlier frame's pixels.
  if (MachineOptions & OptSmsScreen) FillPairs(line.picture, 8, vdp->palette[0]);

  DrawColumns(line, scrolled, first_column, first_x, base, v >> 3, v & 7);
  if (locked_right)  // the right-hand columns ignore the vertical scroll
    DrawColumns(line, 33 - scrolled, first_column + 24, first_x + 192, base, y >> 3, y & 7);
  DrawSprites(line);
  DrawPriorityColumns(line);
  if (regs[0] & 0x20) FillPairs(line.picture, 8, 0);
}

VdpWindow VdpVisibleWindow(const VdpState* vdp) {
  Surface* finished = vdp->draw_surface == vdp->surfaces[0] ? vdp->surfaces[1] : vdp->surfaces[0];
  if (MachineOptions & OptGgScreen)
    return {56, (vdp->active_lines - 144) / 2, 160, 144, finished, vdp->draw_surface};
  return {VdpSurfaceMargin, 0, 256, vdp->active_lines, finished, vdp->draw_surface};
}

void VdpSwapSurfaces(VdpState* vdp) {
  vdp->draw_surface = vdp->draw_surface == vdp->surfaces[0] ? vdp->surfaces[1] : vdp->surfaces[0];
}
