// Key names and the fixed table between SDL's scancodes (USB usage codes)
// and the keyboard codes (PC set-1 scan codes).
#include "lumo/key_codes.h"

#include <SDL_scancode.h>

#include <cstdio>

namespace {

struct NamedKey {
  int code;
  const char* name;
};

const NamedKey KeyboardNames[] = {
    {1, "escape"}, {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"},
    {9, "8"}, {10, "9"}, {11, "0"}, {12, "-"}, {13, "="}, {14, "backspace"}, {15, "tab"},
    {16, "q"}, {17, "w"}, {18, "e"}, {19, "r"}, {20, "t"}, {21, "y"}, {22, "u"}, {23, "i"},
    {24, "o"}, {25, "p"}, {26, "("}, {27, ")"}, {28, "return"}, {29, "left ctrl"}, {30, "a"},
    {31, "s"}, {32, "d"}, {33, "f"}, {34, "g"}, {35, "h"}, {36, "j"}, {37, "k"}, {38, "l"},
    {39, ";"}, {40, "'"}, {41, "^"}, {42, "left shift"}, {43, "\\"}, {44, "z"}, {45, "x"},
    {46, "c"}, {47, "v"}, {48, "b"}, {49, "n"}, {50, "m"}, {51, ","}, {52, "."}, {53, "/"},
    {54, "right shift"}, {55, "[*]"}, {56, "left alt"}, {57, "space"}, {58, "caps lock"},
    {59, "F1"}, {60, "F2"}, {61, "F3"}, {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"},
    {66, "F8"}, {67, "F9"}, {68, "F10"}, {69, "num lock"}, {70, "scroll lock"}, {71, "[7]"},
    {72, "[8]"}, {73, "[9]"}, {74, "[-]"}, {75, "[4]"}, {76, "[5]"}, {77, "[6]"}, {78, "[+]"},
    {79, "[1]"}, {80, "[2]"}, {81, "[3]"}, {82, "[0]"}, {83, "[.]"}, {87, "F11"}, {88, "F12"},
    {100, "F13"}, {101, "F14"}, {102, "F15"}, {141, "[=]"}, {146, ":"}, {147, "_"},
    {156, "[enter]"}, {157, "right ctrl"}, {160, "mute"}, {161, "calculator"},
    {162, "play / pause"}, {164, "media stop"}, {174, "volume down"}, {176, "volume up"},
    {178, "web home"}, {179, "[,]"}, {181, "[/]"}, {184, "right alt"}, {197, "pause"},
    {199, "home"}, {200, "up"}, {201, "page up"}, {203, "left"}, {205, "right"}, {207, "end"},
    {208, "down"}, {209, "page down"}, {210, "insert"}, {211, "delete"}, {219, "left OS"},
    {220, "right OS"}, {221, "app menu"}, {222, "power"}, {223, "sleep"}, {227, "wake"},
    {229, "web search"}, {230, "web favorites"}, {231, "web refresh"}, {232, "web stop"},
    {233, "web forward"}, {234, "web back"}, {235, "my computer"}, {236, "mail"},
    {237, "media select"},
};

const char* const JoystickKeyNames[4] = {"left", "right", "up", "down"};

// SDL scancode -> keyboard code. The first entry of a code is the one the
// reverse direction gives. SDL knows no key for 146 ":" and 147 "_" (keys of
// PC-98 keyboards) nor for 227 "wake".
const int ScancodeToKey[][2] = {
    {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04}, {SDL_SCANCODE_4, 0x05}, {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08}, {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B}, {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D}, {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13}, {SDL_SCANCODE_T, 0x14}, {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17}, {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19}, {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23}, {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25}, {SDL_SCANCODE_L, 0x26}, {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_GRAVE, 0x29}, {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B}, {SDL_SCANCODE_NONUSHASH, 0x2B},  // same key position
    {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F}, {SDL_SCANCODE_B, 0x30}, {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32}, {SDL_SCANCODE_COMMA, 0x33}, {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35}, {SDL_SCANCODE_RSHIFT, 0x36}, {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38}, {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F2, 0x3C}, {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E}, {SDL_SCANCODE_F5, 0x3F}, {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41}, {SDL_SCANCODE_F8, 0x42}, {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46}, {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49}, {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C}, {SDL_SCANCODE_KP_6, 0x4D}, {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F}, {SDL_SCANCODE_KP_2, 0x50}, {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56}, {SDL_SCANCODE_F11, 0x57}, {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64}, {SDL_SCANCODE_F14, 0x65}, {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},  // kana
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},  // ro
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},  // convert
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},  // no convert
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},  // yen
    {SDL_SCANCODE_KP_EQUALS, 0x8D}, {SDL_SCANCODE_AUDIOPREV, 0x90},
    {SDL_SCANCODE_AUDIONEXT, 0x99}, {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_AUDIOMUTE, 0xA0}, {SDL_SCANCODE_MUTE, 0xA0},
    {SDL_SCANCODE_CALCULATOR, 0xA1}, {SDL_SCANCODE_AUDIOPLAY, 0xA2},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4}, {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xB0}, {SDL_SCANCODE_AC_HOME, 0xB2}, {SDL_SCANCODE_WWW, 0xB2},
    {SDL_SCANCODE_KP_COMMA, 0xB3}, {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_SYSREQ, 0xB7}, {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5}, {SDL_SCANCODE_HOME, 0xC7}, {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9}, {SDL_SCANCODE_LEFT, 0xCB}, {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF}, {SDL_SCANCODE_DOWN, 0xD0}, {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_DELETE, 0xD3}, {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RGUI, 0xDC}, {SDL_SCANCODE_APPLICATION, 0xDD}, {SDL_SCANCODE_POWER, 0xDE},
    {SDL_SCANCODE_SLEEP, 0xDF}, {SDL_SCANCODE_AC_SEARCH, 0xE5},
    {SDL_SCANCODE_AC_BOOKMARKS, 0xE6}, {SDL_SCANCODE_AC_REFRESH, 0xE7},
    {SDL_SCANCODE_AC_STOP, 0xE8}, {SDL_SCANCODE_AC_FORWARD, 0xE9},
    {SDL_SCANCODE_AC_BACK, 0xEA}, {SDL_SCANCODE_COMPUTER, 0xEB}, {SDL_SCANCODE_MAIL, 0xEC},
    {SDL_SCANCODE_MEDIASELECT, 0xED},
};

