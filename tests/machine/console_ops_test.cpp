// The console operations: dispatch by console kind, multi-byte access,
// timing, memory regions and the built-in BIOS.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "debugger/debugger_hooks.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

class ConsoleOps : public ::testing::Test {
 protected:
  void SetUp() override {
    MachineOptions = OptInitial;
    ASSERT_TRUE(CreateConsoles());
    // Eight banks, each byte telling its bank; a program of NOPs.
    std::vector<uint8_t> image(8 * 0x4000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i >> 14);
    image[0] = 0;
    InstallImage(static_cast<uint32_t>(image.size()), image.data(), "banks.sms");
    HardResetConsole();
  }
  void TearDown() override {
    DestroyConsoles();
    ResetConsoleState();
    MachineOptions = OptInitial;
  }
};

TEST_F(ConsoleOps, MultiByteAccessIsLittleEndianAndWrapsAt16Bits) {
  Write32(0xC000, 0x11223344);
  EXPECT_EQ(Read8(0xC000), 0x44);
  EXPECT_EQ(Read8(0xC001), 0x33);
  EXPECT_EQ(Read8(0xC002), 0x22);
  EXPECT_EQ(Read8(0xC003), 0x11);
  EXPECT_EQ(Read32(0xC000), 0x11223344u);
  EXPECT_EQ(Read16(0xC001), 0x2233);
  EXPECT_EQ(PrimaryMachine.Ram[0], 0x44);
  // $FFFF + 1 is $0000: the low byte goes to the slot 2 register, the high
  // byte to ROM (ignored).
  Write16(0xFFFF, 0x0905);
  EXPECT_EQ(PrimaryMachine.RomBank2, 5);
  EXPECT_EQ(Read8(0x8000), 5);
  EXPECT_EQ(Read16(0xFFFF), 0x0005);
}

TEST_F(ConsoleOps, MapperWritesActLikeProgramWrites) {
  Write8(0xFFFF, 3);
  EXPECT_EQ(PrimaryMachine.RomBank2, 3);
  EXPECT_EQ(Read8(0x8123), 3);
  Write8(0xFFFF, 11);  // 11 mod 8
  EXPECT_EQ(Read8(0x8000), 3);
  EXPECT_EQ(ConsoleAbsoluteAddress(0x8123), 3u * 0x4000 + 0x123);
  Write8(0x1234, 0x99);  // ROM stays
  EXPECT_EQ(Read8(0x1234), 0);
}

TEST_F(ConsoleOps, VideoMemoryAccessWrapsAndMarksTheTileRow) {
  PrimaryMachine.Vdp.tile_dirty[0x0812 >> 2] = 0;
  WriteVram(0x4812, 0xA5);
  EXPECT_EQ(ReadVram(0x0812), 0xA5);
  EXPECT_EQ(PrimaryMachine.Vdp.vram[0x0812], 0xA5);
  EXPECT_EQ(PrimaryMachine.Vdp.tile_dirty[0x0812 >> 2], 1);
}

