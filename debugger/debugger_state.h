// The debugger's break flag and the entry points the rest of the program
// uses to stop the emulation and to have the debugger's views redrawn.
#pragma once

// Set by breakpoints and debugger commands; the frame scheduler returns
// mid-frame as soon as it sees it after a CPU slice. Saved in state files as
// one byte.
extern bool BreakState;

// Stops the emulation in the debugger: sets BreakState and moves the primary
// machine's slice position into its step position. Nothing when already set.
void EnterBreakState();
// Redraws every open debugger view from the machine's state.
void RefreshDebugger();

// The debugger's entry points used by the main loop, the SDSC console and
// state loading; the debugger window builds on them.
// Enters the break state (and shows the debugger window).
void EnableDebugger();
// Advances a debugger run by one main-loop pass while DebugRun is set.
void RunPass();
// The memory viewer's list of memory regions is rebuilt (after a reset or a
// cartridge load changed them).
void RefreshMemoryRegions();
