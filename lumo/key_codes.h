// The key code space every input reaches the program in, 0 to 511: keyboard
// keys 0 to 255 by their PC set-1 scan code (the extended keys as 0x80 | the
// code after the 0xE0 prefix), then 32 codes per joystick for 8 joysticks.
// Controller bindings in tavo.cfg are these numbers, so the same file means
// the same physical keys on every machine and keyboard layout.
#pragma once
#include <cstdint>

constexpr int KeyCodeCount = 512;
constexpr int KeyboardCodeCount = 256;
constexpr int JoystickCodeBase = 256;
constexpr int CodesPerJoystick = 32;
constexpr int MaxJoysticks = 8;
constexpr int JoystickButtons = 16;

// Offsets inside a joystick's 32 codes; 20 to 31 are never set.
enum JoystickKey { JoyLeft = 0, JoyRight = 1, JoyUp = 2, JoyDown = 3, JoyButton1 = 4 };

constexpr int JoystickCode(int joystick, int key) {
  return JoystickCodeBase + CodesPerJoystick * joystick + key;
}

// Keyboard codes the program itself acts on.
enum KeyboardCode : int {
  KeyEscape = 1, KeyBackspace = 14, KeyTab = 15, KeyP = 25, KeyReturn = 28, KeyLeftCtrl = 29,
  KeyL = 38, KeyGrave = 41, KeyLeftShift = 42, KeyX = 45, KeyV = 47, KeyRightShift = 54, KeyLeftAlt = 56,
  KeySpace = 57, KeyF5 = 63, KeyF6 = 64, KeyF7 = 65, KeyF8 = 66, KeyF9 = 67, KeyF10 = 68,
  KeyF11 = 87, KeyF12 = 88, KeyPadEnter = 156, KeyRightCtrl = 157, KeyRightAlt = 184,
  KeyHome = 199, KeyUp = 200, KeyPageUp = 201, KeyLeft = 203, KeyRight = 205, KeyEnd = 207,
  KeyDown = 208, KeyPageDown = 209, KeyInsert = 210, KeyDelete = 211,
};

// The shifts, ctrls and alts: they never repeat, and alone they are no
// shortcut.
constexpr bool IsModifierKey(int code) {
  return code == KeyLeftShift || code == KeyRightShift || code == KeyLeftCtrl || code == KeyRightCtrl ||
         code == KeyLeftAlt || code == KeyRightAlt;
}

// Modifier word (KeyModifiers of the input layer, GuiInput::modifiers).
enum KeyModifier : uint32_t {
  ModLeftShift = 0x01, ModRightShift = 0x02, ModLeftCtrl = 0x04, ModRightCtrl = 0x08,
  ModLeftAlt = 0x10, ModRightAlt = 0x20,
  ModShift = ModLeftShift | ModRightShift, ModCtrl = ModLeftCtrl | ModRightCtrl,
  ModAlt = ModLeftAlt | ModRightAlt,
};

// The printable name of a code: "?" for codes without one, "" outside 0-511.
const char* KeyName(int code);

// Keyboard code <-> SDL scancode (SDL_Scancode values). 0 when the key has
// no counterpart on the other side.
int KeyCodeFromScancode(int scancode);
int ScancodeFromKeyCode(int code);
