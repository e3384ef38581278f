// Frames per second of the machine on a busy program (the mapper test
// cartridge's main loop with the frame interrupt on), with and without
// rendering, and with sound from the PSG alone or with the FM unit's nine
// channels sounding too. Items are frames.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"

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

void Run(benchmark::State& state, uint32_t options, bool render, bool sound) {
  if (!StartBusyCartridge(options)) {
    state.SkipWithError("machine_banks.sms is missing");
    return;
  }
  if (options & OptFmUnit) {
    // Nine notes of the piano, both chips heard.
    for (int c = 0; c < 9; c++) {
      const uint8_t writes[][2] = {{uint8_t(0x30 + c), 0x30}, {uint8_t(0x10 + c), uint8_t(0x40 + 16 * c)},
                                   {uint8_t(0x20 + c), 0x37}};
      for (const auto& w : writes) PortOut(&PrimaryMachine, 0xF0, w[0]), PortOut(&PrimaryMachine, 0xF1, w[1]);
    }
    PortOut(&PrimaryMachine, 0xF2, 0x03);
  }
  for (auto _ : state) RunFrame(&PrimaryMachine, render, sound);
  state.SetItemsProcessed(state.iterations());
}

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;

void BM_RunFrame_Ntsc(benchmark::State& state) { Run(state, Sms, false, false); }
void BM_RunFrame_Pal(benchmark::State& state) { Run(state, (Sms & ~OptNtscRate) | OptPalLines, false, false); }
void BM_RunFrame_NtscRendered(benchmark::State& state) { Run(state, Sms, true, true); }
void BM_RunFrame_Linked(benchmark::State& state) { Run(state, OptInitial | OptLink, false, false); }
void BM_RunFrame_NtscSound(benchmark::State& state) { Run(state, Sms, false, true); }
void BM_RunFrame_NtscFm(benchmark::State& state) { Run(state, Sms | OptFmUnit, false, true); }
void BM_RunFrame_NtscRenderedFm(benchmark::State& state) { Run(state, Sms | OptFmUnit, true, true); }

}  // namespace

BENCHMARK(BM_RunFrame_Ntsc);
BENCHMARK(BM_RunFrame_Pal);
BENCHMARK(BM_RunFrame_NtscRendered);
BENCHMARK(BM_RunFrame_Linked);
BENCHMARK(BM_RunFrame_NtscSound);
BENCHMARK(BM_RunFrame_NtscFm);
BENCHMARK(BM_RunFrame_NtscRenderedFm);
