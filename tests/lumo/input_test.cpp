// Input through the real SDL layer without devices: key, text, mouse and
// window events are pushed into SDL's queue under the dummy video driver,
// joysticks are SDL's virtual ones, and the repeat clock is a fake.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/input.h"
#include "lumo/input_joystick.h"
#include "lumo/platform_sdl.h"
#include "lumo/surface.h"

namespace {

uint32_t g_now = 0;
uint32_t FakeClock() { return g_now; }

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyConfigDefaults();
    ResetAppState();
    ASSERT_TRUE(SetDisplayMode(320, 240, 16, false));
    ASSERT_TRUE(InputStart());
    g_now = 1000;
    InputClock = FakeClock;
    Poll();  // whatever the window system queued at start
  }
  void TearDown() override {
    ResetInput();
    CloseDisplay();
    ResetSurfaces();
    ResetAppState();
  }

  // One poll; the events it queued.
  std::vector<InputEvent> Poll() {
    InputPoll();
    std::vector<InputEvent> events;
    InputEvent event;
    while (InputNextEvent(&event)) events.push_back(event);
    return events;
  }

  static void PushKey(SDL_Scancode scancode, bool down, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(PlatformWindow());
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  static void PushText(const char* text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = SDL_GetWindowID(PlatformWindow());
    SDL_strlcpy(e.text.text, text, sizeof e.text.text);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  static void PushWindow(Uint8 what, int data1 = 0, int data2 = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(PlatformWindow());
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  static void PushMouse(Uint32 type, int x, int y, Uint8 button = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
      e.motion.windowID = SDL_GetWindowID(PlatformWindow());
      e.motion.x = x;
      e.motion.y = y;
    } else {
      e.button.windowID = SDL_GetWindowID(PlatformWindow());
      e.button.button = button;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.x = x;
      e.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  // The key presses among the events: (code, character).
  static std::vector<std::pair<int, int>> Presses(const std::vector<InputEvent>& events) {
    std::vector<std::pair<int, int>> presses;
    for (const InputEvent& e : events)
      if (e.type == InputKeyPress) presses.emplace_back(e.code, e.character);
    return presses;
  }
};

using PressList = std::vector<std::pair<int, int>>;

TEST(InputStartTest, NeedsTheWindow) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(InputStart());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Couldn't get Lumo window handle.\n");
  EXPECT_FALSE(InputStarted());
  EXPECT_EQ(InputDevicePresence(), 0u);
}

TEST_F(InputTest, KeysGoThroughTheTablesAndTheQueue) {
  EXPECT_EQ(InputDevicePresence() & 3u, 3u);  // keyboard and mouse
  PushKey(SDL_SCANCODE_A, true);
  auto events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputKeyPress);
  EXPECT_EQ(events[0].code, 30);
  EXPECT_EQ(events[0].character, 'a');
  EXPECT_TRUE(KeyHeld(30));
  EXPECT_TRUE(KeyWentDown(30));
  Poll();
  EXPECT_TRUE(KeyHeld(30));
  EXPECT_FALSE(KeyWentDown(30));
  EXPECT_TRUE(PreviousKeyTable[30]);
  PushKey(SDL_SCANCODE_A, false);
  events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputKeyRelease);
  EXPECT_EQ(events[0].code, 30);
  EXPECT_FALSE(KeyHeld(30));
  EXPECT_TRUE(PreviousKeyTable[30]);
  // A key SDL repeats itself is not a new press.
  PushKey(SDL_SCANCODE_B, true);
  SDL_Event repeat{};
  repeat.type = SDL_KEYDOWN;
  repeat.key.repeat = 1;
  repeat.key.keysym.scancode = SDL_SCANCODE_B;
  SDL_PushEvent(&repeat);
  EXPECT_EQ(Presses(Poll()).size(), 1u);
}

