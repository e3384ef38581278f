// Input on SDL: the window system's event queue is drained once per pass into
// the key table and the program's own event queue; joysticks are read from
// their current state.
#include "lumo/input.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/gui.h"
#include "lumo/input_joystick.h"
#include "lumo/platform_sdl.h"

namespace {

uint32_t SdlClock() { return SDL_GetTicks(); }

// Module state.
struct InputModule {
  uint8_t tables[2][KeyCodeCount] = {};
  int current = 0;  // which of the two tables is the current one
  // Per keyboard key: time of the last press or repeat event, whether it
  // repeats already, and the character it typed.
  uint32_t event_time[KeyboardCodeCount] = {};
  bool repeating[KeyboardCodeCount] = {};
  uint16_t character[KeyboardCodeCount] = {};
  std::vector<InputEvent> queue;
  size_t queue_read = 0;
  // The press event of this poll that SDL's typed text still belongs to.
  int pending_text = -1;
  uint32_t previous_words[2] = {};
  bool started = false;
  bool active = true;
};
InputModule g_input;

uint8_t* Current() { return g_input.tables[g_input.current]; }

void PublishTables() {
  KeyTable = g_input.tables[g_input.current];
  PreviousKeyTable = g_input.tables[g_input.current ^ 1];
}


// What a key symbol types under the modifiers, the way the keyboard layout
// would without an input method: letters follow shift and caps lock, Ctrl
// with a letter gives its control code, the keypad types with num lock on.
uint16_t SymbolCharacter(SDL_Keycode sym, uint32_t modifiers, uint16_t lock_mods) {
  const bool ctrl = modifiers & ModCtrl;
  const bool num_lock = lock_mods & KMOD_NUM;
  if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) return num_lock ? uint16_t('1' + (sym - SDLK_KP_1)) : 0;
  switch (sym) {
    case SDLK_KP_0: return num_lock ? '0' : 0;
    case SDLK_KP_PERIOD: return num_lock ? '.' : 0;
    case SDLK_KP_DIVIDE: return '/';
    case SDLK_KP_MULTIPLY: return '*';
    case SDLK_KP_MINUS: return '-';
    case SDLK_KP_PLUS: return '+';
    case SDLK_KP_EQUALS: return '=';
    case SDLK_KP_ENTER: return '\r';
    case SDLK_RETURN: case SDLK_BACKSPACE: case SDLK_TAB: case SDLK_ESCAPE: return uint16_t(sym);
    default: break;
  }
  if (sym >= 'a' && sym <= 'z') {
    if (ctrl) return uint16_t(sym & 0x1F);
    const bool upper = ((modifiers & ModShift) != 0) != ((lock_mods & KMOD_CAPS) != 0);
    return uint16_t(upper ? sym - 'a' + 'A' : sym);
  }
  if (ctrl) return 0;
  if (sym >= ' ' && sym < 0x7F) return uint16_t(sym);
  if (sym >= 0xA0 && sym <= 0xFFFF) return uint16_t(sym);  // the layout's own letters
  return 0;
}

// The first code point of a UTF-8 text, 0 when it is above 0xFFFF or broken.
uint16_t FirstCodePoint(const char* text) {
  const auto* s = reinterpret_cast<const uint8_t*>(text);
  if (s[0] < 0x80) return s[0];
  if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) return uint16_t((s[0] & 0x1F) << 6 | (s[1] & 0x3F));
  if ((s[0] & 0xF0) == 0xE0 && (s[1] & 0xC0) == 0x80 && (s[2] & 0xC0) == 0x80)
    return uint16_t((s[0] & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F));
  return 0;
}

InputEvent& Queue(uint8_t type, uint16_t code = 0) {
  InputEvent& event = g_input.queue.emplace_back();
  event.type = type;
  event.code = code;
  event.character = 0;
  event.x = event.y = event.value = 0;
  return event;
}

void KeyPressed(int code, uint16_t character) {
  uint8_t* table = Current();
  if (table[code]) return;
  table[code] = 1;
  g_input.event_time[code] = InputClock();
  g_input.repeating[code] = false;
  g_input.character[code] = character;
  Queue(InputKeyPress, uint16_t(code)).character = character;
  g_input.pending_text = int(g_input.queue.size()) - 1;
}

void KeyReleased(int code) {
  uint8_t* table = Current();
  g_input.pending_text = -1;
  if (!table[code]) return;
  table[code] = 0;
  Queue(InputKeyRelease, uint16_t(code));
}

// Text typed by the last key, or by an input method without a key.
void TextTyped(const char* text) {
  const uint16_t character = FirstCodePoint(text);
  if (!character) return;
  const int pending = g_input.pending_text;
  g_input.pending_text = -1;
  if (pending >= 0 && size_t(pending) >= g_input.queue_read && size_t(pending) < g_input.queue.size()) {
    InputEvent& press = g_input.queue[pending];
    press.character = character;
    g_input.character[press.code] = character;
    return;
  }
  Queue(InputKeyPress, 0).character = character;
}

