// Frames per second of the machine on a busy program (the mapper test
// cartridge's main loop with the frame interrupt on), with and without
// rendering. Items are frames.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

std::vector<uint8_t> Image;
uint8_t BenchCartRam[2][CartRamSize];

bool StartBusyCartridge(uint32_t options) {
  std::string path = std::string(TAVO_ROM_DIR) + "/machine_banks.sms";
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  Image.assign(0x20000 + 3, 0);
  size_t got = std::fread(Image.data(), 1, 0x20000, file);
  std::fclose(file);
  if (got != 0x20000) return false;
  std::memcpy(Image.data() + 0x20000, Image.data(), 3);
  CartImage = Image.data();
  CartSize = 0x20000;
  CartBanks = 8;
  MachineOptions = options;
  if (!CreateMachines()) return false;
  PrimaryMachine.CartRam = BenchCartRam[0];
  PartnerMachine.CartRam = BenchCartRam[1];
  SetupTiming(&PrimaryMachine);
  SetupTiming(&PartnerMachine);
  HardReset(&PrimaryMachine);
  HardReset(&PartnerMachine);
  return true;
}

void Run(benchmark::State& state, uint32_t options, bool render) {
  if (!StartBusyCartridge(options)) {
    state.SkipWithError("machine_banks.sms is missing");
    return;
  }
  for (auto _ : state) RunFrame(&PrimaryMachine, render, render);
  state.SetItemsProcessed(state.iterations());
}

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;

void BM_RunFrame_Ntsc(benchmark::State& state) { Run(state, Sms, false); }
void BM_RunFrame_Pal(benchmark::State& state) { Run(state, (Sms & ~OptNtscRate) | OptPalLines, false); }
void BM_RunFrame_NtscRendered(benchmark::State& state) { Run(state, Sms, true); }
void BM_RunFrame_Linked(benchmark::State& state) { Run(state, OptInitial | OptLink, false); }

}  // namespace

BENCHMARK(BM_RunFrame_Ntsc);
BENCHMARK(BM_RunFrame_Pal);
BENCHMARK(BM_RunFrame_NtscRendered);
BENCHMARK(BM_RunFrame_Linked);
