// The debugger's break and run state and the entry points the rest of the
// program uses to stop the emulation, step it and have the debugger's views
// redrawn. DebugRun itself lives with the main loop's state (base/app_state.h).
#pragma once
#include <cstdint>

#include "machine/machine.h"

// BreakState, set by breakpoints and debugger commands, is the machine's
// (machine/machine.h): the frame scheduler stops on it.
// The run in progress (DebugRun) stops when the PC reaches CursorTarget.
extern bool RunToCursor;
// The run in progress spends RunBudget cycles and then ends by itself.
extern bool CountedRun;
extern bool BreakAtBreakpoints;  // "Break at breakpoints"
extern bool BreakAtNopNops;      // "Break at nop nops"
extern uint32_t RunBudget;
extern uint32_t CursorTarget;    // absolute address
constexpr int DebuggerRows = 20;
// Absolute address of each disassembly row of the debugger window.
extern uint32_t RowAddress[DebuggerRows];

// Stops the emulation in the debugger: sets BreakState and moves the primary
// machine's slice position into its step position. Nothing when already set.
void EnterBreakState();
// Clears BreakState, DebugRun, RunToCursor and CountedRun together.
void ClearRunFlags();
void ResetDebuggerState();  // every value of a fresh start (tests)

// Enters the break state, opens the debugger window and refreshes it.
// Nothing when the break state is already set.
void EnableDebugger();
// "-debug" on the command line: the window and the break state, without
// moving the step position (nothing has run yet).
void EnableDebuggerAtStart();
// Finishes the current frame instruction by instruction and leaves the break
// state; the next counted run first counts down the cycles of the frame
// position reached.
void DisableDebugger();
// F11 and "Step in": one instruction (traced while the log is on), then a
// refresh. Nothing outside the break state.
void DebugStepIn();
void DebugStepOver();  // "Step over": past the instruction without running it
void DebugReturn();    // "Return": leave the current subroutine at once
void DebugRunStart();  // "Run"
void DebugPause();     // "Pause"
void DebugRunLine();   // "Run one line": a line's cycles
void DebugRunFrame();  // "Run one frame": a frame's cycles
// "Run until cursor": runs until the PC reaches the row's address (for one
// pass; after that the run goes on as a plain run). Nothing for a row
// outside 0..19.
void DebugRunToRow(int row);

// Called by the main loop once per pass while DebugRun is set: single
// instructions until a quarter of a frame's cycles have run (a whole frame
// while fast forward is held, a sixteenth in slow motion; a counted run's
// own budget) or a stop condition holds; then the debugger is refreshed.
void RunPass(bool fast_forward = false, bool slow_motion = false);

// Redraws the debugger window from the machine: register lines, the 20
// disassembly rows with their breakpoints, and the buttons' states. Nothing
// while the window is closed. Called after every debugger command and by
// the main loop, cartridge loading, resets and state loading.
void RefreshDebugger();
// The memory viewer's list of memory regions is rebuilt (after a reset or a
// cartridge load changed them).
void RefreshMemoryRegions();
