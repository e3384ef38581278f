// The VDP's block in a save state: 16740 bytes, little-endian, no gaps.
#include <cstring>

#include "machine/vdp.h"

namespace {
constexpr int RegistersAt = VdpVramSize + 64;
constexpr int CountersAt = RegistersAt + 16;
}  // namespace

void VdpWriteStateBlock(const VdpState* vdp, uint8_t* block) {
  std::memcpy(block, vdp->vram, VdpVramSize);
  std::memset(block + VdpVramSize, 0, VdpStateBlockSize - VdpVramSize);
  std::memcpy(block + VdpVramSize, vdp->cram, 64);
  std::memcpy(block + RegistersAt, vdp->regs, 16);
  uint8_t* p = block + CountersAt;
  auto put16 = [&p](uint16_t v) { *p++ = uint8_t(v); *p++ = uint8_t(v >> 8); };
  put16(vdp->active_lines);
  put16(vdp->line);
  put16(vdp->name_table_height);
  *p++ = vdp->x_scroll_latch;
  *p++ = vdp->y_scroll_latch;
  *p++ = vdp->display_off;
  *p++ = VdpStatusValue(vdp);  // a legacy mode keeps its sprite number in bits 0-4
  *p++ = 0;
  *p++ = vdp->code;
  *p++ = vdp->latch;
  *p++ = vdp->first_byte;
  *p++ = vdp->gg_cram_latch;
  *p++ = vdp->read_buffer;
  *p++ = vdp->line_counter;
  put16(vdp->address);
  *p++ = vdp->line_irq_pending;
  // 256 reserved zero bytes follow.
}

bool VdpReadStateBlock(VdpState* vdp, const uint8_t* block) {
  const uint8_t* p = block + CountersAt;
  auto get16 = [&p]() { uint16_t v = uint16_t(p[0] | p[1] << 8); p += 2; return v; };
  uint16_t active_lines = get16();
  uint16_t line = get16();
  uint16_t name_table_height = get16();
  // Values the hardware cannot hold would index past the counter tables or
  // divide by zero in the renderer: refuse the block and keep the VDP as it is.
  if (active_lines != 192 && active_lines != 224 && active_lines != 240) return false;
  if (line >= vdp->lines_per_frame) return false;
  if (name_table_height != 224 && name_table_height != 256) return false;

  std::memcpy(vdp->vram, block, VdpVramSize);
  std::memcpy(vdp->cram, block + VdpVramSize, 64);
  std::memcpy(vdp->regs, block + RegistersAt, 16);
  vdp->active_lines = active_lines;
  vdp->line = line;
  vdp->name_table_height = name_table_height;
  vdp->x_scroll_latch = *p++;
  vdp->y_scroll_latch = *p++;
  vdp->display_off = *p++;
  vdp->sprite_number = *p & 0x1F;
  vdp->status = *p++ | 0x1F;  // bits 0-4 always read as 1 in mode 4
  p++;
  vdp->code = *p++ & 0xC0;
  vdp->latch = *p++ ? 1 : 0;
  vdp->first_byte = *p++;
  vdp->gg_cram_latch = *p++;
  vdp->read_buffer = *p++;
  vdp->line_counter = *p++;
  vdp->address = get16();
  vdp->line_irq_pending = *p++ ? 1 : 0;

  vdp->sprite_count = 0;
  vdp->legacy_sprite_count = 0;
  // Whether the program had loaded colours is not in the block; a colour RAM
  // that is not all zero says it had.
  vdp->cram_written = 0;
  for (uint8_t byte : vdp->cram) vdp->cram_written |= byte ? 1 : 0;
  VdpSelectCounterTable(vdp);
  VdpRebuildPalette(vdp);
  std::memset(vdp->tile_dirty, 1, sizeof vdp->tile_dirty);
  return true;
}

bool VdpSaveState(const VdpState* vdp, FILE* file) {
  static uint8_t block[VdpStateBlockSize];
  VdpWriteStateBlock(vdp, block);
  return std::fwrite(block, 1, VdpStateBlockSize, file) == size_t(VdpStateBlockSize);
}

bool VdpLoadState(VdpState* vdp, FILE* file) {
  static uint8_t block[VdpStateBlockSize];
  if (std::fread(block, 1, VdpStateBlockSize, file) != size_t(VdpStateBlockSize)) return false;
  return VdpReadStateBlock(vdp, block);
}
