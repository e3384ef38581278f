// Z80 core speed on the instruction exercisers, in emulated T-states per
// second (items_per_second), in the budgets the machine hands the core
// beside one large budget, so that the cost of entering and leaving the
// core shows as the difference of each pair: 114 T-states (the mean of the
// 171 + 57 of a scanline), the 171/57 pair itself, and 1 M T-states.
// The slice benchmarks run 200 M T-states of one exerciser per iteration,
// carrying on where the last one stopped; the whole ones run ZEXDOC and
// then ZEXALL to their ends once (about 93.5 G T-states, a minute or so).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "z80/cpm_harness.h"

namespace {

constexpr int64_t kSlice = 200 * 1000 * 1000;  // T-states per iteration
constexpr int32_t kLarge = 1 << 20;

std::string Exerciser(const char* name) { return std::string(TAVO_SHARED_DIR) + "/z80/" + name; }

void RunSlices(benchmark::State& state, const char* name, int32_t slice_a, int32_t slice_b,
               bool calls = false) {
  const std::string path = Exerciser(name);
  static CpmMachine machine;
  if (!std::filesystem::exists(path) || !machine.Load(path)) {
    state.SkipWithError("the exerciser is absent");
    return;
  }
  int64_t total = 0;
  for (auto _ : state) {
    if (machine.finished) machine.Load(path);
    total += machine.Run(kSlice, slice_a, slice_b, calls);
  }
  state.SetItemsProcessed(total);
}

// ZEXDOC and ZEXALL to the end, in budgets of one size.
void RunWhole(benchmark::State& state, int32_t budget) {
  static CpmMachine machine;
  int64_t total = 0;
  for (auto _ : state) {
    for (const char* name : {"zexdoc.com", "zexall.com"}) {
      if (!machine.Load(Exerciser(name))) {
        state.SkipWithError("the exercisers are absent");
        return;
      }
      total += machine.Run(INT64_C(200) * 1000 * 1000 * 1000, budget, budget);
      if (!machine.finished) state.SkipWithError("an exerciser did not end");
    }
  }
  state.SetItemsProcessed(total);
}

}  // namespace

BENCHMARK_CAPTURE(RunSlices, zexdoc_114, "zexdoc.com", 114, 114)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_large, "zexdoc.com", kLarge, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_114_calls, "zexdoc.com", 114, 114, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_scanline, "zexdoc.com", 171, 57)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexall_114, "zexall.com", 114, 114)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexall_large, "zexall.com", kLarge, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunWhole, zex_whole_114, 114)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(RunWhole, zex_whole_large, kLarge)->Iterations(1)->Unit(benchmark::kSecond);
