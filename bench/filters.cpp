// The presenter's filters on a 256 x 192 picture: Double, Bilinear,
// M-Eagle and the motion blur, each over the demo cartridge's title scene
// (a real game picture) and over a picture of small few-colour tiles, where
// M-Eagle's rules fire most. Target: at least 5000 pictures per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "lumo/filters.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/vdp.h"

namespace {

constexpr int Width = 256, Height = 192;

// The demo cartridge's picture after two seconds; empty when it cannot run.
std::vector<uint16_t> DemoPicture() {
  std::vector<uint16_t> picture;
  MachineOptions = OptInitial;
  if (!CreateConsoles()) return picture;
  if (LoadCartridge(TAVO_ROM_DIR "/demo.sms")) {
    HardResetConsole();
    for (int frame = 0; frame < 120; frame++) RunConsoleFrame(true, false);
    const VdpWindow window = VdpVisibleWindow(&PrimaryMachine.Vdp);
    const PixelBuffer* screen = window.finished;
    if (screen && window.width >= Width && window.height >= Height) {
      picture.resize(size_t(Width) * Height);
      for (int y = 0; y < Height; y++)
        std::memcpy(&picture[size_t(y) * Width],
                    screen->pixels + (window.y + y) * screen->pitch + window.x * 2, Width * 2);
    }
  }
  DestroyConsoles();
  return picture;
}

// 8 x 8 tiles, each a diagonal, a blob or a plain block in two or three
// colours.
std::vector<uint16_t> TilePicture() {
  const uint16_t colours[4] = {0x0000, 0xFFFF, 0x07E0, 0xF81F};
  std::vector<uint16_t> picture(size_t(Width) * Height);
  uint32_t seed = 12345;
  for (int ty = 0; ty < Height / 8; ty++) {
    for (int tx = 0; tx < Width / 8; tx++) {
      seed = seed * 1103515245u + 12345u;
      const int kind = int(seed >> 16) % 3;
      const uint16_t back = colours[(seed >> 20) & 3], fore = colours[(seed >> 24) & 3];
      for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) {
          bool on = kind == 0 ? x == y : kind == 1 ? (x - 4) * (x - 4) + (y - 4) * (y - 4) < 9 : false;
          picture[size_t(ty * 8 + y) * Width + tx * 8 + x] = on ? fore : back;
        }
      }
    }
  }
  return picture;
}

void RunFilter(benchmark::State& state, void (*filter)(const Picture16&, Picture16&)) {
  std::vector<uint16_t> pixels = state.range(0) == 0 ? DemoPicture() : TilePicture();
  if (pixels.empty()) {
    state.SkipWithError("the demo cartridge did not run");
    return;
  }
  std::vector<uint16_t> out(size_t(4) * Width * Height);
  const Picture16 source{pixels.data(), Width, Width, Height};
  Picture16 target{out.data(), 2 * Width, 2 * Width, 2 * Height};
  for (auto _ : state) {
    filter(source, target);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());  // pictures
  state.SetLabel(state.range(0) == 0 ? "demo picture" : "few-colour tiles");
}

void BM_Double(benchmark::State& state) { RunFilter(state, ScaleDouble); }
void BM_Bilinear(benchmark::State& state) { RunFilter(state, ScaleBilinear); }
void BM_MEagle(benchmark::State& state) { RunFilter(state, ScaleMEagle); }

void BM_MotionBlur(benchmark::State& state) {
  std::vector<uint16_t> shown = TilePicture(), other = DemoPicture(), blur(shown.size());
  if (other.empty()) other = shown;
  for (auto _ : state) {
    BlurRows(blur.data(), shown.data(), other.data(), int(blur.size()));
    benchmark::DoNotOptimize(blur.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Double)->Arg(0)->Arg(1);
BENCHMARK(BM_Bilinear)->Arg(0)->Arg(1);
BENCHMARK(BM_MEagle)->Arg(0)->Arg(1);
BENCHMARK(BM_MotionBlur);

}  // namespace
