// What recording the rewind ring adds to a frame, and what it keeps in
// memory. Headless-style frames (rendered, with sound, samples read) of a
// few cartridges: the project's demo and, when present, shared homebrew
// games, with the pads pressed in a fixed pattern so that the games play
// rather than wait on their titles.
//
// BM_Record_Interleaved: 100 frames without recording and 100 with, in
// turn, so that a busy machine slows both alike; the counters are processor
// microseconds per frame, the share recording adds, and the ring's memory
// once it holds 20 seconds (1200 frames at 60 per second) with the packed
// bytes per frame. BM_StepBack: one frame back (a delta applied, the state
// installed and the frames from it run again), as the rewind key does each
// pass. BM_BuildImage and BM_PackDelta: the two halves of recording an image.
#include <benchmark/benchmark.h>

#include <time.h>

#include <string>

#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"
#include "record/rewind.h"
#include "record/save_state.h"
#include "record/state_delta.h"

namespace {

const char* const Cartridges[] = {
    TAVO_ROM_DIR "/demo.sms",
    TAVO_SHARED_DIR "/roms/astroswab.sms",
    TAVO_SHARED_DIR "/roms/silvervalley.sms",
    TAVO_SHARED_DIR "/roms/lostraider.sms",
};

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Button 1 now and then and the pad swinging left and right.
void Pads(long frame) {
  uint16_t word = (frame / 90) % 2 ? PadRight : PadLeft;
  if (frame % 60 < 6) word |= PadButton1;
  if (frame % 600 < 4) word |= PadStart | PadButton2;
  ControllerInput[0] = word;
  ControllerInput[1] = 0;
}

bool Start(const char* path) {
  MachineOptions = OptInitial;
  ResetRewind();
  if (!CreateConsoles() || !LoadCartridge(path)) return false;
  HardResetConsole();
  return true;
}

void Frame(long frame, bool record) {
  static uint8_t samples[882 * 4];
  Pads(frame);
  if (record) RecordRewindFrame(true);
  RunConsoleFrame(true, true);
  ReadSoundSamples(samples, uint32_t(SamplesPerFrame) * 4);
}

std::string Label(const char* path) {
  const std::string p = path;
  return p.substr(p.rfind('/') + 1);
}

void BM_Record_Interleaved(benchmark::State& state) {
  const char* path = Cartridges[state.range(0)];
  if (!Start(path)) {
    state.SkipWithError("no cartridge");
    return;
  }
  double seconds[2] = {0, 0};
  long frame = 0, timed = 0;
  size_t memory_20s = 0;
  for (auto _ : state) {
    for (int record = 0; record < 2; record++) {
      // The ring must hold every frame run: a plain stretch breaks it.
      if (!record) ClearRewind();
      const double start = ThreadSeconds();
      for (int i = 0; i < 100; i++) Frame(frame++, record);
      seconds[record] += ThreadSeconds() - start;
    }
    timed += 100;
  }
  // The memory of 20 seconds, from where the timing left the game.
  ClearRewind();
  for (int i = 0; i <= 1200; i++) Frame(frame++, true);
  memory_20s = RewindMemoryUsed();
  state.counters["plain_us"] = seconds[0] / double(timed) * 1e6;
  state.counters["record_us"] = seconds[1] / double(timed) * 1e6;
  state.counters["added_pct"] = (seconds[1] / seconds[0] - 1) * 100;
  state.counters["mib_20s"] = double(memory_20s) / (1 << 20);
  state.counters["bytes_per_frame"] = double(memory_20s) / 1200;
  state.SetLabel(Label(path));
  ResetRewind();
  DestroyConsoles();
}

void BM_StepBack(benchmark::State& state) {
  const char* path = Cartridges[state.range(0)];
  if (!Start(path)) {
    state.SkipWithError("no cartridge");
    return;
  }
  long frame = 0;
  for (auto _ : state) {
    if (RewindFramesKept() == 0) {
      state.PauseTiming();
      for (int i = 0; i < 1200; i++) Frame(frame++, true);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(RewindFrames(1));
  }
  state.SetLabel(Label(path));
  ResetRewind();
  DestroyConsoles();
}

// The two halves of recording an image, on a game running: building the
// state image, and packing its delta to the image of the frame before.
void BM_BuildImage(benchmark::State& state) {
  if (!Start(Cartridges[0])) {
    state.SkipWithError("no cartridge");
    return;
  }
  for (int i = 0; i < 600; i++) Frame(i, false);
  std::vector<uint8_t> image;
  for (auto _ : state) {
    BuildStateImage(&image);
    benchmark::DoNotOptimize(image.data());
  }
  DestroyConsoles();
}

void BM_PackDelta(benchmark::State& state) {
  if (!Start(Cartridges[0])) {
    state.SkipWithError("no cartridge");
    return;
  }
  std::vector<uint8_t> before, after, delta;
  for (int i = 0; i < 600; i++) Frame(i, false);
  BuildStateImage(&before);
  Frame(600, false);
  BuildStateImage(&after);
  for (auto _ : state) {
    delta.clear();
    PackStateDelta(after.data(), before.data(), after.size(), &delta);
    benchmark::DoNotOptimize(delta.data());
  }
  state.counters["delta_bytes"] = double(delta.size());
  DestroyConsoles();
}

}  // namespace

BENCHMARK(BM_Record_Interleaved)->DenseRange(0, 3)->MinTime(3.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepBack)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildImage);
BENCHMARK(BM_PackDelta);
