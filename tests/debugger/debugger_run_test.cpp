// The debugger's run control on a real cartridge: stepping, stepping over
// and returning, runs with their stop conditions and budgets, leaving the
// break state, and the break state through a save state.
#include <string>

#include "base/app_state.h"
#include "debugger/debugger_fixture.h"
#include "debugger/debugger_state.h"
#include "record/save_state.h"
#include "z80/z80.h"

namespace {

class DebuggerRun : public DebuggerFixture {
 protected:
  void SetUp() override {
    DebuggerFixture::SetUp();
    ResetAppState();
    ResetDebuggerState();
    ASSERT_NO_FATAL_FAILURE(BreakAtStepsProgram());
  }
  void TearDown() override {
    ResetDebuggerState();
    ResetAppState();
    DebuggerFixture::TearDown();
  }
  static Z80Registers Regs() {
    SelectMachine(&PrimaryMachine);
    return Z80Regs;
  }
  // Passes until the run ends (at most `limit`).
  static void RunPasses(int limit = 100) {
    for (int i = 0; i < limit && DebugRun; ++i) RunPass();
  }
};

TEST_F(DebuggerRun, StepInStepOverAndReturn) {
  const uint32_t start = FrameCyclePos;
  DebugStepIn();  // ld a, $11
  EXPECT_EQ(GetPc(), 0x102u);
  EXPECT_EQ(Regs().af >> 8, 0x11);
  const uint32_t stepped = FrameCyclePos;
  EXPECT_GT(stepped, start);

  DebugStepOver();  // the call is skipped, not executed: no time passes
  EXPECT_EQ(GetPc(), 0x105u);
  EXPECT_EQ(Regs().sp, 0xDFF0);
  EXPECT_EQ(Regs().af >> 8, 0x11);
  EXPECT_EQ(FrameCyclePos, stepped);

  SetPc(0x102);
  DebugStepIn();  // into the subroutine
  EXPECT_EQ(GetPc(), 0x200u);
  EXPECT_EQ(Regs().sp, 0xDFEE);
  DebugStepIn();  // ld a, $44
  DebugReturn();  // straight back, without the rest of the subroutine
  EXPECT_EQ(GetPc(), 0x105u);
  EXPECT_EQ(Regs().sp, 0xDFF0);
  EXPECT_EQ(Regs().af >> 8, 0x44);
  EXPECT_EQ(Read8(0xC000), 0);  // the borrowed byte is put back (RAM starts cleared)
}

TEST_F(DebuggerRun, RunUntilCursorAndNopNops) {
  RowAddress[3] = ConsoleAbsoluteAddress(0x109);
  DebugRunToRow(3);
  EXPECT_TRUE(DebugRun && RunToCursor);
  RunPass();
  EXPECT_EQ(GetPc(), 0x109u);
  EXPECT_FALSE(DebugRun);
  EXPECT_FALSE(RunToCursor);

  // "nop nop" stops after the instruction that leads onto the pair.
  SetPc(0x100);
  BreakAtNopNops = true;
  DebugRunStart();
  RunPass();
  EXPECT_EQ(GetPc(), 0x107u);
  EXPECT_FALSE(DebugRun);

  // A target not reached in the first pass: the run goes on as a plain run.
  RowAddress[0] = ConsoleAbsoluteAddress(0x300);
  BreakAtNopNops = false;
  DebugRunToRow(0);
  RunPass();
  EXPECT_TRUE(DebugRun);
  EXPECT_FALSE(RunToCursor);
}

TEST_F(DebuggerRun, BreakpointsStopARunThatLeavesThemFirst) {
  AddBreakpoint(ConsoleAbsoluteAddress(0x10B));
  DebugRunStart();
  RunPasses();
  EXPECT_EQ(GetPc(), 0x10Bu);
  EXPECT_EQ(Regs().bc, 0x2233);

  // Started on the breakpoint: inc hl and jr run, then it stops again.
  const uint16_t hl = Regs().hl;
  DebugRunStart();
  RunPass();
  EXPECT_FALSE(DebugRun);
  EXPECT_EQ(GetPc(), 0x10Bu);
  EXPECT_EQ(Regs().hl, uint16_t(hl + 1));

  // Unticked, breakpoints do not stop a run.
  BreakAtBreakpoints = false;
  DebugRunStart();
  RunPass();
  EXPECT_TRUE(DebugRun);
  EXPECT_GT(Regs().hl, hl + 100);
}

TEST_F(DebuggerRun, RunOneLineExecutesWholeInstructions) {
  SetPc(0x10B);
  const uint16_t hl = Regs().hl;
  const uint32_t start = FrameCyclePos;
  DebugRunLine();
  EXPECT_TRUE(DebugRun && CountedRun);
  RunPass();
  EXPECT_FALSE(DebugRun);
  EXPECT_FALSE(CountedRun);
  // Whole instructions (inc hl 6, jr 12 cycles) until the line's 228 cycles
  // are used; the last one overruns it by what is left to count.
  const uint32_t first = FrameCyclePos - start;
  EXPECT_EQ(first - uint32_t(InstrCarry), 228u);
  EXPECT_GE(InstrCarry, 0);
  EXPECT_LT(InstrCarry, 12);
  EXPECT_GE(Regs().hl, hl + 12);
  EXPECT_LE(Regs().hl, hl + 13);

  // The next line first counts down the overrun.
  const int32_t carry = InstrCarry;
  DebugRunLine();
  RunPass();
  EXPECT_EQ(FrameCyclePos - start - first + uint32_t(carry) - uint32_t(InstrCarry), 228u);
  EXPECT_GE(Regs().hl, hl + 24);

  // A counted run that stopped on a breakpoint mid-count gets away from it
  // when started again.
  AddBreakpoint(ConsoleAbsoluteAddress(0x10B));
  DebugRunFrame();
  RunPass();
  EXPECT_EQ(GetPc(), 0x10Bu);
  EXPECT_GT(InstrCarry, 0);
  const uint16_t stopped = Regs().hl;
  DebugRunLine();
  RunPass();
  EXPECT_EQ(Regs().hl, uint16_t(stopped + 1));
}

TEST_F(DebuggerRun, DisableFinishesTheFrame) {
  DebugRunStart();
  DisableDebugger();
  EXPECT_FALSE(BreakState || DebugRun || RunToCursor || CountedRun);
  EXPECT_LT(FrameCyclePos, 30u);  // the frame ended within the last instruction
  EXPECT_EQ(InstrCarry, int32_t(FrameCyclePos));
  // Nothing happens a second time.
  const uint32_t at = FrameCyclePos;
  DisableDebugger();
  EXPECT_EQ(FrameCyclePos, at);
}

TEST_F(DebuggerRun, NoCartridgeNeitherHangsNorRuns) {
  ConsoleKind = 2;  // a console without a core: no instruction takes a cycle
  ASSERT_EQ(StepInstruction(), 0);
  DebugRunStart();
  RunPass();
  EXPECT_FALSE(DebugRun);
  DebugRunLine();
  RunPass();
  EXPECT_FALSE(DebugRun);
  DisableDebugger();
  EXPECT_FALSE(BreakState);
  ConsoleKind = 1;
}

TEST_F(DebuggerRun, BreakStateTravelsInAState) {
  DebugStepIn();
  ASSERT_TRUE(SaveState(false));
  DisableDebugger();
  ASSERT_FALSE(BreakState);
  ASSERT_TRUE(LoadState(false));
  EXPECT_TRUE(BreakState);
  EXPECT_EQ(GetPc(), 0x102u);
  DebugStepIn();  // stepping goes on from the loaded position
  EXPECT_EQ(GetPc(), 0x200u);

  ClearRunFlags();
  ASSERT_TRUE(SaveState(false));
  EnterBreakState();
  ASSERT_TRUE(LoadState(false));
  EXPECT_FALSE(BreakState);
}

TEST_F(DebuggerRun, CommandsOutsideTheBreakStateDoNothing) {
  ClearRunFlags();
  DebugStepIn();
  DebugStepOver();
  DebugRunStart();
  DebugRunLine();
  EXPECT_EQ(GetPc(), 0x100u);
  EXPECT_FALSE(DebugRun);
  EnableDebugger();  // the window cannot open without a GUI; the state still changes
  EXPECT_TRUE(BreakState);
}

}  // namespace
