// Real key presses through SDL's event queue and the input layer, for tests
// that also include the GUI's header (whose key names clash with the input
// layer's).
#pragma once

bool StartTestInput();  // needs a display mode
void StopTestInput();
// Queues a key going down or up by its input code (0-255) and polls once.
void PressKeyCode(int code, bool down);
void PollTestInput();
