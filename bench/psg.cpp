// PSG synthesis speed: one NTSC frame per iteration (262 line steps, the
// frame end and the render) with all four channels sounding and a few
// register writes per frame, as a game's sound driver makes them.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "machine/options.h"
#include "machine/psg.h"

static void BM_PsgFrameAllChannels(benchmark::State& state) {
  MachineOptions = (OptInitial | OptNtscRate) & ~OptPalLines;
  PsgResetSettings();
  auto psg = std::make_unique<PsgState>();
  PsgInit(psg.get(), 3584160);
  PsgReset(psg.get());
  const uint8_t setup[] = {0x8E, 0x0F, 0xA5, 0x0A, 0xC3, 0x05, 0x90, 0xB2, 0xD4, 0xE4, 0xF1};
  for (uint8_t b : setup) PsgWrite(psg.get(), b);
  std::vector<uint8_t> sink(735 * 4);
  uint32_t frame = 0;
  for (auto _ : state) {
    for (int line = 0; line < 262; line++) {
      if (line % 64 == 0) {  // a melody line changing pitch and volume
        uint8_t n = uint8_t(frame + line);
        PsgWrite(psg.get(), uint8_t(0x80 | (n & 0x0F)));
        PsgWrite(psg.get(), uint8_t(0x08 + (n & 0x1F)));
        PsgWrite(psg.get(), uint8_t(0xB0 | (n & 3)));
      }
      PsgLineTick(psg.get(), true);
    }
    PsgFrameEnd(psg.get(), true);
    PsgReadSamples(psg.get(), sink.data(), uint32_t(sink.size()));
    benchmark::DoNotOptimize(sink.data());
    frame++;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PsgFrameAllChannels);
