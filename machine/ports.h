// The Z80's IN and OUT as the machine decodes them: the VDP, the PSG, the
// SDSC debug console, the Game Gear's own registers ($00-$06) and the
// controller ports ($DC/$DD, mirrored at $C0/$C1). Only the exact port
// numbers below are decoded; every other port is ignored on output and
// reads $FF.
#pragma once
#include <cstdint>

struct Machine;

// Controller input words, 1 = pressed. Filled by the input layer or the
// movie player once per pass; the ports read them live. The primary machine
// plays with controller 1, the link partner with controller 2.
enum ControllerBit : uint16_t {
  PadLeft = 0x0001,
  PadRight = 0x0002,
  PadUp = 0x0004,
  PadDown = 0x0008,
  PadButton1 = 0x0010,  // a (TL)
  PadButton2 = 0x0020,  // b (TR)
  PadStart = 0x0040,    // Game Gear Start
  PadPause = 0x0080,    // Master System Pause (raises the NMI)
  PadReset = 0x0100,    // Master System Reset, controller 1 only
  PadMovieMessage = 0x1000,
  PadSelect = 0x2000,
  PadL = 0x4000,
  PadR = 0x8000,
};
extern uint16_t ControllerInput[2];
void ResetControllerInput();

// The SDSC debug console's ports, $FC (control) and $FD (data): the
// debugger's console listens here; none by default, and the writes are lost.
extern void (*DebugConsolePortHook)(uint8_t port, uint8_t value);

void PortOut(Machine* machine, uint16_t port, uint8_t value);
uint8_t PortIn(Machine* machine, uint16_t port);