// Both directions and every name, built once before main.
struct KeyTables {
  const char* names[KeyCodeCount];
  char joystick_names[MaxJoysticks * CodesPerJoystick][24];
  uint8_t from_scancode[SDL_NUM_SCANCODES];
  uint16_t to_scancode[KeyboardCodeCount];

  KeyTables() : names{}, joystick_names{}, from_scancode{}, to_scancode{} {
    for (const char*& name : names) name = "?";
    for (const NamedKey& key : KeyboardNames) names[key.code] = key.name;
    for (int j = 0; j < MaxJoysticks; j++) {
      for (int k = 0; k < JoyButton1 + JoystickButtons; k++) {
        char* text = joystick_names[j * CodesPerJoystick + k];
        if (k < JoyButton1)
          snprintf(text, sizeof joystick_names[0], "Joystick%d %s", j + 1, JoystickKeyNames[k]);
        else
          snprintf(text, sizeof joystick_names[0], "Joystick%d button %d", j + 1, k - JoyButton1 + 1);
        names[JoystickCode(j, k)] = text;
      }
    }
    for (const auto& [scancode, code] : ScancodeToKey) {
      from_scancode[scancode] = uint8_t(code);
      if (!to_scancode[code]) to_scancode[code] = uint16_t(scancode);
    }
  }
};
const KeyTables g_keys;

}  // namespace

const char* KeyName(int code) {
  if (code < 0 || code >= KeyCodeCount) return "";
  return g_keys.names[code];
}

int KeyCodeFromScancode(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return g_keys.from_scancode[scancode];
}

int ScancodeFromKeyCode(int code) {
  if (code < 0 || code >= KeyboardCodeCount) return 0;
  return g_keys.to_scancode[code];
}
