// What VGM logging adds to a frame: whole rendered frames with sound of a
// cartridge that keeps the sound chip busy, without logging, logging once
// per frame and logging every line (sample accurate). Items are frames.
// The cartridge is the first shared homebrew game with music when present
// (astroswab), else the project's VGM test tune. BM_LineHook times the
// scheduler's line hook by itself for one frame's 262 lines (argument: the
// logging mode as above).
#include <benchmark/benchmark.h>

#include <time.h>

#include <string>

#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "record/vgm_logger.h"

namespace {

std::string Cartridge() {
  std::string shared = TAVO_SHARED_DIR "/roms/astroswab.sms";
  if (FILE* f = std::fopen(shared.c_str(), "rb")) {
    std::fclose(f);
    return shared;
  }
  return TAVO_ROM_DIR "/vgm_tune.sms";
}

bool Start() {
  MachineOptions = OptInitial;
  if (!CreateConsoles() || !LoadCartridge(Cartridge().c_str())) return false;
  HardResetConsole();
  for (int i = 0; i < 300; i++) RunConsoleFrame(false, true);  // past the title's silence
  return true;
}

void StartLog(int mode) {
  ResetVgmLogger();
  if (mode == 0) return;
  SampleAccurate = mode == 2;
  StartVgmLog();
}

// mode 0: no logging; 1: once per frame; 2: every line.
void Run(benchmark::State& state, int mode) {
  if (!Start()) {
    state.SkipWithError("no cartridge");
    return;
  }
  StartLog(mode);
  uint8_t samples[882 * 4];
  long frames = 0;
  for (auto _ : state) {
    RunConsoleFrame(true, true);
    ReadSoundSamples(samples, uint32_t(SamplesPerFrame) * 4);
    // A fresh log now and then keeps memory flat over long runs.
    if (++frames % 20000 == 0) {
      state.PauseTiming();
      StartLog(mode);
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(Cartridge().substr(Cartridge().rfind('/') + 1));
  ResetVgmLogger();
  DestroyConsoles();
}

// The thread's own processor time, which other programs on a busy machine
// do not add to.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The three modes in turn, 100 frames each, so that a busy machine slows
// them alike; the counters are processor microseconds per frame and the
// share logging adds.
void BM_Frame_Interleaved(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("no cartridge");
    return;
  }
  uint8_t samples[882 * 4];
  double seconds[3] = {0, 0, 0};
  long frames = 0;
  for (auto _ : state) {
    for (int mode = 0; mode < 3; mode++) {
      StartLog(mode);
      double start = ThreadSeconds();
      for (int i = 0; i < 100; i++) {
        RunConsoleFrame(true, true);
        ReadSoundSamples(samples, uint32_t(SamplesPerFrame) * 4);
      }
      seconds[mode] += ThreadSeconds() - start;
    }
    frames += 100;
  }
  ResetVgmLogger();
  DestroyConsoles();
  if (frames == 0) return;
  for (int mode = 0; mode < 3; mode++) {
    static const char* const names[3] = {"no_log_us", "log_us", "sample_accurate_us"};
    state.counters[names[mode]] = seconds[mode] / double(frames) * 1e6;
  }
  state.counters["log_added_pct"] = (seconds[1] / seconds[0] - 1) * 100;
  state.counters["sample_accurate_added_pct"] = (seconds[2] / seconds[0] - 1) * 100;
}

// The line hook alone, 262 calls (one NTSC frame) per iteration, on the
// chip as the cartridge left it.
void BM_LineHook(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("no cartridge");
    return;
  }
  const int mode = int(state.range(0));
  StartLog(mode);
  long frames = 0;
  for (auto _ : state) {
    for (int line = 0; line < 262; line++) {
      PrimaryMachine.Vdp.line = uint16_t(line);
      if (LineEndHook) LineEndHook();
    }
    if (++frames % 20000 == 0) {
      state.PauseTiming();
      StartLog(mode);
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
  ResetVgmLogger();
  DestroyConsoles();
}

void BM_Frame_NoLog(benchmark::State& state) { Run(state, 0); }
void BM_Frame_VgmLog(benchmark::State& state) { Run(state, 1); }
void BM_Frame_VgmLogSampleAccurate(benchmark::State& state) { Run(state, 2); }

}  // namespace

BENCHMARK(BM_Frame_Interleaved)->MinTime(5.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineHook)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_Frame_NoLog)->MinTime(2.0);
BENCHMARK(BM_Frame_VgmLog)->MinTime(2.0);
BENCHMARK(BM_Frame_VgmLogSampleAccurate)->MinTime(2.0);
