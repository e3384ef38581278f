// The main loop's run state, shared by the commands, the presenter, the
// sound output and the debugger. The debugger's own break flag is
// BreakState (machine/machine.h).
#pragma once
#include <cstdint>

extern bool AppActive;   // the program has the user's focus; otherwise it idles
extern bool Paused;      // no frames run; the GUI stays live
extern bool DebugRun;    // the debugger runs the program with checks per instruction
extern bool GuiVisible;  // the GUI is drawn over the picture and takes the input
extern uint8_t PassCounter;  // counts main-loop passes, wrapping
// The controller options window waits for a key to assign: the main loop
// then feeds no controller input to the machine.
extern bool WaitingForKey;
// The speed keys, held: seven frames per pass with only the last shown, or
// one frame every seventh pass. The debugger's run reads them too.
extern bool FastForward;
extern bool SlowMotion;

void ResetAppState();  // the values of a fresh start (tests)
