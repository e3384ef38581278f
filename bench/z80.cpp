// Z80 core speed on the instruction exercisers, in emulated T-states per
// second (items_per_second), in the budgets the machine hands the core
// beside one large budget, so that the cost of entering and leaving the
// core shows as the difference of each pair: 114 T-states (the mean of the
// 171 + 57 of a scanline), the 171/57 pair itself, and 1 M T-states.
// The slice benchmarks run 200 M T-states of one exerciser per iteration,
// carrying on where the last one stopped; the whole ones run ZEXDOC and
// then ZEXALL to their ends once (about 93.5 G T-states, a minute or so).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <vector>

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

// The floor of a budget end: the core checks its budget after every
// instruction, and the instruction that spends it falls at no pattern a
// branch predictor can learn, so every budget end pays at least one
// mispredicted branch. This times that branch on the host: one pass over
// bytes whose branch is taken at random about once in 25 (the instructions
// of a 114-T budget), one over the same bytes sorted, which take it as
// often but all in one run. The difference per taken branch is the cost of
// one miss (ns_per_miss). (Taken exactly every 25th pass the branch misses
// as often as at random: a period that long is beyond the predictor too.)
void BranchMiss(benchmark::State& state) {
  constexpr int kCount = 1 << 22;
  static std::vector<uint8_t> random(kCount), sorted(kCount);
  uint32_t seed = 1;
  int taken = 0;
  for (int i = 0; i < kCount; i++) {
    seed = seed * 1103515245u + 12345u;
    random[i] = (seed >> 16) % 25 == 0;
    taken += random[i];
  }
  for (int i = 0; i < kCount; i++) sorted[i] = i < taken;
  auto pass = [](const std::vector<uint8_t>& bytes) {
    int count = 0;
    for (uint8_t b : bytes)
      if (b) {
        asm volatile("");
        count++;
      }
    return count;
  };
  double missing = 0, predicted = 0;  // nanoseconds of each kind of pass
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(pass(random));
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(pass(sorted));
    auto t2 = std::chrono::steady_clock::now();
    missing += std::chrono::duration<double, std::nano>(t1 - t0).count();
    predicted += std::chrono::duration<double, std::nano>(t2 - t1).count();
  }
  state.counters["random_ns"] = missing / (double(kCount) * double(state.iterations()));
  state.counters["sorted_ns"] = predicted / (double(kCount) * double(state.iterations()));
  state.counters["ns_per_miss"] = (missing - predicted) / (double(taken) * double(state.iterations()));
}

}  // namespace

BENCHMARK(BranchMiss)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_114, "zexdoc.com", 114, 114)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_large, "zexdoc.com", kLarge, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_114_calls, "zexdoc.com", 114, 114, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexdoc_scanline, "zexdoc.com", 171, 57)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexall_114, "zexall.com", 114, 114)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSlices, zexall_large, "zexall.com", kLarge, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunWhole, zex_whole_114, 114)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(RunWhole, zex_whole_large, kLarge)->Iterations(1)->Unit(benchmark::kSecond);
