// VDP lifecycle: the counter tables, creation, power-on, reset, mode
// changes and the output palette.
#include "machine/vdp.h"

#include <cstdlib>
#include <cstring>

#include "base/pixel_buffer.h"
#include "machine/options.h"

uint8_t VCounterTable[6][313];
uint8_t HCounterTable[228];
void (*VdpMessageHook)(const char* text) = nullptr;

void VdpBuildCounterTables() {
  for (int i = 0; i < 313; i++) {
    auto at = [i](int last_straight) { return uint8_t(i <= last_straight ? i : i - 6); };
    auto pal = [i](int last_straight) { return uint8_t(i <= last_straight ? i : i - 57); };
    VCounterTable[VdpTableNtsc192][i] = at(0xDA);
    VCounterTable[VdpTableNtsc224][i] = at(0xEA);
    VCounterTable[VdpTableNtsc240][i] = uint8_t(i);
    VCounterTable[VdpTablePal192][i] = pal(0xF2);
    VCounterTable[VdpTablePal224][i] = pal(0x102);
    VCounterTable[VdpTablePal240][i] = pal(0x10A);
  }
  // Division truncates toward zero; the byte keeps the result modulo 256.
  for (int p = 0; p < 228; p++) {
    int value;
    if (p <= 16) value = (11 * p) / 15 - 12;
    else if (p <= 212) value = (147 * p - 2646) / 194;
    else value = (10 * p - 2130) / 14 - 23;
    HCounterTable[p] = uint8_t(value);
  }
}

// The V counter table for the line standard and an active line count.
static const uint8_t* CounterTableFor(uint16_t active_lines) {
  int kind = active_lines == 224 ? 1 : active_lines == 240 ? 2 : 0;
  if (MachineOptions & OptPalLines) kind += VdpTablePal192;
  return VCounterTable[kind];
}

void VdpSelectCounterTable(VdpState* vdp) {
  vdp->vcounter_table = CounterTableFor(vdp->active_lines);
}

static uint16_t Colour12(uint16_t w) {
  return uint16_t(((w & 0x00F) << 12) | ((w & 0x0F0) << 3) | ((w & 0xF00) >> 7));
}

// Palette entry `index` (0..31) from its one or two CRAM bytes.
static void SetColour(VdpState* vdp, unsigned index) {
  if (MachineOptions & OptGgPalette)
    vdp->palette[index] = Colour12(uint16_t(vdp->cram[2 * index] | vdp->cram[2 * index + 1] << 8));
  else
    vdp->palette[index] = VdpColourFrom6Bit(vdp->cram[index]);
  vdp->pair_colours_stale = 1;
}

void VdpUpdateColour(VdpState* vdp, unsigned address) {
  SetColour(vdp, (MachineOptions & OptGgPalette) ? (address >> 1) & 0x1F : address & 0x1F);
}

void VdpRebuildPalette(VdpState* vdp) {
  for (unsigned i = 0; i < 32; i++) SetColour(vdp, i);
}

VdpMode VdpCurrentMode(const VdpState* vdp) {
  const uint8_t* regs = vdp->regs;
  if ((regs[0] & 0x04) || vdp->cram_written || (MachineOptions & OptGameGearIo)) return VdpMode4;
  // Where several bits are set, Text wins over Multicolour over Graphics II.
  if (regs[1] & 0x10) return VdpText;
  if (regs[1] & 0x08) return VdpMulticolour;
  if (regs[0] & 0x02) return VdpGraphics2;
  return VdpGraphics1;
}

uint8_t VdpStatusValue(const VdpState* vdp) {
  if (VdpCurrentMode(vdp) == VdpMode4) return vdp->status;
  return uint8_t((vdp->status & 0xE0) | vdp->sprite_number);
}

bool VdpCreate(VdpState* vdp, Machine* machine) {
  VdpBuildCounterTables();
  *vdp = VdpState{};
  vdp->machine = machine;
  vdp->vram = static_cast<uint8_t*>(std::calloc(VdpVramSize, 1));
  vdp->surfaces[0] = CreatePixelBuffer(VdpSurfaceWidth, VdpSurfaceHeight);
  vdp->surfaces[1] = CreatePixelBuffer(VdpSurfaceWidth, VdpSurfaceHeight);
  vdp->draw_surface = vdp->surfaces[0];
  if (!vdp->vram || !vdp->surfaces[0] || !vdp->surfaces[1]) {
    VdpDestroy(vdp);
    return false;
  }
  VdpPowerOn(vdp);
  return true;
}

void VdpDestroy(VdpState* vdp) {
  std::free(vdp->vram);
  vdp->vram = nullptr;
  for (PixelBuffer*& surface : vdp->surfaces) {
    DestroyPixelBuffer(surface);
    surface = nullptr;
  }
  vdp->draw_surface = nullptr;
}

void VdpApplyMode(VdpState* vdp) {
  vdp->cram_mask = (MachineOptions & OptGgPalette) ? 0x3F : 0x1F;
  vdp->lines_per_frame = (MachineOptions & OptPalLines) ? 313 : 262;
  vdp->frames_per_second = (MachineOptions & OptNtscRate) ? 60 : 50;
  VdpSelectCounterTable(vdp);
  VdpRebuildPalette(vdp);
  if (vdp->line >= vdp->lines_per_frame) vdp->line = uint16_t(vdp->lines_per_frame - 1);
}

void VdpReset(VdpState* vdp) {
  vdp->active_lines = 192;
  VdpApplyMode(vdp);
  vdp->line = 0;
  vdp->line_irq_pending = 0;
  vdp->display_off = 0;
  vdp->x_scroll_latch = vdp->y_scroll_latch = 0;
  vdp->gg_cram_latch = 0;
  vdp->first_byte = 0;
  vdp->latch = 0;
  vdp->read_buffer = 0;
  vdp->address = 0;
  vdp->bad_access_count = 0;
  vdp->last_access_pos = 0;
  vdp->access_grace = 0;
  vdp->sprite_count = 0;
  vdp->legacy_sprite_count = 0;
  vdp->sprite_number = VdpLegacySprites - 1;  // nothing looked at: as after a full scan
  vdp->name_table_height = 224;
  vdp->code = VdpCodeVramWrite;
  vdp->line_counter = 1;
  vdp->status = 0x1F;
  std::memset(vdp->regs, 0, sizeof vdp->regs);
  vdp->regs[2] = 0x0E;
  vdp->regs[5] = 0x7E;
  vdp->regs[6] = 0xFF;
  vdp->regs[10] = 1;
}

void VdpPowerOn(VdpState* vdp) {
  for (PixelBuffer* surface : vdp->surfaces) ClearPixelBuffer(surface);
  if (vdp->vram) std::memset(vdp->vram, 0, VdpVramSize);
  std::memset(vdp->cram, 0, sizeof vdp->cram);
  vdp->cram_written = 0;
  std::memset(vdp->palette, 0, sizeof vdp->palette);
  vdp->pair_colours_stale = 1;
  std::memset(vdp->tile_dirty, 1, sizeof vdp->tile_dirty);
  VdpReset(vdp);
}
