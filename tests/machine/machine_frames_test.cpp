// Whole test cartridges run frame by frame through the scheduler: the
// mappers as a program sees them, the frame interrupt, NMI, link mode,
// debugger breaks and what rendering leaves in the surfaces.
#include <gtest/gtest.h>

#include "debugger/debugger_state.h"
#include "lumo/surface.h"
#include "machine/options.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;
constexpr uint32_t Gg = OptInitial;

constexpr uint16_t Results = 0xC100;
constexpr uint16_t Done = 0xC1FF;
constexpr uint16_t FrameCount = 0xC000;
constexpr uint16_t BusyCount = 0xC002;
constexpr uint16_t NmiCount = 0xC004;

TEST(MachineFrames, SegaMapperCartridge) {
  MachineHarness h;
  h.StartRom("machine_banks", Sms);
  h.Frames(1);
  ASSERT_EQ(h.Ram(Done), 1) << "the checks did not finish in one frame";
  const uint8_t expected[] = {3, 3, 3, 5, 6, 7, 0xF3, 7, 0x11, 0x22, 0x00, 0x11, 0x5A, 5};
  for (size_t i = 0; i < sizeof expected; ++i)
    EXPECT_EQ(h.Ram(Results + i), expected[i]) << "result " << i;
  EXPECT_EQ(h.cart_ram[0][0x4000], 0x33);
  EXPECT_EQ(PrimaryMachine.SramDirty, 1);
}

TEST(MachineFrames, CodeMastersCartridge) {
  MachineHarness h;
  h.StartRom("machine_codemasters", Sms | OptCodemastersMapper);
  h.Frames(1);
  ASSERT_EQ(h.Ram(Done), 1);
  const uint8_t expected[] = {3, 0, 0, 1, 1, 2};
  for (size_t i = 0; i < sizeof expected; ++i)
    EXPECT_EQ(h.Ram(Results + i), expected[i]) << "result " << i;
}

TEST(MachineFrames, OneFrameInterruptPerFrameInBothStandards) {
  for (uint32_t standard : {uint32_t(OptNtscRate), uint32_t(OptPalLines)}) {
    MachineHarness h;
    h.StartRom("machine_banks", (Sms & ~OptNtscRate) | standard);
    h.Frames(2);
    const uint16_t start = h.RamWord(FrameCount);
    h.Frames(100);
    EXPECT_EQ(h.RamWord(FrameCount) - start, 100);
    EXPECT_GT(h.RamWord(BusyCount), 0);
    const uint32_t lines = standard == OptNtscRate ? 262 : 313;
    EXPECT_EQ(PrimaryMachine.CyclesPerFrame, lines * 228);
    EXPECT_EQ(PrimaryMachine.Vdp.line, 0) << "a whole frame ends on line 0";
  }
}

TEST(MachineFrames, NmiRunsTheHandlerOnce) {
  MachineHarness h;
  h.StartRom("machine_banks", Sms);
  h.Frames(2);
  EXPECT_EQ(h.Ram(NmiCount), 0);
  RaiseNmi(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc, 0x0066);
  h.Frames(1);
  EXPECT_EQ(h.Ram(NmiCount), 1);
  const uint16_t frames = h.RamWord(FrameCount);
  h.Frames(3);
  EXPECT_EQ(h.RamWord(FrameCount), frames + 3) << "the program carries on after RETN";
}

TEST(MachineFrames, LinkModeRunsBothMachinesInLockstepWithTheirOwnRam) {
  MachineHarness h;
  h.StartRom("machine_banks", Gg | OptLink);
  h.Frames(50);
  EXPECT_EQ(h.Ram(Done, PartnerMachine), 1);
  EXPECT_EQ(h.RamWord(FrameCount), h.RamWord(FrameCount, PartnerMachine));
  EXPECT_GE(h.RamWord(FrameCount), 48);
  EXPECT_NE(PrimaryMachine.Ram, PartnerMachine.Ram);
  // Each writes its own cartridge RAM.
  EXPECT_EQ(h.cart_ram[1][0x4000], 0x33);
  EXPECT_EQ(h.cart_ram[0][0x4000], 0x33);
  // Poking one machine's RAM leaves the other alone.
  PrimaryMachine.Ram[0x0050] = 0x99;
  h.Frames(1);
  EXPECT_EQ(h.Ram(0xC050), 0x99);
  EXPECT_EQ(h.Ram(0xC050, PartnerMachine), 0x00);
  EXPECT_EQ(CurrentMachine, &PrimaryMachine);

  // Without the link bit only the primary runs.
  MachineOptions &= ~OptLink;
  const uint16_t partner_frames = h.RamWord(FrameCount, PartnerMachine);
  h.Frames(5);
  EXPECT_EQ(h.RamWord(FrameCount, PartnerMachine), partner_frames);
  EXPECT_EQ(GetScreen(1), nullptr);
}

TEST(MachineFrames, BreakEndsTheFrameMidLine) {
  MachineHarness h;
  h.StartRom("machine_banks", Sms);
  h.Frames(1);
  BreakState = true;
  RunFrame(&PrimaryMachine, false, false);
  EXPECT_EQ(PrimaryMachine.Vdp.line, 0) << "stopped after the first slice";
  EXPECT_EQ(PrimaryMachine.LineCycleStamp, 171);
  BreakState = false;
}

// Fills the surface being drawn with a value no palette colour takes here.
void Paint(PixelBuffer* s, uint16_t value) {
  for (int y = 0; y < s->height; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(s->pixels + y * s->pitch);
    for (int x = 0; x < s->width; ++x) row[x] = value;
  }
}
uint16_t Pixel(PixelBuffer* s, int x, int y) {
  return reinterpret_cast<uint16_t*>(s->pixels + y * s->pitch)[x];
}

TEST(MachineFrames, RenderingDrawsTheWindowLinesAndSwapsOnlyWhenAsked) {
  MachineHarness h;
  h.StartRom("machine_banks", Gg);
  PixelBuffer* shown = GetScreen(0);
  ASSERT_NE(shown, nullptr);
  h.Frames(1, false);
  EXPECT_EQ(GetScreen(0), shown) << "no swap without rendering";

  PixelBuffer* drawn = PrimaryMachine.Vdp.draw_surface;
  Paint(drawn, 0x1234);
  h.Frames(1, true);
  EXPECT_EQ(GetScreen(0), drawn);
  // 192 active lines: the Game Gear window is lines 24..167.
  EXPECT_EQ(Pixel(drawn, 100, 23), 0x1234);
  EXPECT_NE(Pixel(drawn, 100, 24), 0x1234);
  EXPECT_NE(Pixel(drawn, 100, 167), 0x1234);
  EXPECT_EQ(Pixel(drawn, 100, 168), 0x1234);

  // Master System screen: every active line.
  h.StartRom("machine_banks", Sms);
  drawn = PrimaryMachine.Vdp.draw_surface;
  Paint(drawn, 0x1234);
  h.Frames(1, true);
  EXPECT_NE(Pixel(drawn, 100, 0), 0x1234);
  EXPECT_NE(Pixel(drawn, 100, 191), 0x1234);
}

}  // namespace
