// The renderer: one line of background and sprites into the drawn surface,
// from tile rows decoded once per VRAM change and a palette converted on
// CRAM writes. Pixels are stored two at a time as 32-bit words.
#include <cstring>

#include "base/pixel_buffer.h"
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

// A decoded tile row as one word: pixel i in byte i. Reversing the bytes
// flips the row horizontally.
inline uint64_t RowWord(VdpState* vdp, int row) {
  row &= VdpTileRows - 1;
  if (vdp->tile_dirty[row]) VdpDecodeTileRow(vdp, row);
  uint64_t word;
  std::memcpy(&word, vdp->tile_rows[row], 8);
  return word;
}

inline uint64_t Flipped(uint64_t word, bool flip) {
  return flip ? __builtin_bswap64(word) : word;
}

// Every combination of two colour indices as a pair of colours, rebuilt
// lazily after palette changes.
void BuildPairColours(VdpState* vdp) {
  for (int half = 0; half < 2; half++) {
    const uint16_t* palette = vdp->palette + 16 * half;
    for (int code = 0; code < 256; code++) vdp->pair_colours[half][code] = Pair(palette[code & 15], palette[code >> 4]);
  }
  vdp->pair_colours_stale = 0;
}

// Eight opaque pixels of tile row `row` as four pairs, with the flip and
// palette bits of a name table entry's high byte; needs fresh pair colours.
inline void RowPairs(VdpState* vdp, int row, uint8_t attributes, uint32_t* pairs) {
  if (vdp->tile_dirty[row]) VdpDecodeTileRow(vdp, row);
  uint32_t codes = vdp->tile_pairs[row][(attributes & EntryHFlip) ? 1 : 0];
  const uint32_t* colours = vdp->pair_colours[(attributes & EntryPalette) ? 1 : 0];
  pairs[0] = colours[codes & 0xFF];
  pairs[1] = colours[(codes >> 8) & 0xFF];
  pairs[2] = colours[(codes >> 16) & 0xFF];
  pairs[3] = colours[codes >> 24];
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

// One column of the first pass; `visible` is below 8 only at the right
// edge of the surface.
inline void DrawColumn(LineContext& line, const uint8_t* entry, int x, int fine_row, int visible) {
  uint8_t attributes = entry[1];
  int row = (entry[0] | (attributes & 1) << 8) * 8 + ((attributes & EntryVFlip) ? 7 - fine_row : fine_row);
  if (attributes & EntryPriority) line.priority[line.priority_count++] = {x, row, attributes};
  uint32_t pairs[4];
  RowPairs(line.vdp, row, attributes, pairs);
  if (visible == 8) std::memcpy(line.picture + x, pairs, sizeof pairs);
  else std::memcpy(line.picture + x, pairs, size_t(visible) * 2);
}

// First pass over `count` columns, every tile opaque. A priority tile is
// meant to show its colour 0 under the sprites and its other pixels above
// them; drawing it whole now and redrawing its opaque pixels after the
// sprites gives the same picture, and the redraw is needed only where a
// sprite actually drew.
void DrawColumns(LineContext& line, int count, int first_column, int first_x, int base,
                 int tile_row, int fine_row) {
  // A name table row never crosses the end of VRAM: the highest base is
  // 0x3800 and a row ends 64 bytes on.
  const uint8_t* names = line.vdp->vram + ((base + 64 * tile_row) & 0x3FC0);
  int whole = (PictureLimit - first_x) / 8;  // columns that fit entirely
  if (whole > count) whole = count;
  int k = 0;
  for (; k < whole; k++) DrawColumn(line, names + 2 * ((first_column + k) & 31), first_x + 8 * k, fine_row, 8);
  for (; k < count; k++) {
    int x = first_x + 8 * k;
    if (x >= PictureLimit) break;
    DrawColumn(line, names + 2 * ((first_column + k) & 31), x, fine_row, PictureLimit - x);
  }
}

// Returns the 8-pixel cells (picture x / 8) the sprites drew into.
uint64_t DrawSprites(LineContext& line) {
  VdpState* vdp = line.vdp;
  const uint16_t* palette = vdp->palette + 16;
  bool zoom = vdp->regs[1] & 0x01;
  int width = zoom ? 16 : 8;
  uint64_t cells = 0;
  for (int s = vdp->sprite_count - 1; s >= 0; s--) {
    uint64_t word = RowWord(vdp, vdp->sprites[s].tile_row);
    if (!word) continue;
    int x = vdp->sprites[s].x;
    for (int cell = x >> 3; cell <= (x + width - 1) >> 3; cell++) cells |= uint64_t(1) << cell;
    uint16_t* dest = line.picture + x;
    if (!zoom) {
      int visible = PictureLimit - x < 8 ? PictureLimit - x : 8;
      for (int i = 0; i < visible; i++, word >>= 8)
        if (word & 0xFF) dest[i] = palette[word & 0xFF];
    } else {
      int visible = PictureLimit - x < 16 ? PictureLimit - x : 16;
      for (int i = 0; i < visible; i += 2, word >>= 8) {
        if (!(word & 0xFF)) continue;
        dest[i] = palette[word & 0xFF];
        if (i + 1 < visible) dest[i + 1] = palette[word & 0xFF];
      }
    }
  }
  return cells;
}

void DrawPriorityColumns(LineContext& line, uint64_t sprite_cells) {
  VdpState* vdp = line.vdp;
  for (int c = 0; c < line.priority_count; c++) {
    const PriorityColumn& column = line.priority[c];
    uint64_t covered = (uint64_t(1) << (column.x >> 3)) | (uint64_t(1) << ((column.x + 7) >> 3));
    if (!(covered & sprite_cells)) continue;
    uint64_t word = Flipped(RowWord(vdp, column.tile_row), column.attributes & EntryHFlip);
    if (!word) continue;
    const uint16_t* palette = vdp->palette + ((column.attributes & EntryPalette) ? 16 : 0);
    int visible = PictureLimit - column.x < 8 ? PictureLimit - column.x : 8;
    uint16_t* dest = line.picture + column.x;
    for (int i = 0; i < visible; i++, word >>= 8)
      if (word & 0xFF) dest[i] = palette[word & 0xFF];
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
    uint32_t plain = 0, flipped = 0;
    for (int k = 0; k < 4; k++) {
      plain |= uint32_t(decoded[2 * k] | decoded[2 * k + 1] << 4) << (8 * k);
      flipped |= uint32_t(decoded[7 - 2 * k] | decoded[6 - 2 * k] << 4) << (8 * k);
    }
    vdp->tile_pairs[row][0] = plain;
    vdp->tile_pairs[row][1] = flipped;
  }
  return decoded;
}

void VdpDrawTileRow(VdpState* vdp, int row, uint8_t attributes, uint16_t* dest) {
  if (vdp->pair_colours_stale) BuildPairColours(vdp);
  uint32_t pairs[4];
  RowPairs(vdp, row & (VdpTileRows - 1), attributes, pairs);
  std::memcpy(dest, pairs, sizeof pairs);
}

void VdpTileRowIndices(VdpState* vdp, int row, uint8_t attributes, uint8_t* indices) {
  const uint8_t* index = VdpDecodeTileRow(vdp, row);
  uint8_t select = (attributes & EntryPalette) ? 16 : 0;
  bool flip = attributes & EntryHFlip;
  for (int i = 0; i < 8; i++) indices[i] = uint8_t(select + index[flip ? 7 - i : i]);
}

void VdpRenderLine(VdpState* vdp) {
  PixelBuffer* surface = vdp->draw_surface;
  int y = vdp->line;
  if (!surface || !surface->pixels || y >= VdpSurfaceHeight) return;
  const uint8_t* regs = vdp->regs;
  LineContext line;
  line.vdp = vdp;
  line.picture = reinterpret_cast<uint16_t*>(surface->pixels + size_t(y) * surface->pitch) + VdpSurfaceMargin;
  line.priority_count = 0;

  vdp->display_off = !(regs[1] & 0x40);
  VdpMode mode = VdpCurrentMode(vdp);
  if (mode != VdpMode4) {
    VdpRenderLegacyLine(vdp, mode, line.picture);
    return;
  }
  if (vdp->pair_colours_stale) BuildPairColours(vdp);
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
  if (vdp->sprite_count) DrawPriorityColumns(line, DrawSprites(line));
  if (regs[0] & 0x20) FillPairs(line.picture, 8, 0);
}

VdpWindow VdpVisibleWindow(const VdpState* vdp) {
  PixelBuffer* finished = vdp->draw_surface == vdp->surfaces[0] ? vdp->surfaces[1] : vdp->surfaces[0];
  if (MachineOptions & OptGgScreen)
    return {56, (vdp->active_lines - 144) / 2, 160, 144, finished, vdp->draw_surface};
  return {VdpSurfaceMargin, 0, 256, vdp->active_lines, finished, vdp->draw_surface};
}

void VdpSwapSurfaces(VdpState* vdp) {
  vdp->draw_surface = vdp->draw_surface == vdp->surfaces[0] ? vdp->surfaces[1] : vdp->surfaces[0];
}