TEST_F(InputTest, ModifiersAndTheCharactersTheyType) {
  PushKey(SDL_SCANCODE_RSHIFT, true);
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(Presses(Poll()), (PressList{{54, 0}, {30, 'A'}}));
  EXPECT_EQ(KeyModifiers, uint32_t(ModRightShift));
  EXPECT_EQ(InputKeyCharacter(30), 'A');
  PushKey(SDL_SCANCODE_RSHIFT, false);
  PushKey(SDL_SCANCODE_A, false);
  PushKey(SDL_SCANCODE_LCTRL, true);
  PushKey(SDL_SCANCODE_RALT, true);
  PushKey(SDL_SCANCODE_C, true);
  PushKey(SDL_SCANCODE_RETURN, true);
  EXPECT_EQ(Presses(Poll()), (PressList{{29, 0}, {184, 0}, {46, 3}, {28, 13}}));
  EXPECT_EQ(KeyModifiers, uint32_t(ModLeftCtrl | ModRightAlt));
  EXPECT_EQ(InputKeyCharacter(30), 1);
  EXPECT_EQ(InputKeyCharacter(KeyF5), 0);
  // Caps lock (from the event's lock state) without shift, the keypad with
  // num lock.
  PushKey(SDL_SCANCODE_LCTRL, false);
  PushKey(SDL_SCANCODE_RALT, false);
  PushKey(SDL_SCANCODE_Q, true, KMOD_CAPS);
  PushKey(SDL_SCANCODE_KP_7, true, KMOD_NUM);
  PushKey(SDL_SCANCODE_KP_8, true);
  EXPECT_EQ(Presses(Poll()), (PressList{{16, 'Q'}, {71, '7'}, {72, 0}}));
  EXPECT_EQ(KeyModifiers, 0u);
}

TEST_F(InputTest, TypedTextGivesTheCharacterOfItsKey) {
  // A layout where the key types something else than its symbol, and text
  // from an input method without a key.
  PushKey(SDL_SCANCODE_2, true, KMOD_LSHIFT);
  PushText("\"");
  PushKey(SDL_SCANCODE_E, true);
  PushText("\xC3\xA9");  // é
  PushText("\xE2\x82\xAC");  // € typed with no key
  auto events = Poll();
  EXPECT_EQ(Presses(events), (PressList{{3, '"'}, {18, 0xE9}, {0, 0x20AC}}));
  // The key repeats with the character it typed.
  PushKey(SDL_SCANCODE_2, false);
  Poll();
  g_now += KeyRepeatDelay;
  EXPECT_EQ(Presses(Poll()), (PressList{{18, 0xE9}}));
}

TEST_F(InputTest, AutoRepeatTiming) {
  PushKey(SDL_SCANCODE_A, true);
  PushKey(SDL_SCANCODE_LSHIFT, true);
  std::vector<uint32_t> repeats;  // times of the 'A' events after the press
  EXPECT_EQ(Presses(Poll()), (PressList{{30, 'a'}, {42, 0}}));
  const uint32_t pressed = g_now;
  for (int ms = 1; ms <= 300; ms++) {
    g_now = pressed + ms;
    for (auto [code, character] : Presses(Poll())) {
      EXPECT_EQ(code, 30) << "shift never repeats";
      EXPECT_EQ(character, 'a');
      repeats.push_back(uint32_t(ms));
    }
  }
  EXPECT_EQ(repeats, (std::vector<uint32_t>{150, 187, 224, 261, 298}));
  // Released and pressed again: the delay starts over.
  PushKey(SDL_SCANCODE_A, false);
  Poll();
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(Presses(Poll()).size(), 1u);
  g_now += KeyRepeatDelay - 1;
  EXPECT_TRUE(Presses(Poll()).empty());
  g_now += 1;
  EXPECT_EQ(Presses(Poll()).size(), 1u);
}

TEST_F(InputTest, ControllerWordsAndTheStartEdge) {
  PushKey(SDL_SCANCODE_SPACE, true);  // key_1_start
  PushKey(SDL_SCANCODE_D, true);      // key_1_left
  PushKey(SDL_SCANCODE_RIGHT, true);  // key_2_right
  PushKey(SDL_SCANCODE_O, true);      // key_2_l
  Poll();
  EXPECT_EQ(ControllerWords[0], 0xC1u);
  EXPECT_EQ(ControllerWords[1], 0x4002u);
  for (int pass = 0; pass < 3; pass++) {
    Poll();
    EXPECT_EQ(ControllerWords[0], 0x41u) << "held start keeps only bit 6";
  }
  PushKey(SDL_SCANCODE_SPACE, false);
  Poll();
  EXPECT_EQ(ControllerWords[0], 0x01u);
  PushKey(SDL_SCANCODE_SPACE, true);
  Poll();
  EXPECT_EQ(ControllerWords[0], 0xC1u);
  PushKey(SDL_SCANCODE_LSHIFT, true);  // key_1_select
  PushKey(SDL_SCANCODE_W, true);       // key_1_r
  Poll();
  EXPECT_EQ(ControllerWords[0], 0xA041u);
}

