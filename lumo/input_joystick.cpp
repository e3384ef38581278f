// Joysticks on SDL. A pad SDL's controller database knows is read as a game
// controller, so that every common pad reports its d-pad and face buttons in
// the same places without configuration; any other joystick is read raw
// (first two axes, first hat, buttons 1-16).
#include "lumo/input_joystick.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "lumo/key_codes.h"

namespace {

struct JoystickSlot {
  SDL_Joystick* joystick;             // the device (also for a game controller)
  SDL_GameController* controller;     // none when read raw
  SDL_JoystickID instance;
};

struct JoystickModule {
  JoystickSlot slots[MaxJoysticks];
  bool started;
};
JoystickModule g_joy;

// Game controller buttons 1-16 in order: south, east, west, north face
// buttons, the shoulders, back, start, the stick clicks, then the triggers
// (read as buttons), guide, and the extra buttons.
const SDL_GameControllerButton ControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,          SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,          SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,  SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_INVALID,    SDL_CONTROLLER_BUTTON_INVALID,  // triggers
    SDL_CONTROLLER_BUTTON_GUIDE,      SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,    SDL_CONTROLLER_BUTTON_PADDLE2,
};
static_assert(sizeof ControllerButtons / sizeof ControllerButtons[0] == JoystickButtons);
constexpr int LeftTriggerButton = 10, RightTriggerButton = 11;

bool Beyond(int scaled, int sign) { return sign < 0 ? scaled < -JoystickAxisThreshold : scaled > JoystickAxisThreshold; }

void ReadController(SDL_GameController* pad, uint8_t* codes) {
  auto button = [pad](SDL_GameControllerButton b) {
    return b != SDL_CONTROLLER_BUTTON_INVALID && SDL_GameControllerGetButton(pad, b) != 0;
  };
  auto axis = [pad](SDL_GameControllerAxis a) {
    return JoystickScaleAxis(SDL_GameControllerGetAxis(pad, a));
  };
  const int x = axis(SDL_CONTROLLER_AXIS_LEFTX), y = axis(SDL_CONTROLLER_AXIS_LEFTY);
  codes[JoyLeft] = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || Beyond(x, -1);
  codes[JoyRight] = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || Beyond(x, 1);
  codes[JoyUp] = button(SDL_CONTROLLER_BUTTON_DPAD_UP) || Beyond(y, -1);
  codes[JoyDown] = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || Beyond(y, 1);
  for (int b = 0; b < JoystickButtons; b++) codes[JoyButton1 + b] = button(ControllerButtons[b]);
  codes[JoyButton1 + LeftTriggerButton] = Beyond(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT), 1);
  codes[JoyButton1 + RightTriggerButton] = Beyond(axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT), 1);
}

void ReadJoystick(SDL_Joystick* pad, uint8_t* codes) {
  const int x = SDL_JoystickNumAxes(pad) > 0 ? JoystickScaleAxis(SDL_JoystickGetAxis(pad, 0)) : 0;
  const int y = SDL_JoystickNumAxes(pad) > 1 ? JoystickScaleAxis(SDL_JoystickGetAxis(pad, 1)) : 0;
  const uint8_t hat = SDL_JoystickNumHats(pad) > 0 ? SDL_JoystickGetHat(pad, 0) : 0;
  codes[JoyLeft] = Beyond(x, -1) || (hat & SDL_HAT_LEFT);
  codes[JoyRight] = Beyond(x, 1) || (hat & SDL_HAT_RIGHT);
  codes[JoyUp] = Beyond(y, -1) || (hat & SDL_HAT_UP);
  codes[JoyDown] = Beyond(y, 1) || (hat & SDL_HAT_DOWN);
  const int buttons = SDL_JoystickNumButtons(pad);
  for (int b = 0; b < JoystickButtons; b++)
    codes[JoyButton1 + b] = b < buttons && SDL_JoystickGetButton(pad, b);
}

void CloseSlot(JoystickSlot& slot) {
  if (slot.controller)
    SDL_GameControllerClose(slot.controller);
  else if (slot.joystick)
    SDL_JoystickClose(slot.joystick);
  slot = JoystickSlot{};
}

}  // namespace

int JoystickScaleAxis(int value) {
  // -32768..32767 onto -1000..1000, both ends reached.
  return value < 0 ? value * JoystickAxisRange / 32768 : value * JoystickAxisRange / 32767;
}

bool JoystickStart() {
  if (g_joy.started) return true;
  // Pads are read whether or not the window has the keyboard focus, like
  // the console's controllers.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    printf("Couldn't start joysticks: %s\n", SDL_GetError());
    return false;
  }
  g_joy.started = true;
  for (int i = 0; i < SDL_NumJoysticks(); i++) JoystickDeviceAdded(i);
  return true;
}

void JoystickStop() {
  if (!g_joy.started) return;
  for (JoystickSlot& slot : g_joy.slots) CloseSlot(slot);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  g_joy = JoystickModule{};
}

int JoystickDeviceAdded(int device_index) {
  if (!g_joy.started) return -1;
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device_index);
  if (instance < 0) return -1;
  int free_slot = -1;
  for (int j = MaxJoysticks - 1; j >= 0; j--) {
    if (g_joy.slots[j].joystick && g_joy.slots[j].instance == instance) return -1;  // already open
    if (!g_joy.slots[j].joystick) free_slot = j;
  }
  if (free_slot < 0) return -1;
  JoystickSlot slot{};
  if (SDL_IsGameController(device_index)) {
    slot.controller = SDL_GameControllerOpen(device_index);
    if (slot.controller) slot.joystick = SDL_GameControllerGetJoystick(slot.controller);
  }
  if (!slot.joystick) {
    slot.controller = nullptr;
    slot.joystick = SDL_JoystickOpen(device_index);
  }
  if (!slot.joystick) return -1;  // a pad that cannot be opened is left out
  slot.instance = instance;
  g_joy.slots[free_slot] = slot;
  return free_slot;
}

int JoystickDeviceRemoved(int instance_id) {
  for (int j = 0; j < MaxJoysticks; j++) {
    JoystickSlot& slot = g_joy.slots[j];
    if (slot.joystick && slot.instance == instance_id) {
      CloseSlot(slot);
      return j;
    }
  }
  return -1;
}

void JoystickRead(uint8_t* key_table) {
  for (int j = 0; j < MaxJoysticks; j++) {
    uint8_t* codes = key_table + JoystickCode(j, 0);
    std::memset(codes, 0, CodesPerJoystick);
    const JoystickSlot& slot = g_joy.slots[j];
    if (slot.controller)
      ReadController(slot.controller, codes);
    else if (slot.joystick)
      ReadJoystick(slot.joystick, codes);
  }
}

uint32_t JoystickSlotsInUse() {
  uint32_t bits = 0;
  for (int j = 0; j < MaxJoysticks; j++)
    if (g_joy.slots[j].joystick) bits |= 1u << j;
  return bits;
}
