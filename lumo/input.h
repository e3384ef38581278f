// Input: keyboard, mouse and up to 8 joysticks, read once per main-loop
// pass into one table of 512 key states (codes in lumo/key_codes.h), a queue
// of events for the GUI and the application, the modifier word, the mouse
// record and the two controller words the console's ports read.
//
// InputPoll drains the window system's whole event queue. Besides keys and
// the mouse it hands the application the window's own events, in the order
// they happened, through the same queue:
//   InputQuit        the window was closed, or the system asks the program
//                    to end (a signal): shut down as after Quit.
//   InputActivate    the program got the focus back or was restored from the
//                    taskbar: AppActive is set again.
//   InputDeactivate  the program lost the focus or was minimised: AppActive
//                    is cleared, every key and mouse button counts as
//                    released (their release events are queued first).
//   InputRedraw      the window's contents were lost (exposed, shown, the
//                    graphics device reset): present the screen again.
//   InputResize      the window changed size (x, y: the new size in desktop
//                    pixels); the picture keeps its size and is scaled, so
//                    only a redraw is needed.
//   InputDrop        a file was dropped on the window: text holds its path.
//   InputWheel       the mouse wheel turned: value steps, positive away from
//                    the user; x, y the pointer.
//   InputMouseDown / InputMouseUp: code is the button (1 left, 2 right,
//                    3 middle), x, y the pointer. Two events even for a click
//                    shorter than one pass.
//   InputJoystickAdded / InputJoystickRemoved: code is the slot 0-7 whose
//                    codes the pad reports in.
#pragma once
#include <cstdint>
#include <string>

#include "config/config.h"
#include "lumo/key_codes.h"
#include "machine/ports.h"

enum InputEventType : uint8_t {
  InputKeyPress = 1,    // code (0 for text typed without a key), character
  InputKeyRelease = 2,  // code
  InputQuit = 3,
  InputActivate = 4,
  InputDeactivate = 5,
  InputRedraw = 6,
  InputResize = 7,
  InputDrop = 8,
  InputWheel = 9,
  InputMouseDown = 10,
  InputMouseUp = 11,
  InputJoystickAdded = 12,
  InputJoystickRemoved = 13,
};

struct InputEvent {
  uint8_t type;
  uint16_t code;
  // The typed character as a Unicode code point below 0x10000 (ASCII and
  // Latin-1 as themselves, 8 backspace, 9 tab, 13 return, 27 escape, 1-26
  // for Ctrl with a letter), 0 for none.
  uint16_t character;
  int32_t x, y;
  int32_t value;
  std::string text;
};

// Device presence word: bit 0 keyboard, bit 1 mouse, bits 2-9 joystick
// slots 1-8.
enum InputDevice : uint32_t { DeviceKeyboard = 0x01, DeviceMouse = 0x02, DeviceJoystick1 = 0x04 };

// The controller bits (machine/ports.h) of the 10 bindings of one player,
// in the order of Config.keys. Start sets the Game Gear's Start and, only on
// the poll where it went down, the Master System's Pause.
extern const uint32_t BindingBits[KeyBindingsPerPlayer];

enum MouseButton : uint8_t { MouseLeft = 0x01, MouseRight = 0x02, MouseMiddle = 0x04 };

struct MouseState {
  int x, y;          // pointer in display pixels (the back surface), inside the screen
  uint8_t buttons;   // held at the end of the last poll
  uint8_t pressed;   // went down during the last poll, even when already up again
  uint8_t released;  // went up during the last poll
  int wheel;         // steps of the last poll, positive away from the user
};

// The key tables of the current and the previous poll, 512 bytes each,
// 1 = down; exchanged by every poll.
extern const uint8_t* KeyTable;
extern const uint8_t* PreviousKeyTable;
extern uint32_t KeyModifiers;
extern uint32_t ControllerWords[2];  // players 1 and 2
extern MouseState Mouse;
// Milliseconds for the auto-repeat; SDL's tick count unless a test puts a
// fake clock here.
extern uint32_t (*InputClock)();

constexpr uint32_t KeyRepeatDelay = 150;  // ms before the first repeat
constexpr uint32_t KeyRepeatRate = 37;    // ms between repeats

// Needs the program's window (lumo/display.h); otherwise writes "Couldn't get
// Lumo window handle.\n" and fails. Missing keyboard, mouse or joysticks are
// no failure. Does nothing when already started.
bool InputStart();
// Closes the joysticks and clears every table and the queue.
void InputStop();
bool InputStarted();
// Once per main-loop pass: drains the window system's events into the key
// table and the queue, reads the joysticks, queues the auto-repeats and
// rebuilds the modifier word and the controller words from Config.keys.
void InputPoll();
// Takes the oldest queued event; false when none is left.
bool InputNextEvent(InputEvent* event);
uint32_t InputDevicePresence();
// The character a keyboard code types with the current modifiers, from the
// keyboard layout's symbol for the key; 0 for none.
uint16_t InputKeyCharacter(int code);

// The modifier word of a key table.
uint32_t KeyModifiersOf(const uint8_t* table);

inline bool KeyHeld(int code) { return code >= 0 && code < KeyCodeCount && KeyTable[code]; }
// Down now and up in the previous poll.
inline bool KeyWentDown(int code) { return KeyHeld(code) && !PreviousKeyTable[code]; }

// Back to the state before InputStart (tests); stops input first.
void ResetInput();