void PlaceMouse(int x, int y) {
  const int width = ScreenWidth(), height = ScreenHeight();
  // In the black bars around the scaled picture SDL reports positions
  // outside the screen.
  Mouse.x = width > 0 ? SDL_clamp(x, 0, width - 1) : x;
  Mouse.y = height > 0 ? SDL_clamp(y, 0, height - 1) : y;
}

int MouseButtonNumber(uint8_t sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

void MouseButton(uint8_t sdl_button, bool down, int x, int y) {
  const int number = MouseButtonNumber(sdl_button);
  if (!number) return;
  PlaceMouse(x, y);
  const uint8_t bit = uint8_t(1 << (number - 1));
  if (down == ((Mouse.buttons & bit) != 0)) return;
  if (down) {
    Mouse.buttons |= bit;
    Mouse.pressed |= bit;
  } else {
    Mouse.buttons &= uint8_t(~bit);
    Mouse.released |= bit;
  }
  InputEvent& event = Queue(down ? InputMouseDown : InputMouseUp, uint16_t(number));
  event.x = Mouse.x;
  event.y = Mouse.y;
}

void Activate() {
  if (g_input.active) return;
  g_input.active = true;
  AppActive = true;
  Queue(InputActivate);
}

// Keys and buttons held while the focus goes count as released: nothing
// reports their release to an unfocused window.
void Deactivate() {
  if (!g_input.active) return;
  for (int code = 0; code < KeyboardCodeCount; code++) KeyReleased(code);
  for (uint8_t button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE})
    MouseButton(button, false, Mouse.x, Mouse.y);
  g_input.active = false;
  AppActive = false;
  Queue(InputDeactivate);
}

void WindowEvent(const SDL_WindowEvent& window) {
  switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED: Activate(); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED: Deactivate(); break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN: Queue(InputRedraw); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      InputEvent& event = Queue(InputResize);
      event.x = window.data1;
      event.y = window.data2;
      break;
    }
    default: break;
  }
}

void JoystickAdded(int device_index) {
  const int slot = JoystickDeviceAdded(device_index);
  if (slot >= 0) Queue(InputJoystickAdded, uint16_t(slot));
}

void HandleEvent(SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: Queue(InputQuit); break;
    case SDL_WINDOWEVENT: WindowEvent(e.window); break;
    case SDL_RENDER_DEVICE_RESET:
      PlatformRenderDeviceReset();
      Queue(InputRedraw);
      break;
    case SDL_RENDER_TARGETS_RESET: Queue(InputRedraw); break;
    case SDL_KEYDOWN: {
      if (e.key.repeat) break;  // the program repeats keys itself
      const int code = KeyCodeFromScancode(e.key.keysym.scancode);
      if (!code) {
        g_input.pending_text = -1;
        break;
      }
      KeyPressed(code, SymbolCharacter(e.key.keysym.sym, KeyModifiersOf(Current()), e.key.keysym.mod));
      break;
    }
    case SDL_KEYUP: {
      const int code = KeyCodeFromScancode(e.key.keysym.scancode);
      if (code) KeyReleased(code);
      break;
    }
    case SDL_TEXTINPUT: TextTyped(e.text.text); break;
    case SDL_MOUSEMOTION: PlaceMouse(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      MouseButton(e.button.button, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y);
      break;
    case SDL_MOUSEWHEEL: {
      int steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      if (!steps) break;
      Mouse.wheel += steps;
      InputEvent& event = Queue(InputWheel);
      event.value = steps;
      event.x = Mouse.x;
      event.y = Mouse.y;
      break;
    }
    case SDL_DROPFILE:
      if (e.drop.file) Queue(InputDrop).text = e.drop.file;
      SDL_free(e.drop.file);
      break;
    case SDL_DROPTEXT: SDL_free(e.drop.file); break;
    case SDL_JOYDEVICEADDED: JoystickAdded(e.jdevice.which); break;
    case SDL_JOYDEVICEREMOVED: {
      const int slot = JoystickDeviceRemoved(e.jdevice.which);
      if (slot < 0) break;
      Queue(InputJoystickRemoved, uint16_t(slot));
      for (int i = 0; i < SDL_NumJoysticks(); i++) JoystickAdded(i);  // one may wait for room
      break;
    }
    default: break;
  }
}

void RepeatKeys() {
  const uint8_t* table = Current();
  const uint32_t now = InputClock();
  for (int code = 0; code < KeyboardCodeCount; code++) {
    if (!table[code] || IsModifierKey(code)) continue;
    const uint32_t since = now - g_input.event_time[code];
    if (g_input.repeating[code] ? since < KeyRepeatRate : since < KeyRepeatDelay) continue;
    g_input.repeating[code] = true;
    g_input.event_time[code] = now;
    Queue(InputKeyPress, uint16_t(code)).character = g_input.character[code];
  }
}

