// Controller scripts for the headless runner: one press per line,
// "FIRST[-LAST] BUTTON..." with frames counted from 0 and BUTTON one of up
// down left right a b start reset, each optionally prefixed "2:" for
// controller 2. Blank lines and lines starting with "#" or ";" are ignored.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ScriptPress {
  long first, last;   // inclusive frame range
  uint16_t buttons[2];  // controller input words to hold
};

struct ControllerScript {
  std::vector<ScriptPress> presses;
};

// False with `error` naming the line when the text is not a valid script.
bool ParseControllerScript(const std::string& text, ControllerScript* script, std::string* error);
bool LoadControllerScript(const char* path, ControllerScript* script, std::string* error);
// The two controller words for a frame: every press covering it, combined.
void ScriptInputForFrame(const ControllerScript& script, long frame, uint16_t words[2]);
