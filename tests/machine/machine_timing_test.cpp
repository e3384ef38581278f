// Where in the frame things happen: the frame flag and the frame interrupt
// as a program measures them with the counters, the cycle stepper and the
// debugger's helpers.
#include <gtest/gtest.h>

#include "machine/options.h"
#include "machine/vdp.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;
constexpr uint16_t Results = 0xC100;

// True when the H counter value belongs to a line position in [from, to].
bool HCounterWithin(uint8_t value, int from, int to) {
  for (int p = from; p <= to; ++p)
    if (HCounterTable[p % 228] == value) return true;
  return false;
}

TEST(MachineTiming, FrameFlagAtCycle150AndInterruptAt171OfLine192) {
  MachineHarness h;
  h.StartRom("machine_timing", Sms);
  h.Frames(3);
  ASSERT_EQ(h.Ram(0xC1FF), 1) << "no frame interrupt was taken";
  // Polling: the status read that sees the flag starts at 150..176 and the
  // H counter is read 22 cycles later.
  EXPECT_EQ(h.Ram(Results + 0), 0xC0) << "V counter when the flag showed";
  EXPECT_TRUE(HCounterWithin(h.Ram(Results + 1), 172, 199)) << int(h.Ram(Results + 1));
  // The interrupt is raised at 171 and taken when the halted core enters
  // the next slice: 13 cycles of response, at most 3 of HALT overshoot.
  EXPECT_EQ(h.Ram(Results + 2), 0xC0) << "V counter in the handler";
  EXPECT_TRUE(HCounterWithin(h.Ram(Results + 3), 184, 188)) << int(h.Ram(Results + 3));
}

TEST(MachineTiming, StepCyclesFromANegativeCounterRunsOneInstruction) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  h.Frames(1);
  SelectMachine(&PrimaryMachine);
  SyncStepPosition(&PrimaryMachine);
  // Let the counter overshoot as a slice end would.
  CycleCounter = -3;
  SaveCoreState(&PrimaryMachine);
  const uint8_t r = PrimaryMachine.SavedRegisters.r;
  const uint32_t frame_cycle = PrimaryMachine.FrameCycle;
  EXPECT_EQ(StepCycles(&PrimaryMachine), 4);
  EXPECT_EQ(PrimaryMachine.FrameCycle, frame_cycle + 4);
  EXPECT_EQ(uint8_t(PrimaryMachine.SavedRegisters.r - r) & 0x7F, 1) << "one instruction";
}

TEST(MachineTiming, SteppingAWholeFrameMatchesTheFrameRunner) {
  MachineHarness h;
  h.StartRom("machine_timing", Sms);
  h.Frames(2);
  SyncStepPosition(&PrimaryMachine);
  const uint16_t before = h.RamWord(0xC000);
  // Step one frame's worth of cycles.
  long cycles = 0;
  while (cycles < long(PrimaryMachine.CyclesPerFrame)) {
    int n = StepCycles(&PrimaryMachine);
    ASSERT_GT(n, 0);
    cycles += n;
  }
  EXPECT_EQ(h.RamWord(0xC000), before + 1) << "one frame interrupt per stepped frame";
  EXPECT_EQ(h.Ram(Results + 2), 0xC0);
  EXPECT_TRUE(HCounterWithin(h.Ram(Results + 3), 184, 188)) << int(h.Ram(Results + 3));
}

TEST(MachineTiming, SyncStepPositionFoldsTheOvershootIntoTheFramePosition) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  h.Frames(1);
  SelectMachine(&PrimaryMachine);
  PrimaryMachine.LineCycleStamp = 171;
  CycleCounter = -5;
  PrimaryMachine.Vdp.line = 10;
  SyncStepPosition(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.FrameCycle, 10u * 228 + 176);
  EXPECT_EQ(CycleCounter, 0);
  EXPECT_EQ(VdpLinePosition(&PrimaryMachine.Vdp), 176);
}

TEST(MachineTiming, ForceReturnPopsTheReturnAddress) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  h.Frames(1);
  SelectMachine(&PrimaryMachine);
  PrimaryMachine.Ram[0] = 0x42;
  Z80Regs.sp = 0xDF00;
  PrimaryMachine.Ram[0x1F00] = 0x34;
  PrimaryMachine.Ram[0x1F01] = 0x12;
  CycleCounter = 0;
  SaveCoreState(&PrimaryMachine);
  ForceReturn(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc, 0x1234);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.sp, 0xDF02);
  EXPECT_EQ(PrimaryMachine.Ram[0], 0x42) << "the byte at $C000 is put back";
}

TEST(MachineTiming, ForceReturnWithAnInterruptPendingReturnsFirst) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  h.Frames(1);
  SyncStepPosition(&PrimaryMachine);
  SelectMachine(&PrimaryMachine);
  PrimaryMachine.Ram[0] = 0x76;  // HALT: wrong if ever run as code
  Z80Regs.sp = 0xDF00;
  PrimaryMachine.Ram[0x1F00] = 0x34;
  PrimaryMachine.Ram[0x1F01] = 0x12;
  Z80Regs.iff1 = Z80Regs.iff2 = 1;
  Z80Regs.im = 1;
  IrqLine = 0xFF;
  CycleCounter = 0;
  SaveCoreState(&PrimaryMachine);
  ForceReturn(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc, 0x1234) << "the interrupt was taken at $C000";
  EXPECT_EQ(PrimaryMachine.SavedRegisters.sp, 0xDF02);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.iff1, 1);
  // The interrupt is taken on the next step, from the return address.
  StepCycles(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.pc, 0x0038);
  EXPECT_EQ(h.RamWord(PrimaryMachine.SavedRegisters.sp), 0x1234);
}

TEST(MachineTiming, ResetValuesAndSerialStep) {
  MachineHarness h;
  h.StartRom("machine_pads", Sms);
  const Machine& m = PrimaryMachine;
  EXPECT_EQ(m.IoControl, 0x3F);
  EXPECT_EQ(m.SavedRegisters.sp, 0xDFF0);
  EXPECT_EQ(m.SavedIrqLine, 0);
  EXPECT_EQ(m.SerialStep, 0x12C00000 / 60 / 262);
  EXPECT_EQ(m.CyclesPerFrame, 59736u);
  EXPECT_EQ(m.LinkPartner, &PartnerMachine);
  EXPECT_EQ(PartnerMachine.LinkPartner, &PrimaryMachine);
}

}  // namespace
