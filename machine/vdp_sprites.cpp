// Per-line sprite evaluation and the sprite collision test, run at the end
// of the line before the one the sprites are shown on.
#include <cstring>

#include "machine/options.h"
#include "machine/vdp.h"

void VdpEvaluateSprites(VdpState* vdp) {
  VdpMode mode = VdpCurrentMode(vdp);
  if (mode != VdpMode4) {
    vdp->sprite_count = 0;
    VdpEvaluateLegacySprites(vdp, mode);
    return;
  }
  vdp->legacy_sprite_count = 0;
  const uint8_t* regs = vdp->regs;
  const uint8_t* sat = vdp->vram + ((regs[5] & 0x7E) << 7);
  bool tall = regs[1] & 0x02;
  bool zoom = regs[1] & 0x01;
  int height = (tall ? 16 : 8) << (zoom ? 1 : 0);
  int shift = (regs[0] & 0x08) ? 8 : 0;
  int tile_base = (regs[6] & 0x04) ? 256 : 0;
  int line = vdp->line;
  // In the 192-line mode a y of 0xD0 ends the table.
  int entries = VdpMaxSprites;
  if (vdp->active_lines == 192) {
    const void* end = std::memchr(sat, 0xD0, VdpMaxSprites);
    if (end) entries = int(static_cast<const uint8_t*>(end) - sat);
  }
  // Which entries cover this line; y of 0xEF..0xFF place the sprite
  // partly above line 0 (top = y + 1 - 256). Branch-free so it vectorises.
  uint8_t on_line[VdpMaxSprites];
  for (int i = 0; i < VdpMaxSprites; i++) {
    int16_t top = int16_t(sat[i] + 1 - (sat[i] >= 239 ? 256 : 0));
    on_line[i] = uint16_t(int16_t(line) - top) < uint16_t(height);
  }
  int count = 0;
  for (int group = 0; group < entries; group += 8) {
    uint64_t any;
    std::memcpy(&any, on_line + group, 8);
    if (!any) continue;  // most groups of eight have no sprite on this line
    int group_end = group + 8 < entries ? group + 8 : entries;
    for (int i = group; i < group_end; i++) {
      if (!on_line[i]) continue;
      int top = sat[i] + 1;
      if (top >= 240) top -= 256;
      int tile = sat[128 + 2 * i + 1];
      if (tall) tile &= ~1;
      int row = line - top;
      if (zoom) row >>= 1;
      vdp->sprites[count].tile_row = uint16_t((tile_base + tile) * 8 + row);
      vdp->sprites[count].x = uint16_t((sat[128 + 2 * i] - shift) & 0xFF);
      count++;
    }
  }
  // Nine or more sprites on the line overflow, unless the frame flag is up.
  if (count >= 9 && !(vdp->status & VdpStatusFrame)) vdp->status |= VdpStatusOverflow;
  if ((MachineOptions & OptSpriteFlickering) && count > 8) count = 8;
  vdp->sprite_count = uint16_t(count);
}

// The opaque pixels of a tile row as bits, pixel i in bit i; zoomed, each
// pixel covers two bits.
static uint32_t OpaqueMask(const uint8_t* index, bool zoom) {
  uint32_t mask = 0;
  for (int i = 0; i < 8; i++)
    if (index[i]) mask |= zoom ? 3u << (2 * i) : 1u << i;
  return mask;
}

void VdpCheckCollisions(VdpState* vdp) {
  if (VdpCurrentMode(vdp) != VdpMode4) {
    VdpCheckLegacyCollisions(vdp);
    return;
  }
  if (vdp->sprite_count < 2) return;  // nothing to collide with
  // One bit per position x + 8 of the line; zoomed sprites reach 278.
  uint64_t marks[5] = {};
  bool zoom = vdp->regs[1] & 0x01;
  for (int s = vdp->sprite_count - 1; s >= 0; s--) {
    uint64_t mask = OpaqueMask(VdpDecodeTileRow(vdp, vdp->sprites[s].tile_row), zoom);
    if (!mask) continue;
    int p = vdp->sprites[s].x + VdpSurfaceMargin;
    int word = p >> 6, shift = p & 63;
    uint64_t low = mask << shift;
    uint64_t high = shift ? mask >> (64 - shift) : 0;
    // Only a sprite crossing a word boundary has a high part; sprites in the
    // last word (x >= 248) never do, and that word has no successor.
    if ((marks[word] & low) || (high && (marks[word + 1] & high))) {
      vdp->status |= VdpStatusCollision;
      return;
    }
    marks[word] |= low;
    if (high) marks[word + 1] |= high;
  }
}
