// Per-line sprite evaluation and the sprite collision test, run at the end
// of the line before the one the sprites are shown on.
#include <cstring>

#include "machine/options.h"
#include "machine/vdp.h"

void VdpEvaluateSprites(VdpState* vdp) {
  const uint8_t* regs = vdp->regs;
  const uint8_t* sat = vdp->vram + ((regs[5] & 0x7E) << 7);
  bool tall = regs[1] & 0x02;
  bool zoom = regs[1] & 0x01;
  int height = (tall ? 16 : 8) << (zoom ? 1 : 0);
  int shift = (regs[0] & 0x08) ? 8 : 0;
  int tile_base = (regs[6] & 0x04) ? 256 : 0;
  int line = vdp->line;
  int count = 0;
  for (int i = 0; i < VdpMaxSprites; i++) {
    int y = sat[i];
    if (y == 0xD0 && vdp->active_lines == 192) break;  // end marker in the 192-line mode only
    int top = y + 1;
    if (top >= 240) top -= 256;  // partly above line 0
    if (line >= top && line < top + height) {
      int tile = sat[128 + 2 * i + 1];
      if (tall) tile &= ~1;
      int row = line - top;
      if (zoom) row >>= 1;
      vdp->sprites[count].tile_row = uint16_t((tile_base + tile) * 8 + row);
      vdp->sprites[count].x = uint16_t((sat[128 + 2 * i] - shift) & 0xFF);
      count++;
    }
    if (count >= 9 && !(vdp->status & VdpStatusFrame)) vdp->status |= VdpStatusOverflow;
  }
  if ((MachineOptions & OptSpriteFlickering) && count > 8) count = 8;
  vdp->sprite_count = uint16_t(count);
}

void VdpCheckCollisions(VdpState* vdp) {
  uint8_t* marks = vdp->collision_line;
  std::memset(marks, 0, sizeof vdp->collision_line);
  bool zoom = vdp->regs[1] & 0x01;
  for (int s = vdp->sprite_count - 1; s >= 0; s--) {
    const uint8_t* index = VdpDecodeTileRow(vdp, vdp->sprites[s].tile_row);
    int p = vdp->sprites[s].x + VdpSurfaceMargin;
    for (int j = 0; j < 8; j++) {
      if (!index[j]) continue;
      int first = zoom ? p + 2 * j : p + j;
      int last = zoom ? first + 1 : first;
      for (int at = first; at <= last; at++) {
        if (marks[at]) {
          vdp->status |= VdpStatusCollision;
          return;
        }
      }
      for (int at = first; at <= last; at++) marks[at] = 1;
    }
  }
}
