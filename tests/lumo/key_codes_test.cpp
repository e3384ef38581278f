// Key names and the scancode table: a binding in tavo.cfg names one
// physical key whatever SDL's scancode numbering.
#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include <set>
#include <string>

#include "lumo/key_codes.h"

namespace {

TEST(KeyCodes, NamesOfKeyboardAndJoystickCodes) {
  EXPECT_STREQ(KeyName(300), "Joystick2 button 9");
  EXPECT_STREQ(KeyName(276), "?");  // joystick 1, offset 20: never set
  EXPECT_STREQ(KeyName(512), "");
  EXPECT_STREQ(KeyName(-1), "");
  EXPECT_STREQ(KeyName(0), "?");
  EXPECT_STREQ(KeyName(256), "Joystick1 left");
  EXPECT_STREQ(KeyName(259), "Joystick1 down");
  EXPECT_STREQ(KeyName(260), "Joystick1 button 1");
  EXPECT_STREQ(KeyName(256 + 7 * 32 + 19), "Joystick8 button 16");
  EXPECT_STREQ(KeyName(511), "?");
  EXPECT_STREQ(KeyName(43), "\\");
  EXPECT_STREQ(KeyName(162), "play / pause");
  EXPECT_STREQ(KeyName(219), "left OS");
  EXPECT_STREQ(KeyName(84), "?");
  // The default bindings' names.
  const int codes[] = {32, 34, 19, 33, 29, 56, 16, 17, 57, 42, 203, 205, 200, 208, 157, 184, 24, 25, 28, 54};
  const char* names[] = {"d", "g", "r", "f", "left ctrl", "left alt", "q", "w", "space", "left shift",
                         "left", "right", "up", "down", "right ctrl", "right alt", "o", "p", "return",
                         "right shift"};
  for (int i = 0; i < 20; i++) EXPECT_STREQ(KeyName(codes[i]), names[i]) << codes[i];
}

TEST(KeyCodes, EveryNamedKeyHasAScancodeAndBack) {
  // Keys SDL has no scancode for: the PC-98 colon and underscore keys and wake.
  const std::set<int> without = {146, 147, 227};
  int named = 0;
  for (int code = 1; code < KeyboardCodeCount; code++) {
    if (std::string(KeyName(code)) == "?") continue;
    named++;
    const int scancode = ScancodeFromKeyCode(code);
    if (without.count(code)) {
      EXPECT_EQ(scancode, 0) << code;
      continue;
    }
    ASSERT_NE(scancode, 0) << "no scancode for " << code << " " << KeyName(code);
    EXPECT_EQ(KeyCodeFromScancode(scancode), code) << KeyName(code);
  }
  EXPECT_EQ(named, 129);
  // Set-1 positions of a few keys whose SDL numbers are unrelated.
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_A), 30);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_ENTER), 156);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RALT), 184);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_GRAVE), KeyGrave);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(KeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(ScancodeFromKeyCode(300), 0);
  // Every mapped scancode gives a code that leads to a scancode of the same key.
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; scancode++) {
    const int code = KeyCodeFromScancode(scancode);
    if (code) {
      EXPECT_EQ(KeyCodeFromScancode(ScancodeFromKeyCode(code)), code) << scancode;
    }
  }
}

}  // namespace
