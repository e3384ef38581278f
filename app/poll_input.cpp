#include "app/poll_input.h"

#include <cstring>

#include "app/hotkeys.h"
#include "base/app_state.h"
#include "config/config.h"
#include "lumo/desktop.h"
#include "lumo/input.h"

PassInputState PassInput;

namespace {

struct PollState {
  HotkeyEdges hotkeys;
  // Keys that went down during this poll, even if already up again: a tap
  // shorter than a pass still acts.
  uint8_t tapped[KeyCodeCount] = {};
  ClickTracker clicks;
  bool left_release_due = false;   // a click shorter than a pass: report the release next pass
  bool right_release_due = false;
};
PollState g_poll;

void AddGuiKey(const InputEvent& event, bool pressed) {
  GuiInput& gui = PassInput.gui;
  if (gui.key_count >= GuiKeysPerPass) return;
  // The GUI types Latin-1 only; other characters still move and confirm.
  const uint8_t character = pressed && event.character <= 0xFF ? uint8_t(event.character) : 0;
  gui.keys[gui.key_count++] = GuiKey{event.code, character, pressed};
}

void DrainEvents() {
  InputEvent event;
  while (InputNextEvent(&event)) {
    switch (event.type) {
      case InputKeyPress:
        AddGuiKey(event, true);
        if (event.code < KeyCodeCount) g_poll.tapped[event.code] = 1;
        PassInput.last_key = event.code;
        PassInput.last_character = event.character;
        break;
      case InputKeyRelease: AddGuiKey(event, false); break;
      case InputQuit: PassInput.quit = true; break;
      case InputRedraw:
      case InputResize:
      case InputActivate: PassInput.redraw = true; break;
      case InputDrop: PassInput.dropped.push_back(event.text); break;
      default: break;
    }
  }
}

// A button pressed and released within one poll still counts as held for
// this pass, so the GUI sees the click; the release follows next pass.
bool ButtonHeld(uint8_t bit, bool* release_due) {
  if (*release_due) {
    *release_due = false;
    if (!(Mouse.pressed & bit)) return Mouse.buttons & bit;
  }
  if ((Mouse.pressed & bit) && !(Mouse.buttons & bit)) {
    *release_due = true;
    return true;
  }
  return Mouse.buttons & bit;
}

// The controller bits of the bindings whose key was tapped in this poll.
uint16_t TappedPadBits(int player) {
  uint16_t word = 0;
  for (int slot = 0; slot < KeyBindingsPerPlayer; slot++) {
    const int code = Config.keys[player * KeyBindingsPerPlayer + slot];
    if (code >= 0 && code < KeyCodeCount && g_poll.tapped[code] && !KeyHeld(code)) word |= uint16_t(BindingBits[slot]);
  }
  return word;
}

}  // namespace

void GatherPassInput() {
  std::memset(g_poll.tapped, 0, sizeof g_poll.tapped);
  PassInput.gui = GuiInput{};
  PassInput.last_key = PassInput.last_character = 0;
  PassInput.quit = PassInput.redraw = false;
  PassInput.dropped.clear();
  DrainEvents();

  // Alt+Enter and Alt+Esc put the program aside, as on other desktops.
  if ((KeyModifiers & ModAlt) && (KeyWentDown(KeyReturn) || KeyWentDown(KeyEscape))) MinimizeDesktop();

  PassInput.pads[0] = uint16_t(ControllerWords[0] | TappedPadBits(0));
  PassInput.pads[1] = uint16_t(ControllerWords[1] | TappedPadBits(1));
  uint8_t down[KeyCodeCount];
  for (int code = 0; code < KeyCodeCount; code++) down[code] = KeyTable[code] | g_poll.tapped[code];
  PassInput.hotkeys = g_poll.hotkeys.Update(HotkeysHeld(down, KeyModifiers));
  SpeedKeys(KeyTable, KeyModifiers, &FastForward, &SlowMotion);

  GuiInput& gui = PassInput.gui;
  gui.modifiers = uint16_t(KeyModifiers);
  gui.pointer_x = Mouse.x;
  gui.pointer_y = Mouse.y;
  gui.left = ButtonHeld(MouseLeft, &g_poll.left_release_due);
  gui.right = ButtonHeld(MouseRight, &g_poll.right_release_due);
  gui.wheel = Mouse.wheel;
  gui.now_ms = InputClock();
  if (Mouse.pressed & MouseLeft) gui.double_click = g_poll.clicks.Press(gui.now_ms, gui.pointer_x, gui.pointer_y);
}

void PollInput() {
  InputPoll();
  GatherPassInput();
}

void ResetPollInput() {
  g_poll = PollState{};
  PassInput = PassInputState{};
  FastForward = SlowMotion = false;
}
