// The legacy TMS9918 display modes: the Graphics I, Graphics II, Multicolour
// and Text backgrounds over the backdrop, and the one-colour sprites on top,
// one line at a time in the 16 fixed colours.
#include <array>
#include <cstring>

#include "machine/vdp.h"

namespace {

// The fixed colours in RGB565, converted like every colour RAM entry.
constexpr std::array<uint16_t, 16> LegacyRgb = [] {
  std::array<uint16_t, 16> rgb{};
  for (int i = 0; i < 16; i++) rgb[size_t(i)] = VdpColourFrom6Bit(VdpLegacyColours[i]);
  return rgb;
}();

// Four pixels as one word, the leftmost in the low 16 bits: all-ones lanes
// where the nibble has a bit set, its bit 3 being the leftmost pixel.
constexpr std::array<uint64_t, 16> NibbleLanes = [] {
  std::array<uint64_t, 16> lanes{};
  for (int n = 0; n < 16; n++)
    for (int i = 0; i < 4; i++)
      if (n & (8 >> i)) lanes[size_t(n)] |= uint64_t(0xFFFF) << (16 * i);
  return lanes;
}();

inline uint64_t Spread(uint16_t colour) {
  return colour * 0x0001000100010001ull;
}

inline void FillPixels(uint16_t* dest, int count, uint16_t colour) {
  uint64_t four = Spread(colour);
  for (int i = 0; i < count; i += 4) std::memcpy(dest + i, &four, 8);
}

// Eight pixels of a pattern byte, the leftmost from bit 7: `fg` where a bit
// is set, `bg` where it is clear.
inline void PatternPixels(uint16_t* dest, uint8_t pattern, uint16_t fg, uint16_t bg) {
  uint64_t b = Spread(bg), differ = Spread(fg) ^ b;
  uint64_t left = b ^ (differ & NibbleLanes[pattern >> 4]);
  uint64_t right = b ^ (differ & NibbleLanes[pattern & 15]);
  std::memcpy(dest, &left, 8);
  std::memcpy(dest + 4, &right, 8);
}

struct LegacyLine {
  const uint8_t* vram;
  const uint8_t* regs;
  int line;              // 0..191
  uint16_t colours[16];  // the fixed colours, 0 (transparent) showing the backdrop
  uint16_t* picture;     // picture x 0
};

// Graphics I: 32 x 24 patterns, one colour pair per group of 8 patterns.
void DrawGraphics1(const LegacyLine& l) {
  const uint8_t* names = l.vram + ((l.regs[2] & 0x0F) << 10) + 32 * (l.line >> 3);
  const uint8_t* colours = l.vram + (l.regs[3] << 6);
  const uint8_t* patterns = l.vram + ((l.regs[4] & 0x07) << 11) + (l.line & 7);
  for (int column = 0; column < 32; column++) {
    int name = names[column];
    uint8_t colour = colours[name >> 3];
    PatternPixels(l.picture + 8 * column, patterns[8 * name], l.colours[colour >> 4], l.colours[colour & 15]);
  }
}

// Graphics II: each third of the screen has its own 256 patterns, and every
// pattern row its own colour pair. Register 3 bit 7 and register 4 bit 2
// place the colour and pattern tables; their lower bits are masks on the
// table index, so that small values make the thirds share patterns.
void DrawGraphics2(const LegacyLine& l) {
  const uint8_t* names = l.vram + ((l.regs[2] & 0x0F) << 10) + 32 * (l.line >> 3);
  int colour_base = (l.regs[3] & 0x80) << 6;
  int colour_mask = ((l.regs[3] & 0x7F) << 6) | 0x3F;
  int pattern_base = (l.regs[4] & 0x04) << 11;
  int pattern_mask = ((l.regs[4] & 0x03) << 11) | 0x7FF;
  int third = (l.line >> 6) << 11;  // 256 patterns of 8 rows per third
  for (int column = 0; column < 32; column++) {
    int index = third | names[column] << 3 | (l.line & 7);
    uint8_t colour = l.vram[colour_base | (index & colour_mask)];
    uint8_t pattern = l.vram[pattern_base | (index & pattern_mask)];
    PatternPixels(l.picture + 8 * column, pattern, l.colours[colour >> 4], l.colours[colour & 15]);
  }
}

// Multicolour: blocks of 4 x 4 pixels. Each name's pattern gives two colours
// per byte (left in the high nibble); the name row picks which byte pair.
void DrawMulticolour(const LegacyLine& l) {
  const uint8_t* names = l.vram + ((l.regs[2] & 0x0F) << 10) + 32 * (l.line >> 3);
  const uint8_t* patterns = l.vram + ((l.regs[4] & 0x07) << 11) + 2 * ((l.line >> 3) & 3) + ((l.line >> 2) & 1);
  for (int column = 0; column < 32; column++) {
    uint8_t colour = patterns[8 * names[column]];
    PatternPixels(l.picture + 8 * column, 0xF0, l.colours[colour >> 4], l.colours[colour & 15]);
  }
}

// Text: 40 x 24 patterns of 6 x 8 pixels (the top 6 bits of each byte) in
// the two colours of register 7, with an 8-pixel backdrop border each side.
void DrawText(const LegacyLine& l) {
  const uint8_t* names = l.vram + ((l.regs[2] & 0x0F) << 10) + 40 * (l.line >> 3);
  const uint8_t* patterns = l.vram + ((l.regs[4] & 0x07) << 11) + (l.line & 7);
  uint16_t fg = l.colours[l.regs[7] >> 4], bg = l.colours[l.regs[7] & 15];
  FillPixels(l.picture, 8, bg);
  // Each pattern writes 8 pixels; the next one covers the 2 beyond its 6.
  for (int column = 0; column < 40; column++)
    PatternPixels(l.picture + 8 + 6 * column, patterns[8 * names[column]] & 0xFC, fg, bg);
  FillPixels(l.picture + 248, 8, bg);
}

using BackgroundDrawer = void (*)(const LegacyLine&);
// By VdpMode; mode 4 is drawn elsewhere.
constexpr BackgroundDrawer Backgrounds[] = {nullptr, DrawGraphics1, DrawGraphics2, DrawMulticolour, DrawText};

// The line's sprites from the last to the first, so that a lower number
// shows in front. Colour 0 is transparent.
void DrawSprites(const VdpState* vdp, uint16_t* picture) {
  int magnified = vdp->regs[1] & 0x01;
  int width = ((vdp->regs[1] & 0x02) ? 16 : 8) << magnified;
  for (int s = vdp->legacy_sprite_count - 1; s >= 0; s--) {
    const VdpLegacySprite& sprite = vdp->legacy_sprites[s];
    if (!sprite.colour || !sprite.bits) continue;
    uint16_t colour = LegacyRgb[sprite.colour];
    int first = sprite.x < 0 ? -sprite.x : 0;
    int last = 256 - sprite.x < width ? 256 - sprite.x : width;
    for (int i = first; i < last; i++)
      if (sprite.bits & (0x8000 >> (i >> magnified))) picture[sprite.x + i] = colour;
  }
}

}  // namespace

void VdpRenderLegacyLine(VdpState* vdp, VdpMode mode, uint16_t* picture) {
  uint16_t backdrop = LegacyRgb[vdp->regs[7] & 0x0F];
  // Below the 24 rows (an extended height the mode bits chose) is border.
  if (vdp->display_off || vdp->line >= VdpLegacyLines) {
    FillPixels(picture, 256, backdrop);
    return;
  }
  LegacyLine line;
  line.vram = vdp->vram;
  line.regs = vdp->regs;
  line.line = vdp->line;
  std::memcpy(line.colours, LegacyRgb.data(), sizeof line.colours);
  line.colours[0] = backdrop;
  line.picture = picture;
  Backgrounds[mode](line);
  if (vdp->legacy_sprite_count) DrawSprites(vdp, picture);
}
