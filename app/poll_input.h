// The main loop's input of one pass: PollInput drains the input layer into
// the GUI's input record, the hotkey edges, the two controller words, the
// speed keys and the window's own requests (quit, dropped files).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "lumo/gui.h"

struct PassInputState {
  GuiInput gui{};          // keys, modifiers, pointer, buttons, wheel, double click
  uint32_t hotkeys = 0;    // HotkeyBit edges of this pass (app/hotkeys.h)
  uint16_t pads[2] = {0, 0};  // controller words, bits as the ports read them
  bool rewind = false;     // the rewind key (key_rewind) is held, or was tapped in this poll
  uint16_t last_key = 0;   // code of the last key that went down (0: none)
  uint16_t last_character = 0;
  bool quit = false;       // the window was closed or the system asks to end
  bool redraw = false;     // the window's contents were lost or resized
  std::vector<std::string> dropped;  // files dropped on the window
};

extern PassInputState PassInput;

// At the start of every pass, active or not.
void PollInput();
// Forgets the previous pass (start-up and tests).
void ResetPollInput();
// The part of the poll after the input layer's own: builds PassInput from
// the input layer's tables, queue and mouse (tests drive it without SDL).
void GatherPassInput();
