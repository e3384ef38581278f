// The debugger's run control: entering and leaving the break state, the
// stepping commands, and the run that the main loop advances pass by pass
// with its stop conditions.
#include "debugger/debugger_state.h"

#include "base/app_state.h"
#include "debugger/debug_lists.h"
#include "debugger/debugger_window.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"

bool RunToCursor = false;
bool CountedRun = false;
bool BreakAtBreakpoints = true;
bool BreakAtNopNops = false;
uint32_t RunBudget = 0;
uint32_t CursorTarget = 0;
uint32_t RowAddress[DebuggerRows];

namespace {

// The stop conditions, tested after an instruction has executed. True when
// the run has to end here.
bool RunStops() {
  const uint32_t pc = GetPc();
  if (BreakAtBreakpoints && HasBreakpoint(ConsoleAbsoluteAddress(pc))) return true;
  if (BreakAtNopNops && ConsoleKind == 1 && Read8(pc) == 0 && Read8((pc + 1) & 0xFFFF) == 0) {
    SelectDebuggerRow(0);
    return true;
  }
  return RunToCursor && ConsoleAbsoluteAddress(pc) == CursorTarget;
}

uint32_t PassBudget(bool fast_forward, bool slow_motion) {
  if (CountedRun) return RunBudget;
  if (fast_forward) return CyclesPerFrameAll;
  if (slow_motion) return CyclesPerFrameAll / 16;
  return CyclesPerFrameAll / 4;
}

void StartCountedRun(uint32_t budget) {
  if (!BreakState) return;
  RunBudget = budget;
  DebugRun = true;
  CountedRun = true;
  RefreshDebugger();
}

}  // namespace

void EnterBreakState() {
  if (BreakState) return;
  BreakState = true;
  SyncStepPosition(&PrimaryMachine);
}

void ClearRunFlags() {
  BreakState = false;
  DebugRun = false;
  RunToCursor = false;
  CountedRun = false;
}

void ResetDebuggerState() {
  ClearRunFlags();
  BreakAtBreakpoints = true;
  BreakAtNopNops = false;
  RunBudget = 0;
  CursorTarget = 0;
  for (uint32_t& address : RowAddress) address = 0;
}

void EnableDebugger() {
  if (BreakState) return;
  if (ConsoleKind == 1)
    EnterBreakState();
  else
    BreakState = true;
  OpenDebuggerWindow();
  RefreshDebugger();
}

void EnableDebuggerAtStart() {
  BreakState = true;
  OpenDebuggerWindow();
  RefreshDebugger();
}

void DisableDebugger() {
  if (BreakState) {
    // Finish the frame. A console without a running core takes no cycles,
    // so the steps are bounded by a frame's worth of them as well.
    const uint32_t start = FrameCyclePos;
    for (uint32_t steps = 0; steps <= CyclesPerFrameAll; ++steps) {
      if (StepInstruction() == 0 || FrameCyclePos < start) break;
    }
    InstrCarry = static_cast<int32_t>(FrameCyclePos);
  }
  ClearRunFlags();
  RefreshDebugger();
}

void DebugStepIn() {
  if (!BreakState) return;
  StepInstruction();
  RefreshDebugger();
}

void DebugStepOver() {
  if (!BreakState) return;
  SkipInstruction();
  RefreshDebugger();
}

void DebugReturn() {
  if (!BreakState) return;
  ForceReturnConsole();
  RefreshDebugger();
}

void DebugRunStart() {
  if (!BreakState) return;
  DebugRun = true;
  RefreshDebugger();
}

void DebugPause() {
  DebugRun = false;
  RefreshDebugger();
}

void DebugRunLine() { StartCountedRun(static_cast<uint32_t>(CyclesPerLine)); }
void DebugRunFrame() { StartCountedRun(CyclesPerFrameAll); }

void DebugRunToRow(int row) {
  if (!BreakState || row < 0 || row >= DebuggerRows) return;
  CursorTarget = RowAddress[row];
  DebugRun = true;
  RunToCursor = true;
  RefreshDebugger();
}

void RunPass(bool fast_forward, bool slow_motion) {
  if (!BreakState) {
    DebugRun = RunToCursor = CountedRun = false;
    return;
  }
  const uint32_t budget = PassBudget(fast_forward, slow_motion);
  uint32_t spent = 0;
  do {
    bool executed = true;
    if (CountedRun) {
      // An instruction of n cycles uses n iterations of the budget; the
      // first one executes it.
      executed = InstrCarry <= 0;
      if (executed) {
        InstrCarry = StepInstruction();
        if (InstrCarry == 0) {  // no core to run
          DebugRun = false;
          break;
        }
      }
      InstrCarry -= 1;
      spent += 1;
    } else {
      const int cycles = StepInstruction();
      if (cycles <= 0) {
        DebugRun = false;
        break;
      }
      spent += static_cast<uint32_t>(cycles);
    }
    // The PC only moves when an instruction ran: a counted run that begins
    // by counting down an earlier instruction's cycles on a breakpoint
    // still gets away from it.
    if (executed && RunStops()) {
      DebugRun = false;
      break;
    }
  } while (spent < budget);
  if (CountedRun) {
    DebugRun = false;
    CountedRun = false;
  }
  RunToCursor = false;
  RefreshDebugger();
}
