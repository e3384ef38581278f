// Full 192-line frames of a busy screen: every tile different, flips,
// palette select and priority in the name table, 64 sprites spread over
// the picture. Each frame evaluates the sprites of every line, tests their
// collisions and draws the line, as the frame scheduler does. The legacy
// frame is Graphics II from random tables with 32 magnified 16 x 16
// sprites, all shown (no four-per-line limit).
#include <benchmark/benchmark.h>

#include <memory>

#include "machine/machine.h"
#include "machine/options.h"
#include "machine/vdp.h"

namespace {

void WriteByte(VdpState* vdp, uint16_t address, uint8_t value) {
  VdpWriteControl(vdp, uint8_t(address));
  VdpWriteControl(vdp, uint8_t(VdpCodeVramWrite | (address >> 8)));
  VdpWriteData(vdp, value);
}

void LoadBusyScreen(VdpState* vdp) {
  uint32_t seed = 1;
  auto random = [&seed]() { seed = seed * 1103515245u + 12345u; return uint8_t(seed >> 16); };
  for (int a = 0; a < 0x3800; a++) WriteByte(vdp, uint16_t(a), random());
  for (int i = 0; i < 32 * 28; i++) {  // name table at 0x3800
    int tile = i % 448;
    WriteByte(vdp, uint16_t(0x3800 + 2 * i), uint8_t(tile));
    WriteByte(vdp, uint16_t(0x3801 + 2 * i), uint8_t((tile >> 8) | (random() & 0x1E)));
  }
  for (int i = 0; i < 64; i++) {  // sprite table at 0x3F00
    WriteByte(vdp, uint16_t(0x3F00 + i), uint8_t(i * 3));
    WriteByte(vdp, uint16_t(0x3F80 + 2 * i), uint8_t(i * 37));
    WriteByte(vdp, uint16_t(0x3F81 + 2 * i), uint8_t(i * 2));
  }
  VdpWriteControl(vdp, 0);
  VdpWriteControl(vdp, VdpCodeCram);
  for (int i = 0; i < 32; i++) VdpWriteData(vdp, uint8_t(i * 13 + 5));
  const uint8_t regs[][2] = {{0, 0x00}, {1, 0x40}, {6, 0xFB}, {8, 0x05}};
  for (auto [reg, value] : regs) {
    VdpWriteControl(vdp, value);
    VdpWriteControl(vdp, uint8_t(0x80 | reg));
  }
  vdp->x_scroll_latch = 0x05;
  vdp->y_scroll_latch = 0x13;
}

// Graphics II, every table random; the colour RAM stays unwritten.
void LoadBusyLegacyScreen(VdpState* vdp) {
  uint32_t seed = 7;
  auto random = [&seed]() { seed = seed * 1103515245u + 12345u; return uint8_t(seed >> 16); };
  for (int a = 0; a < 0x4000; a++) WriteByte(vdp, uint16_t(a), random());
  for (int i = 0; i < 32; i++) {  // sprite table at 0x3F00, patterns at 0x1800
    WriteByte(vdp, uint16_t(0x3F00 + 4 * i), uint8_t(i * 6));
    WriteByte(vdp, uint16_t(0x3F01 + 4 * i), uint8_t(i * 37));
    WriteByte(vdp, uint16_t(0x3F03 + 4 * i), uint8_t(1 + i % 15));
  }
  const uint8_t regs[][2] = {{0, 0x02}, {1, 0xC3}, {2, 0x0E}, {3, 0xFF}, {4, 0x03}, {5, 0x7E}, {6, 0x03}, {7, 0x04}};
  for (auto [reg, value] : regs) {
    VdpWriteControl(vdp, value);
    VdpWriteControl(vdp, uint8_t(0x80 | reg));
  }
}

void RenderFrames(benchmark::State& state, uint32_t options, void (*load)(VdpState*)) {
  MachineOptions = options;
  auto machine = std::make_unique<Machine>();
  VdpState* vdp = &machine->Vdp;
  if (!VdpCreate(vdp, machine.get())) {
    state.SkipWithError("no memory for the VDP");
    return;
  }
  load(vdp);
  for (auto _ : state) {
    for (int line = 0; line < 192; line++) {
      vdp->line = uint16_t(line);
      VdpEvaluateSprites(vdp);
      VdpCheckCollisions(vdp);
      VdpRenderLine(vdp);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  VdpDestroy(vdp);
}

void BM_RenderBusyFrame(benchmark::State& state) {
  RenderFrames(state, OptMasterSystemGroup | OptNtscRate, LoadBusyScreen);
}
BENCHMARK(BM_RenderBusyFrame);

void BM_RenderBusyLegacyFrame(benchmark::State& state) {
  RenderFrames(state, OptMasterSystemGroup | OptNtscRate, LoadBusyLegacyScreen);
}
BENCHMARK(BM_RenderBusyLegacyFrame);

}  // namespace
