// Z80 core speed on ZEXDOC, in emulated T-states per second
// (items_per_second). Each iteration runs a fixed slice of the exerciser,
// carrying on from where the previous one stopped and reloading the program
// when it ends.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "z80/cpm_harness.h"

namespace {

constexpr int64_t kSlice = 200 * 1000 * 1000;  // T-states per iteration

void RunZexdoc(benchmark::State& state, int32_t slice_a, int32_t slice_b) {
  std::string path = std::string(TAVO_SHARED_DIR) + "/z80/zexdoc.com";
  static CpmMachine machine;
  if (!std::filesystem::exists(path) || !machine.Load(path)) {
    state.SkipWithError("zexdoc.com is absent");
    return;
  }
  int64_t total = 0;
  for (auto _ : state) {
    if (machine.finished) machine.Load(path);
    total += machine.Run(kSlice, slice_a, slice_b);
  }
  state.SetItemsProcessed(total);
}

// Budgets of 171 and 57 T-states in turn, as the machine runs a scanline.
void BM_Z80_zexdoc_scanline(benchmark::State& state) { RunZexdoc(state, 171, 57); }
// One large budget per call: the interpreter loop alone.
void BM_Z80_zexdoc_large(benchmark::State& state) { RunZexdoc(state, 1 << 20, 1 << 20); }

}  // namespace

BENCHMARK(BM_Z80_zexdoc_scanline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Z80_zexdoc_large)->Unit(benchmark::kMillisecond);
