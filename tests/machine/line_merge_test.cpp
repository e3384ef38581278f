// Lines run as one slice of the core (the interrupt update they skip at
// cycle 171 is one that cannot move the interrupt line) and slices the core
// takes through its budget hook: every program plays exactly as with two
// slices per line and one core call per slice: the machine records (VDP,
// PSG and its sound ring included), RAM, VRAM, the pictures and the core.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "lumo/surface.h"
#include "machine/options.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;
constexpr uint32_t Gg = OptInitial;

TEST(LineMerge, TheTickAssertsExactlyWhenThePredictionSaysSo) {
  MachineHarness h;
  h.StartRom("machine_banks", Sms);
  SelectMachine(&PrimaryMachine);
  VdpState* vdp = &PrimaryMachine.Vdp;
  const VdpState saved = *vdp;
  std::mt19937 random(24);
  for (int i = 0; i < 20000; i++) {
    *vdp = saved;
    vdp->status = uint8_t(random() & 0xE0);
    vdp->regs[0] = uint8_t(random());
    vdp->regs[1] = uint8_t(random());
    vdp->regs[10] = uint8_t(random() & 3);
    vdp->line_counter = uint8_t(random() & 3);
    vdp->line_irq_pending = uint8_t(random() & 1);
    vdp->active_lines = (random() & 1) ? 192 : 224;
    vdp->line = int(random() % 262);
    IrqLine = -1;
    const bool predicted = VdpLineTickAsserts(vdp);
    VdpLineTick(vdp);
    ASSERT_EQ(IrqLine >= 0, predicted) << "case " << i;
  }
  *vdp = saved;
}

struct Snapshot {
  std::vector<uint8_t> bytes;
  void Add(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
};

Snapshot Take() {
  Snapshot s;
  for (const Machine* m : {&PrimaryMachine, &PartnerMachine}) {
    Machine record = *m;
    record.Psg.NoiseWrites = 0;  // counts on over resets
    s.Add(&record, sizeof record);
    s.Add(m->Ram, MachineRamSize);
    s.Add(m->Vdp.vram, VdpVramSize);
    for (const PixelBuffer* surface : m->Vdp.surfaces)
      if (surface) s.Add(surface->pixels, size_t(surface->pitch) * surface->height);
  }
  s.Add(&Z80Regs, sizeof Z80Regs);
  s.Add(&CycleCounter, sizeof CycleCounter);
  s.Add(&IrqLine, sizeof IrqLine);
  s.Add(&Z80MemPtr, sizeof Z80MemPtr);
  s.Add(&Z80Halted, sizeof Z80Halted);
  const uint8_t q = Z80GetQ();
  s.Add(&q, 1);
  return s;
}

// The program run for `frames` frames the plain way (two slices per line,
// one core call per slice) and with merged lines, slices through the core's
// budget hook, and both.
void ExpectSamePlay(const std::vector<uint8_t>& image, uint32_t options, int frames, const std::string& what) {
  Snapshot outcome[4];
  for (int way = 0; way < 4; way++) {
    MergeQuietLines = way & 1;
    SlicesThroughHook = way & 2;
    MachineHarness h;
    h.Start(image, options);
    for (int f = 0; f < frames; f++) RunFrame(&PrimaryMachine, true, true);
    SaveCoreState(&PrimaryMachine);
    outcome[way] = Take();
  }
  MergeQuietLines = true;
  SlicesThroughHook = true;
  static const char* const ways[4] = {"", "merged lines", "slices through the hook", "both"};
  for (int way = 1; way < 4; way++) {
    const std::vector<uint8_t>& plain = outcome[0].bytes;
    const std::vector<uint8_t>& bytes = outcome[way].bytes;
    size_t first = 0;
    while (first < plain.size() && first < bytes.size() && plain[first] == bytes[first]) first++;
    EXPECT_TRUE(plain == bytes) << what << " with " << ways[way] << ": first difference at byte " << first
                                << " of " << plain.size() << " (machine " << sizeof(Machine) << ")";
  }
}

TEST(LineMerge, ProgramsPlayAsWithTwoSlicesPerLine) {
  for (const char* rom : {"machine_banks", "machine_timing", "vdp_counters", "vdp_scenes", "psg_tones",
                          "demo", "sdsc_console", "vgm_tune", "debugger_steps"}) {
    const std::vector<uint8_t> image = ReadTestRom(rom);
    ASSERT_FALSE(image.empty()) << rom;
    ExpectSamePlay(image, Sms, 90, rom);
  }
  // Line interrupts off, the line counter reaching 0 on every line, and the
  // status read all the time: the pending flag the update at 171 sets and
  // the reads clear comes out the same.
  std::vector<uint8_t> poll = {0xF3,                                      // DI
                               0x3E, 0x00, 0xD3, 0xBF, 0x3E, 0x8A, 0xD3, 0xBF,  // reg 10 = 0
                               0x3E, 0x00, 0xD3, 0xBF, 0x3E, 0x80, 0xD3, 0xBF,  // reg 0 = 0
                               0xDB, 0xBF, 0xDB, 0x7E, 0x18, 0xFA};     // IN A,($BF); IN A,($7E); JR
  poll.resize(0x4000);
  ExpectSamePlay(poll, Sms, 10, "status reads on every line");
  const std::vector<uint8_t> demo = ReadTestRom("demo");
  ExpectSamePlay(demo, Gg, 60, "demo as a Game Gear");
  ExpectSamePlay(demo, Gg | OptLink, 60, "demo with link play");
  ExpectSamePlay(demo, (Sms & ~OptNtscRate) | OptPalLines, 60, "demo in PAL");
}

TEST(LineMerge, SharedGamesPlayAsWithTwoSlicesPerLine) {
  const std::filesystem::path roms = TAVO_SHARED_DIR "/roms";
  if (!std::filesystem::is_directory(roms)) GTEST_SKIP() << "no shared games at " << roms;
  for (const auto& entry : std::filesystem::directory_iterator(roms)) {
    if (entry.path().extension() != ".sms") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ExpectSamePlay(image, Sms, 240, entry.path().filename().string());
  }
}

}  // namespace