TEST_F(InputTest, WindowEventsInOrder) {
  PushKey(SDL_SCANCODE_A, true);
  PushMouse(SDL_MOUSEBUTTONDOWN, 10, 20, SDL_BUTTON_LEFT);
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  auto events = Poll();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].type, InputKeyPress);
  EXPECT_EQ(events[1].type, InputMouseDown);
  EXPECT_EQ(events[2].type, InputKeyRelease);  // held keys count as released
  EXPECT_EQ(events[3].type, InputMouseUp);
  EXPECT_EQ(events[4].type, InputDeactivate);
  EXPECT_FALSE(AppActive);
  EXPECT_FALSE(KeyHeld(30));
  EXPECT_EQ(Mouse.buttons, 0);
  PushWindow(SDL_WINDOWEVENT_MINIMIZED);  // already inactive: no second event
  PushWindow(SDL_WINDOWEVENT_RESTORED);
  PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWindow(SDL_WINDOWEVENT_EXPOSED);
  PushWindow(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.file = SDL_strdup("/home/someone/game.sms");
  SDL_PushEvent(&drop);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -2;
  SDL_PushEvent(&wheel);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  events = Poll();
  ASSERT_EQ(events.size(), 6u);
  EXPECT_EQ(events[0].type, InputActivate);
  EXPECT_TRUE(AppActive);
  EXPECT_EQ(events[1].type, InputRedraw);
  EXPECT_EQ(events[2].type, InputResize);
  EXPECT_EQ(events[2].x, 800);
  EXPECT_EQ(events[2].y, 600);
  EXPECT_EQ(events[3].type, InputDrop);
  EXPECT_EQ(events[3].text, "/home/someone/game.sms");
  EXPECT_EQ(events[4].type, InputWheel);
  EXPECT_EQ(events[4].value, -2);
  EXPECT_EQ(Mouse.wheel, -2);
  EXPECT_EQ(events[5].type, InputQuit);
  EXPECT_EQ(Poll().size(), 0u);
  EXPECT_EQ(Mouse.wheel, 0);
}

TEST_F(InputTest, GraphicsDeviceResetRedrawsWithNewTextures) {
  ASSERT_TRUE(PresentDisplay(false));
  SDL_Texture* lost = PlatformShownTexture();
  ASSERT_NE(lost, nullptr);
  SDL_Event reset{};
  reset.type = SDL_RENDER_DEVICE_RESET;
  SDL_PushEvent(&reset);
  auto events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputRedraw);
  EXPECT_TRUE(PresentDisplay(false));
  EXPECT_NE(PlatformShownTexture(), nullptr);
  EXPECT_NE(PlatformShownTexture(), lost);
}

TEST_F(InputTest, MouseInBackSurfacePixels) {
  // The window is twice the picture's size: SDL scales positions back.
  SDL_SetWindowSize(PlatformWindow(), 640, 480);
  Poll();
  PushMouse(SDL_MOUSEMOTION, 600, 400);
  Poll();
  EXPECT_EQ(Mouse.x, 300);
  EXPECT_EQ(Mouse.y, 200);
  // A click shorter than a pass is still seen.
  PushMouse(SDL_MOUSEBUTTONDOWN, 100, 50, SDL_BUTTON_RIGHT);
  PushMouse(SDL_MOUSEBUTTONUP, 100, 50, SDL_BUTTON_RIGHT);
  auto events = Poll();
  EXPECT_EQ(Mouse.pressed, MouseRight);
  EXPECT_EQ(Mouse.released, MouseRight);
  EXPECT_EQ(Mouse.buttons, 0);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, InputMouseDown);
  EXPECT_EQ(events[0].code, 2);
  EXPECT_EQ(events[0].x, 50);
  EXPECT_EQ(events[0].y, 25);
  PushMouse(SDL_MOUSEBUTTONDOWN, 2000, -50, SDL_BUTTON_MIDDLE);  // beyond the picture
  Poll();
  EXPECT_EQ(Mouse.buttons, MouseMiddle);
  EXPECT_EQ(Mouse.x, 319);
  EXPECT_EQ(Mouse.y, 0);
}

TEST(JoystickScale, Thresholds) {
  EXPECT_EQ(JoystickScaleAxis(-32768), -1000);
  EXPECT_EQ(JoystickScaleAxis(32767), 1000);
  EXPECT_EQ(JoystickScaleAxis(0), 0);
  EXPECT_EQ(JoystickScaleAxis(-26215), -800);
  EXPECT_EQ(JoystickScaleAxis(-26248), -801);
  EXPECT_EQ(JoystickScaleAxis(26247), 801);
}

class JoystickTest : public InputTest {
 protected:
  // A raw joystick: 2 axes, 16 buttons, 1 hat; SDL's database does not know it.
  int AttachRaw() {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 16, 1);
    EXPECT_GE(index, 0) << SDL_GetError();
    return index;
  }
  // SDL's opened handle for the pad at a device index, to move its controls.
  static SDL_Joystick* Handle(int device_index) {
    return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device_index));
  }
};

