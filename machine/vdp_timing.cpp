// The VDP's per-line hooks: frame flag, interrupt line, line counter,
// scroll latches, and the frame boundary where the picture height is chosen.
#include <cstdio>

#include "machine/options.h"
#include "machine/vdp.h"

void VdpSetFrameFlag(VdpState* vdp) {
  vdp->status |= VdpStatusFrame;
}

void VdpLineTick(VdpState* vdp) {
  bool frame_irq = false;
  if (vdp->status & VdpStatusFrame) {
    frame_irq = (vdp->regs[1] & 0x20) != 0;
    VdpSetInterrupt(vdp, frame_irq);
  }
  // Below the picture the scroll values and the line counter reload; the
  // vertical scroll therefore changes only between frames.
  if (vdp->line >= vdp->active_lines && vdp->line != vdp->lines_per_frame - 1) {
    vdp->x_scroll_latch = vdp->regs[8];
    vdp->y_scroll_latch = vdp->regs[9];
    vdp->line_counter = vdp->regs[10];
    return;
  }
  uint8_t old = vdp->line_counter--;
  if (old == 0) {
    vdp->line_counter = vdp->regs[10];
    vdp->line_irq_pending = 1;
  }
  if (vdp->line_irq_pending) {
    if (vdp->regs[0] & 0x10) {
      vdp->x_scroll_latch = vdp->regs[8];
      VdpSetInterrupt(vdp, true);
      return;
    }
    if (!frame_irq) VdpSetInterrupt(vdp, false);
  }
  vdp->x_scroll_latch = vdp->regs[8];
}

bool VdpLineTickAsserts(const VdpState* vdp) {
  if ((vdp->status & VdpStatusFrame) && (vdp->regs[1] & 0x20)) return true;
  if (vdp->line >= vdp->active_lines && vdp->line != vdp->lines_per_frame - 1) return false;
  return (vdp->line_irq_pending || vdp->line_counter == 0) && (vdp->regs[0] & 0x10);
}

// Picture height and name table wrap for the next frame.
static void ChooseFrameMode(VdpState* vdp) {
  bool extended = vdp->regs[0] & 0x02;
  if (extended && (vdp->regs[1] & 0x10)) vdp->active_lines = 224;
  else if (extended && (vdp->regs[1] & 0x08)) vdp->active_lines = 240;
  else vdp->active_lines = 192;
  vdp->name_table_height = (extended && (vdp->regs[1] & 0x18)) ? 256 : 224;
  VdpSelectCounterTable(vdp);
}

void VdpLineEnd(VdpState* vdp) {
  vdp->line++;
  if (vdp->line >= vdp->lines_per_frame) {
    if ((MachineOptions & OptVramAccessWait) && vdp->bad_access_count && VdpMessageHook) {
      char text[80];
      std::snprintf(text, sizeof text, "There were %4d uncorrectly timed VRAM-accesses this frame.",
                    int(vdp->bad_access_count));
      VdpMessageHook(text);
    }
    vdp->line = 0;
    vdp->bad_access_count = 0;
    ChooseFrameMode(vdp);
  }
  if (vdp->line < vdp->active_lines) {
    VdpEvaluateSprites(vdp);
    VdpCheckCollisions(vdp);
  }
  vdp->access_grace = 1;
}
