// The main loop: one pass per video frame, on the program's only thread.
// A pass presents the previous picture, polls input, runs the GUI and one of
// its events, the pass's emulated frames and the sound, waits for the next
// frame and acts on the hotkeys.
#pragma once
#include <cstdint>
#include <string>

// The slow-motion pass counter: one frame runs when it is 0 (7 wraps to 0).
extern uint8_t SlowPhase;
// Set by the Quit command, Alt+X and the window's close: the loop ends
// after the pass.
extern bool QuitRequested;

// Runs passes until quit.
void RunMainLoop();
// One pass, active or idle.
void MainPass();
// Fresh loop state (start-up, tests).
void ResetMainLoop();
// The passes the loop ran, and the time the passes after the first 60 took,
// for measuring the pace from outside (TAVO_PASS_LOG).
extern uint64_t PassesRun;
extern uint64_t LoopMicros;
uint64_t MeasuredPasses();
