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
  // The keyboard as the poll's events leave it, one event after the other:
  // a chord pressed and released between two polls (Alt, X, and both up
  // again) still meets its modifiers.
  uint8_t replayed[KeyCodeCount] = {};
  uint32_t pressed_hotkeys = 0;  // of the presses of this poll, in order
  bool alt_escape = false;
  ClickTracker clicks;
  bool left_release_due = false;   // a click shorter than a pass: report the release next pass
  bool right_release_due = false;
};
PollState g_poll;

void AddGuiKey(const InputEvent& event, bool pressed, uint32_t modifiers) {
  GuiInput& gui = PassInput.gui;
  if (gui.key_count >= GuiKeysPerPass) return;
  // The GUI types Latin-1 only; other characters still move and confirm.
  const uint8_t character = pressed && event.character <= 0xFF ? uint8_t(event.character) : 0;
  gui.keys[gui.key_count++] = GuiKey{event.code, character, pressed, uint16_t(modifiers)};
}

// A key going down (not an auto-repeat) acts as a hotkey with the modifiers
// held at that moment.
void ReplayPress(int code) {
  const bool repeat = g_poll.replayed[code];
  g_poll.replayed[code] = 1;
  if (repeat) return;
  const uint32_t modifiers = KeyModifiersOf(g_poll.replayed);
  g_poll.pressed_hotkeys |= HotkeysOfKey(code, modifiers);
  if ((modifiers & ModAlt) && code == KeyEscape) g_poll.alt_escape = true;
}

void DrainEvents() {
  InputEvent event;
  while (InputNextEvent(&event)) {
    switch (event.type) {
      case InputKeyPress:
        if (event.code > 0 && event.code < KeyCodeCount) {
          g_poll.tapped[event.code] = 1;
          ReplayPress(event.code);
        }
        AddGuiKey(event, true, KeyModifiersOf(g_poll.replayed));
        PassInput.last_key = event.code;
        PassInput.last_character = event.character;
        break;
      case InputKeyRelease:
        if (event.code < KeyCodeCount) g_poll.replayed[event.code] = 0;
        AddGuiKey(event, false, KeyModifiersOf(g_poll.replayed));
        break;
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
  std::memcpy(g_poll.replayed, PreviousKeyTable, sizeof g_poll.replayed);
  g_poll.pressed_hotkeys = 0;
  g_poll.alt_escape = false;
  PassInput.gui = GuiInput{};
  PassInput.last_key = PassInput.last_character = 0;
  PassInput.quit = PassInput.redraw = false;
  PassInput.dropped.clear();
  DrainEvents();

  // Alt+Esc puts the program aside, as on other desktops.
  if (g_poll.alt_escape) MinimizeDesktop();

  PassInput.pads[0] = uint16_t(ControllerWords[0] | TappedPadBits(0));
  PassInput.pads[1] = uint16_t(ControllerWords[1] | TappedPadBits(1));
  // A key held across passes acts once; a press acts in the pass it came,
  // even when released again, with the modifiers of its moment.
  PassInput.hotkeys = g_poll.hotkeys.Update(HotkeysHeld(KeyTable, KeyModifiers)) | g_poll.pressed_hotkeys;
  SpeedKeys(KeyTable, KeyModifiers, &FastForward, &SlowMotion);
  const int rewind = Config.key_rewind;
  PassInput.rewind = KeyHeld(rewind) || (rewind < KeyCodeCount && g_poll.tapped[rewind]);

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
