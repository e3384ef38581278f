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
#include "machine/ports.h"
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
// With breaks, every nth write to the debug console ports sets BreakState
// the way the debugger's console does; each frame it ends is recorded where
// it stopped and finished in steps as the debugger does when it is left.
int console_writes, break_every;
void BreakNow(uint8_t, uint8_t) {
  if (++console_writes % break_every == 0) BreakState = true;
}

void ExpectSamePlay(const std::vector<uint8_t>& image, uint32_t options, int frames, const std::string& what,
                    int breaks = 0) {
  Snapshot outcome[4];
  // Frames that end early leave caches (tile rows, sound tables, the log
  // past its end) as the run before left them: with breaks, a first plain
  // run leaves them to every way as the plain way does. Every way draws
  // into the same surface first.
  for (int way = breaks ? -1 : 0; way < 4; way++) {
    MergeQuietLines = way > 0 && (way & 1);
    SlicesThroughHook = way > 0 && (way & 2);
    MachineHarness h;
    h.Start(image, options);
    for (Machine* m : {&PrimaryMachine, &PartnerMachine}) m->Vdp.draw_surface = m->Vdp.surfaces[0];
    console_writes = 0;
    break_every = breaks;
    if (breaks) DebugConsolePortHook = BreakNow;
    int stops = 0;
    for (int f = 0; f < frames; f++) {
      RunFrame(&PrimaryMachine, true, true);
      if (!BreakState) continue;
      stops++;
      Snapshot stop = Take();
      if (way >= 0) outcome[way].Add(stop.bytes.data(), stop.bytes.size());
      // The debugger leaving: the frame finished cycle by cycle.
      SyncStepPosition(&PrimaryMachine);
      const uint32_t start = PrimaryMachine.FrameCycle;
      while (StepCycles(&PrimaryMachine) > 0 && PrimaryMachine.FrameCycle >= start) {
      }
      BreakState = false;
    }
    DebugConsolePortHook = nullptr;
    if (breaks && way >= 0) {
      EXPECT_GT(stops, 0) << what;
    }
    SaveCoreState(&PrimaryMachine);
    Snapshot end = Take();
    if (way >= 0) outcome[way].Add(end.bytes.data(), end.bytes.size());
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

TEST(LineMerge, BreaksStopFramesWhereTheyDidWithOneCallPerSlice) {
  // Frame interrupts on, and a write to the debug console every few dozen
  // cycles, so that the breaks land all over the lines.
  std::vector<uint8_t> program = {0xF3, 0xED, 0x56,                         // DI; IM 1
                                  0x3E, 0xE0, 0xD3, 0xBF, 0x3E, 0x81, 0xD3, 0xBF,  // reg 1 = $E0
                                  0xFB,                                     // EI
                                  0x3C, 0xD3, 0xFD, 0x06, 0x03, 0x10, 0xFE, 0x18, 0xF7};  // INC A; OUT ($FD),A; LD B,3; DJNZ $; JR
  program.resize(0x38);
  for (uint8_t byte : {0xF5, 0xDB, 0xBF, 0xF1, 0xFB, 0xED, 0x4D}) program.push_back(byte);  // PUSH AF; IN A,($BF); POP AF; EI; RETI
  program.resize(0x4000);
  ExpectSamePlay(program, Sms, 40, "breaks", 37);
  ExpectSamePlay(program, Gg | OptLink, 40, "breaks with link play", 37);
  const std::vector<uint8_t> console = ReadTestRom("sdsc_console");
  ASSERT_FALSE(console.empty());
  ExpectSamePlay(console, Sms, 60, "breaks in the console test cartridge", 3);
}

TEST(LineMerge, SharedGamesPlayAsWithTwoSlicesPerLine) {
  const std::filesystem::path roms = TAVO_SHARED_DIR "/roms";
  if (!std::filesystem::is_directory(roms)) GTEST_SKIP() << "no shared games at " << roms;
  for (const auto& entry : std::filesystem::directory_iterator(roms)) {
    if (entry.path().extension() != ".sms") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ExpectSamePlay(image, Sms, 240, entry.path().filename().string());
    // The FM unit's steps sit among the slices' too.
    if (entry.path().filename() == "bocksbirthday2003.sms")
      ExpectSamePlay(image, Sms | OptFmUnit, 240, "bocksbirthday2003.sms with the FM unit");
  }
}

}  // namespace