TEST_F(JoystickTest, RawJoystickDirectionsButtonsAndBinding) {
  const int index = AttachRaw();
  auto events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputJoystickAdded);
  EXPECT_EQ(events[0].code, 0);
  EXPECT_EQ(InputDevicePresence(), 3u | DeviceJoystick1);
  SDL_Joystick* pad = Handle(index);
  ASSERT_NE(pad, nullptr);
  Config.keys[BindA] = uint16_t(JoystickCode(0, JoyButton1));  // "Joystick1 button 1"
  SDL_JoystickSetVirtualButton(pad, 0, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(pad, 15, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(pad, 0, -26215);  // -800: not left
  SDL_JoystickSetVirtualAxis(pad, 1, 32767);
  Poll();
  EXPECT_TRUE(KeyHeld(260));
  EXPECT_TRUE(KeyHeld(275));  // button 16
  EXPECT_FALSE(KeyHeld(256));
  EXPECT_TRUE(KeyHeld(259));
  EXPECT_EQ(ControllerWords[0], uint32_t(PadButton1));
  SDL_JoystickSetVirtualAxis(pad, 0, -26248);  // -801: left
  SDL_JoystickSetVirtualAxis(pad, 1, 0);
  SDL_JoystickSetVirtualHat(pad, 0, SDL_HAT_RIGHTUP);
  Poll();
  EXPECT_TRUE(KeyHeld(256));
  EXPECT_TRUE(KeyHeld(257));
  EXPECT_TRUE(KeyHeld(258));
  EXPECT_FALSE(KeyHeld(259));
  for (int k = 20; k < 32; k++) EXPECT_FALSE(KeyHeld(JoystickCode(0, k)));
}

TEST_F(JoystickTest, GameControllerReportsItsPadInTheUsualPlaces) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index));
  Poll();
  SDL_GameController* pad = SDL_GameControllerFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  ASSERT_NE(pad, nullptr);
  SDL_Joystick* stick = SDL_GameControllerGetJoystick(pad);
  // The virtual controller's buttons are numbered like SDL's controller buttons.
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_B, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Poll();
  std::vector<int> down;
  for (int k = 0; k < CodesPerJoystick; k++)
    if (KeyHeld(JoystickCode(0, k))) down.push_back(k);
  // left, down (stick), button 2 (east), button 8 (start), button 12 (right trigger)
  EXPECT_EQ(down, (std::vector<int>{JoyLeft, JoyDown, JoyButton1 + 1, JoyButton1 + 7, JoyButton1 + 11}));
}

TEST_F(JoystickTest, PadsComeAndGoInStableSlots) {
  const int first = AttachRaw();
  const int second = AttachRaw();
  Poll();
  const SDL_JoystickID second_id = SDL_JoystickGetDeviceInstanceID(second);
  SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(second_id), 2, SDL_PRESSED);
  Poll();
  EXPECT_TRUE(KeyHeld(JoystickCode(1, JoyButton1 + 2)));
  EXPECT_EQ(InputDevicePresence() >> 2, 3u);
  // The first one goes: the second keeps slot 1 and its button.
  ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0);
  auto events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputJoystickRemoved);
  EXPECT_EQ(events[0].code, 0);
  EXPECT_EQ(InputDevicePresence() >> 2, 2u);
  EXPECT_TRUE(KeyHeld(JoystickCode(1, JoyButton1 + 2)));
  // A new pad takes the free slot 0.
  AttachRaw();
  events = Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, InputJoystickAdded);
  EXPECT_EQ(events[0].code, 0);
  // Nine pads: the ninth waits for a slot and gets the one that comes free.
  for (int i = 0; i < 7; i++) AttachRaw();
  Poll();
  EXPECT_EQ(InputDevicePresence() >> 2, 0xFFu);
  const int slot_of_second = 1;
  int second_index = -1;
  for (int i = 0; i < SDL_NumJoysticks(); i++)
    if (SDL_JoystickGetDeviceInstanceID(i) == second_id) second_index = i;
  ASSERT_GE(second_index, 0);
  ASSERT_EQ(SDL_JoystickDetachVirtual(second_index), 0);
  events = Poll();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, InputJoystickRemoved);
  EXPECT_EQ(events[0].code, slot_of_second);
  EXPECT_EQ(events[1].type, InputJoystickAdded);
  EXPECT_EQ(events[1].code, slot_of_second);
  EXPECT_FALSE(KeyHeld(JoystickCode(1, JoyButton1 + 2)));
}

}  // namespace
