// Sprites of the legacy modes: the per-line scan of the 32-entry table with
// its four-sprite limit, the fifth-sprite flag and number, and the collision
// test, run at the end of the line before the one the sprites are shown on.
#include "machine/options.h"
#include "machine/vdp.h"

namespace {
constexpr uint8_t EndMarker = 0xD0;  // a y of 0xD0 ends the table
constexpr uint8_t EarlyClock = 0x80; // colour byte: x moved 32 pixels left
constexpr int LineLimit = 4;         // sprites the hardware shows per line
}  // namespace

void VdpEvaluateLegacySprites(VdpState* vdp, VdpMode mode) {
  vdp->legacy_sprite_count = 0;
  const uint8_t* regs = vdp->regs;
  int line = vdp->line;
  // No sprites in Text mode. As in mode 4, the table is scanned whether the
  // display is on or not.
  if (mode == VdpText || line >= VdpLegacyLines) return;
  const uint8_t* table = vdp->vram + ((regs[5] & 0x7F) << 7);
  const uint8_t* patterns = vdp->vram + ((regs[6] & 0x07) << 11);
  bool large = regs[1] & 0x02;
  int magnified = regs[1] & 0x01;
  int height = (large ? 16 : 8) << magnified;
  // The limit option keeps the hardware's four; without it every sprite on
  // the line is shown, while the flag and number still report the fifth.
  int shown = (MachineOptions & OptSpriteFlickering) ? LineLimit : VdpLegacySprites;
  int on_line = 0, fifth = -1, i = 0;
  for (; i < VdpLegacySprites; i++) {
    const uint8_t* entry = table + 4 * i;
    if (entry[0] == EndMarker) break;
    // The sprite starts on line y + 1, counted modulo 256, so that y of
    // 0xE1 and above place it partly above line 0.
    int row = uint8_t(line - entry[0] - 1);
    if (row >= height) continue;
    if (++on_line == LineLimit + 1) {
      fifth = i;
      if (shown == LineLimit) break;
    }
    row >>= magnified;
    // A 16 x 16 sprite is four patterns: left column n, n + 1; right n + 2, n + 3.
    const uint8_t* pattern = patterns + 8 * (large ? entry[2] & 0xFC : entry[2]) + row;
    VdpLegacySprite& sprite = vdp->legacy_sprites[vdp->legacy_sprite_count++];
    sprite.x = int16_t(entry[1] - ((entry[3] & EarlyClock) ? 32 : 0));
    sprite.bits = uint16_t(pattern[0] << 8 | (large ? pattern[16] : 0));
    sprite.colour = entry[3] & 0x0F;
  }
  // The number holds the fifth sprite, else where the scan stopped; it and
  // the flag stay put from a fifth sprite until the status is read. As in
  // mode 4, the flag is not raised while the frame flag is up.
  if (vdp->status & VdpStatusOverflow) return;
  vdp->sprite_number = uint8_t(fifth >= 0 ? fifth : i < VdpLegacySprites ? i : VdpLegacySprites - 1);
  if (fifth >= 0 && !(vdp->status & VdpStatusFrame)) vdp->status |= VdpStatusOverflow;
}

void VdpCheckLegacyCollisions(VdpState* vdp) {
  if (vdp->legacy_sprite_count < 2) return;
  int magnified = vdp->regs[1] & 0x01;
  // One bit per picture x; only pixels on the picture collide.
  uint64_t marks[4] = {};
  for (int s = 0; s < vdp->legacy_sprite_count; s++) {
    const VdpLegacySprite& sprite = vdp->legacy_sprites[s];
    uint64_t mask = 0;  // pixel j of the sprite in bit j
    for (int j = 0; j < 16; j++)
      if (sprite.bits & (0x8000 >> j)) mask |= (magnified ? 3ull : 1ull) << (j << magnified);
    if (!mask) continue;
    int x = sprite.x;
    if (x < 0) {
      mask >>= -x;
      x = 0;
    }
    int word = x >> 6, shift = x & 63;
    uint64_t low = mask << shift;
    uint64_t high = (shift && word < 3) ? mask >> (64 - shift) : 0;
    if ((marks[word] & low) || (high && (marks[word + 1] & high))) {
      vdp->status |= VdpStatusCollision;
      return;
    }
    marks[word] |= low;
    if (high) marks[word + 1] |= high;
  }
}