TEST_F(ConsoleOps, ProgramCounterAndResetsClearSteppingState) {
  SetPc(0x1234);
  EXPECT_EQ(GetPc(), 0x1234u);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc, 0x1234);
  // The first step after a reset advances one cycle and runs a NOP; its
  // 4 cycles are paid by the next step.
  EXPECT_EQ(StepInstruction(), 1);
  EXPECT_EQ(GetPc(), 0x1235u);
  EXPECT_EQ(StepInstruction(), 4);
  EXPECT_EQ(GetPc(), 0x1236u);
  EXPECT_EQ(FrameCyclePos, 5u);
  InstrCarry = 7;
  SoftResetConsole();
  EXPECT_EQ(FrameCyclePos, 0u);
  EXPECT_EQ(InstrCarry, 0);
  EXPECT_EQ(GetPc(), 0u);
  // Without instruction texts loaded, a NOP still has its length: "Step
  // over" moves past it without running it. Without the debugger's
  // disassembler the core has no text and no length.
  char text[32] = "x";
  EXPECT_EQ(Disassemble(0, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  ConnectDebuggerHooks();
  EXPECT_EQ(Disassemble(0, text, sizeof text), 1);
  EXPECT_STREQ(text, "");
  SkipInstruction();
  EXPECT_EQ(GetPc(), 1u);
  EXPECT_EQ(FrameCyclePos, 0u);
  ConsoleKind = 3;
  EXPECT_EQ(Disassemble(0, text, sizeof text), 0);
  ConsoleKind = 1;
  DisconnectDebuggerHooks();
}

TEST_F(ConsoleOps, TimingFollowsTheKindAndTheVideoStandard) {
  struct Case {
    int kind;
    int line;
    uint32_t frame_ntsc, frame_pal;
  };
  for (Case c : {Case{1, 228, 59736, 71364}, Case{2, 1364, 357368, 357368}, Case{3, 1232, 280896, 280896}}) {
    SCOPED_TRACE(c.kind);
    ConsoleKind = c.kind;
    MachineOptions = (MachineOptions & ~OptPalLines) | OptNtscRate;
    SetupConsoleTiming();
    EXPECT_EQ(CyclesPerLine, c.line);
    EXPECT_EQ(CyclesPerFrameAll, c.frame_ntsc);
    EXPECT_EQ(FrameRate, 60);
    EXPECT_EQ(SamplesPerFrame, 735);
    MachineOptions = (MachineOptions & ~OptNtscRate) | OptPalLines;
    SetupConsoleTiming();
    EXPECT_EQ(CyclesPerFrameAll, c.frame_pal);
    EXPECT_EQ(FrameRate, 50);
    EXPECT_EQ(SamplesPerFrame, 882);
  }
}

TEST_F(ConsoleOps, MemoryRegionsOfEveryKind) {
  MemoryRegionInfo region;
  ASSERT_TRUE(ConsoleMemoryRegion(4, &region));
  EXPECT_STREQ(region.name, "VRAM");
  EXPECT_TRUE(region.in_vdp);
  EXPECT_FALSE(ConsoleMemoryRegion(5, &region));

  ConsoleKind = 2;
  ASSERT_TRUE(ConsoleMemoryRegion(1, &region));
  EXPECT_STREQ(region.name, "IO-registers");
  EXPECT_EQ(region.start, 0x2000u);
  EXPECT_EQ(region.size, 0x3000u);
  ASSERT_TRUE(ConsoleMemoryRegion(6, &region));
  EXPECT_STREQ(region.name, "VRAM");
  EXPECT_TRUE(region.in_vdp);
  EXPECT_FALSE(ConsoleMemoryRegion(7, &region));
  EXPECT_FALSE(ConsoleMemoryRegion(-1, &region));
  EXPECT_EQ(ConsoleAbsoluteAddress(0x1234), 0x1234u);

  ConsoleKind = 3;
  ASSERT_TRUE(ConsoleMemoryRegion(7, &region));
  EXPECT_STREQ(region.name, "ROM");
  EXPECT_EQ(region.start, 0x8000000u);
  EXPECT_EQ(region.size, 0x2000000u);
  ASSERT_TRUE(ConsoleMemoryRegion(8, &region));
  EXPECT_STREQ(region.name, "SRAM");
  EXPECT_FALSE(ConsoleMemoryRegion(9, &region));
  EXPECT_EQ(ConsoleAbsoluteAddress(0x8000123), 0x8000123u);
}

TEST_F(ConsoleOps, KindsWithoutACoreAnswerZeroAndSilence) {
  ConsoleKind = 3;
  Write8(0xC000, 0x55);
  EXPECT_EQ(Read32(0xC000), 0u);
  EXPECT_EQ(ReadVram(0x10), 0);
  EXPECT_EQ(GetPc(), 0u);
  EXPECT_EQ(StepInstruction(), 0);
  EXPECT_EQ(ConsoleGetScreen(0), nullptr);
  std::vector<uint8_t> sound(735 * 4, 0xAA);
  EXPECT_TRUE(ReadSoundSamples(sound.data(), static_cast<uint32_t>(sound.size())));
  EXPECT_EQ(std::vector<uint8_t>(sound.size(), 0), sound);
  RunConsoleFrame(true, true);
  HardResetConsole();
  ConsoleKind = 1;
  EXPECT_EQ(Read8(0xC000), 0);  // the Master System side was left alone
}

TEST_F(ConsoleOps, BuiltInBiosJumpsToTheCartridge) {
  LoadBios("");
  ASSERT_NE(BiosImage, nullptr);
  auto word = [](uint32_t offset) {
    uint32_t w = 0;
    for (int b = 3; b >= 0; --b) w = w << 8 | BiosImage[offset + b];
    return w;
  };
  EXPECT_EQ(word(0x00), 0xEA000006u);  // B $20
  EXPECT_EQ(word(0x04), 0xE1B0F00Eu);  // MOVS PC, LR
  EXPECT_EQ(word(0x08), 0xE1B0F00Eu);
  EXPECT_EQ(word(0x0C), 0xE25EF004u);  // SUBS PC, LR, #4
  EXPECT_EQ(word(0x10), 0xE25EF008u);  // SUBS PC, LR, #8
  EXPECT_EQ(word(0x14), 0xE25EF004u);
  EXPECT_EQ(word(0x18), 0xE25EF004u);
  EXPECT_EQ(word(0x20), 0xE3A0E302u);  // MOV LR, #$08000000
  EXPECT_EQ(word(0x24), 0xE1A0F00Eu);  // MOV PC, LR
  EXPECT_EQ(std::memcmp(BiosImage + BiosSize, BiosImage, 3), 0);
}

TEST_F(ConsoleOps, MissingBiosFileIsReportedAndKeepsTheBuffer) {
  static std::vector<std::string> lines;
  lines.clear();
  ConsoleMessageHook = [](const char* text) { lines.push_back(text); };
  LoadBios("");
  LoadBios("/nonexistent/gba_bios.bin");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Couldn't load BIOS '/nonexistent/gba_bios.bin'.");
  EXPECT_EQ(BiosImage[3], 0xEA);
}

TEST_F(ConsoleOps, BiosPathThatGivesNothingKeepsTheBuffer) {
  static std::vector<std::string> lines;
  lines.clear();
  ConsoleMessageHook = [](const char* text) { lines.push_back(text); };
  std::string empty = ::testing::TempDir() + "/tavo_empty_bios.bin";
  std::FILE* file = std::fopen(empty.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  LoadBios("");
  LoadBios(::testing::TempDir().c_str());  // a folder opens but cannot be read
  LoadBios(empty.c_str());
  std::remove(empty.c_str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Couldn't load BIOS '" + empty + "'.");
  EXPECT_EQ(BiosImage[3], 0xEA);
  EXPECT_EQ(BiosImage[BiosSize + 3 - 1], BiosImage[2]);
}

TEST_F(ConsoleOps, NoFrameRunsWithoutAnImage) {
  CartUnloaded = false;
  UnloadCartridge();
  ASSERT_EQ(CartImage, nullptr);
  RunConsoleFrame(true, true);
  HardResetConsole();
  EXPECT_EQ(StepInstruction(), 0);
}

}  // namespace