// Start sets both bits in the poll where its key goes down and only the
// held bit afterwards, so the console sees one press per push.
void BuildControllerWords() {
  for (int player = 0; player < 2; player++) {
    uint32_t word = 0;
    for (int slot = 0; slot < KeyBindingsPerPlayer; slot++)
      if (KeyHeld(Config.keys[player * KeyBindingsPerPlayer + slot])) word |= BindingBits[slot];
    if ((word & PadStart) && (g_input.previous_words[player] & PadStart)) word &= ~PadPause;
    g_input.previous_words[player] = word;
    ControllerWords[player] = word;
  }
}

}  // namespace

const uint32_t BindingBits[KeyBindingsPerPlayer] = {
    PadLeft, PadRight, PadUp, PadDown, PadButton1, PadButton2, PadL, PadR, PadStart | PadPause, PadSelect,
};
const uint8_t* KeyTable = g_input.tables[0];
const uint8_t* PreviousKeyTable = g_input.tables[1];
uint32_t KeyModifiers = 0;

uint32_t KeyModifiersOf(const uint8_t* table) {
  uint32_t word = 0;
  if (table[KeyLeftShift]) word |= ModLeftShift;
  if (table[KeyRightShift]) word |= ModRightShift;
  if (table[KeyLeftCtrl]) word |= ModLeftCtrl;
  if (table[KeyRightCtrl]) word |= ModRightCtrl;
  if (table[KeyLeftAlt]) word |= ModLeftAlt;
  if (table[KeyRightAlt]) word |= ModRightAlt;
  return word;
}
uint32_t ControllerWords[2] = {0, 0};
MouseState Mouse{};
uint32_t (*InputClock)() = SdlClock;

namespace {

std::string ClipboardText() {
  char* text = SDL_GetClipboardText();
  std::string copy = text ? text : "";
  SDL_free(text);
  return copy;
}

}  // namespace

bool InputStart() {
  if (g_input.started) return true;
  if (!PlatformHasWindow()) {
    printf("Couldn't get Lumo window handle.\n");
    fflush(stdout);
    return false;
  }
  JoystickStart();  // without pads the program simply has none
  GuiClipboardText = ClipboardText;
  std::memset(g_input.tables, 0, sizeof g_input.tables);
  g_input.queue.clear();
  g_input.queue_read = 0;
  g_input.pending_text = -1;
  g_input.active = true;
  SDL_StartTextInput();
  g_input.started = true;
  return true;
}

void InputStop() {
  if (!g_input.started) return;
  JoystickStop();
  GuiClipboardText = nullptr;
  std::memset(g_input.tables, 0, sizeof g_input.tables);
  g_input.queue.clear();
  g_input.queue_read = 0;
  g_input.started = false;
  KeyModifiers = 0;
  ControllerWords[0] = ControllerWords[1] = 0;
  Mouse = MouseState{};
}

bool InputStarted() { return g_input.started; }

void InputPoll() {
  if (!g_input.started) return;
  g_input.current ^= 1;
  std::memcpy(Current(), g_input.tables[g_input.current ^ 1], KeyCodeCount);
  PublishTables();
  if (g_input.queue_read == g_input.queue.size()) {
    g_input.queue.clear();
    g_input.queue_read = 0;
  }
  Mouse.pressed = Mouse.released = 0;
  Mouse.wheel = 0;
  g_input.pending_text = -1;
  SDL_Event e;
  while (SDL_PollEvent(&e)) HandleEvent(e);
  g_input.pending_text = -1;
  JoystickRead(Current());
  RepeatKeys();
  KeyModifiers = KeyModifiersOf(Current());
  BuildControllerWords();
}

bool InputNextEvent(InputEvent* event) {
  if (g_input.queue_read >= g_input.queue.size()) return false;
  *event = std::move(g_input.queue[g_input.queue_read++]);
  return true;
}

uint32_t InputDevicePresence() {
  if (!g_input.started) return 0;
  return DeviceKeyboard | DeviceMouse | JoystickSlotsInUse() << 2;
}

uint16_t InputKeyCharacter(int code) {
  const int scancode = ScancodeFromKeyCode(code);
  if (!scancode) return 0;
  const SDL_Keycode sym = SDL_GetKeyFromScancode(SDL_Scancode(scancode));
  return SymbolCharacter(sym, KeyModifiers, uint16_t(SDL_GetModState()));
}

void ResetInput() {
  InputStop();
  g_input = InputModule{};
  PublishTables();
  InputClock = SdlClock;
  Mouse = MouseState{};
}
