// Frame pacing of the main loop: one pass per 16667 us (NTSC) or 20000 us
// (PAL). A late pass carries its lateness into the next one, capped at half
// a period, so short hiccups are caught up without ever dropping frames.
#pragma once
#include <cstdint>

extern uint64_t LastTick;  // clock reading at the end of the previous pass, us
extern int64_t Lateness;   // us carried from earlier passes

// The clock in microseconds and the sleep; tests replace both.
extern uint64_t (*PacingClock)();
extern void (*PacingSleep)(int microseconds);
uint64_t MonotonicMicros();

constexpr int64_t NtscFramePeriod = 16667;
constexpr int64_t PalFramePeriod = 20000;

// Waits until the next frame is due. While the debugger runs there is no
// pacing and no lateness.
void PaceFrame(bool pal, bool debug_run);
// Idle passes while the program is in the background: 20000 us after the
// previous pass, no lateness carried.
void PaceInactive();
// The time spent so far in this pass is not counted (after a ROM load).
void RestartPacing();
void ResetPacing();  // the real clock and sleep, no lateness (tests)
