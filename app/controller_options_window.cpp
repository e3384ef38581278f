// The "Controller configuration" window: the twenty inputs of the two
// controllers and the rewind key, with the names of their keys; a click on
// one waits for the next key or joystick input to take its place.
#include <cstring>

#include "app/option_windows.h"
#include "base/app_state.h"
#include "lumo/key_capture.h"

namespace {

// As the console names them: buttons 1 and 2, Start on the Game Gear and
// Pause on the Master System. The last three bindings reach no button of
// these consoles (movies record them).
const char* const kControlNames[KeyBindingsPerPlayer] = {
    "Left", "Right", "Up", "Down", "Button 1", "Button 2", "Spare 1", "Spare 2", "Start/Pause", "Spare 3",
};

// Module state: the slot waiting for a key, and whether the pass in which
// the wait began is over (the key or click that started it must not count).
struct ControllerWindowState {
  int waiting = -1;
  bool armed = false;
};
ControllerWindowState g_controller;

// The waiting slots: the twenty controller inputs, then the rewind key.
constexpr int SlotCount = ControllerRewindSlot + 1;
int SlotButton(int slot) { return ControllerGadget(slot < KeyBindingCount ? slot : ControllerRewind); }
int SlotText(int slot) {
  return ControllerGadget(slot < KeyBindingCount ? ControllerKeyText + slot : ControllerRewindText);
}
uint16_t& SlotKey(int slot) { return slot < KeyBindingCount ? Config.keys[slot] : Config.key_rewind; }

void ShowKeyNames() {
  for (int slot = 0; slot < SlotCount; slot++) SetGadgetText(SlotText(slot), KeyCodeName(SlotKey(slot)));
}

void EnableControls(bool enabled, int except) {
  for (int slot = 0; slot < SlotCount; slot++)
    if (slot != except) EnableGadget(SlotButton(slot), enabled);
  EnableGadget(ControllerGadget(ControllerReset), enabled);
}

void StopWaiting() {
  g_controller.waiting = -1;
  g_controller.armed = false;
  WaitingForKey = false;
  EnableControls(true, -1);
  SetGadgetText(ControllerGadget(ControllerStatus), "");
  ShowKeyNames();
}

void StartWaiting(int slot) {
  g_controller.waiting = slot;
  g_controller.armed = false;
  WaitingForKey = true;
  EnableControls(false, slot);
  SetGadgetText(SlotText(slot), "");
  SetGadgetText(ControllerGadget(ControllerStatus), "Waiting for new key");
}

void CloseControllerOptions() {
  if (g_controller.waiting >= 0) StopWaiting();
  CloseToolWindow(WinControlOptions);
}

}  // namespace

int ControllerWaitingSlot() { return g_controller.waiting; }

void ToggleControllerOptions() {
  if (WindowOpen(WinControlOptions)) {
    CloseControllerOptions();
    return;
  }
  Window* w = OpenToolWindow(WinControlOptions);
  if (!w) return;
  AddFrame(w, "Port 1", ControllerGadget(ControllerPort1), 0, 0, 200, 215);
  AddFrame(w, "Port 2", ControllerGadget(ControllerPort2), 210, 0, 200, 215);
  for (int slot = 0; slot < KeyBindingCount; slot++) {
    const int x = slot < KeyBindingsPerPlayer ? 5 : 215, y = 15 + 20 * (slot % KeyBindingsPerPlayer);
    AddButton(w, kControlNames[slot % KeyBindingsPerPlayer], ControllerGadget(slot), x, y, 85, 15);
    AddText(w, "", ControllerGadget(ControllerKeyText + slot), x + 92, y, 98, 15);
  }
  AddText(w, "", ControllerGadget(ControllerStatus), 0, 220, 315, 15);
  AddButton(w, "Reset", ControllerGadget(ControllerReset), 0, 240, 85, 15);
  AddButton(w, "Rewind", ControllerGadget(ControllerRewind), 215, 240, 85, 15);
  AddText(w, "", ControllerGadget(ControllerRewindText), 307, 240, 98, 15);
  g_controller = ControllerWindowState{};
  WaitingForKey = false;
  ShowKeyNames();
}

void ControllerOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseControllerOptions();
    return;
  }
  if (event.type != EventActivated) return;
  const int part = event.id - ControllerGadget(0);
  if (part >= 0 && part < KeyBindingCount) {
    StartWaiting(part);
  } else if (part == ControllerRewind) {
    StartWaiting(ControllerRewindSlot);
  } else if (part == ControllerReset && g_controller.waiting < 0) {
    std::memcpy(Config.keys, DefaultKeyBindings, sizeof Config.keys);
    Config.key_rewind = DefaultRewindKey;
    ShowKeyNames();
  }
}

void RefreshControllerOptions() {
  if (g_controller.waiting < 0) return;
  if (!g_controller.armed) {
    g_controller.armed = true;
    return;
  }
  const int code = FirstKeyWentDown();
  if (code < 0) return;
  SlotKey(g_controller.waiting) = (uint16_t)code;
  StopWaiting();
}
