// The hotkeys of the main loop, one bit per action, rebuilt every pass from
// the keyboard state and reduced to the pass in which their key goes down,
// so that holding a key acts once. The speed keys (grave: fast forward,
// Shift+grave: slow motion) act while held instead.
#pragma once
#include <cstdint>

enum HotkeyBit : uint32_t {
  HotPause = 0x0001,        // P
  HotAltPause = 0x0002,     // Alt+P (also sets HotPause)
  HotSoftReset = 0x0004,    // Backspace
  HotHardReset = 0x0008,    // Alt+Backspace (also sets HotSoftReset)
  HotLoadRom = 0x0010,      // Alt+L
  HotToggleGui = 0x0020,    // Esc
  HotQuit = 0x0040,         // Alt+X
  HotLoadState = 0x0080,    // F5
  HotSaveState = 0x0100,    // F6
  HotPickState = 0x0200,    // F7
  HotScreenshot = 0x0400,   // F8
  HotDebugger = 0x0800,     // F9
  HotF10 = 0x1000,          // F10 (no action of its own)
  HotStep = 0x2000,         // F11
  HotFullScreen = 0x4000,   // Alt+Enter
};

// The hotkeys of one key under the modifier word (lumo/key_codes.h bits).
// Alt+Esc is no Esc: it minimises (the poll does that itself).
uint32_t HotkeysOfKey(int code, uint32_t modifiers);
// The hotkeys whose keys are held in a 512-entry key table.
uint32_t HotkeysHeld(const uint8_t* keys, uint32_t modifiers);
// The speed keys of the table: fast forward, or slow motion with Shift.
void SpeedKeys(const uint8_t* keys, uint32_t modifiers, bool* fast_forward, bool* slow_motion);

// Keeps the previous pass's held word and gives the bits that are new in
// this one.
struct HotkeyEdges {
  uint32_t previous_held = 0;
  uint32_t Update(uint32_t held) {
    const uint32_t edges = held & ~previous_held;
    previous_held = held;
    return edges;
  }
};

// Double clicks of the left button: a press within 400 ms of the previous
// one at the same position. The remembered press time then moves 400 ms
// back, so that a third quick press counts as a single click again.
constexpr uint32_t DoubleClickMs = 400;
struct ClickTracker {
  bool any = false;
  uint32_t time = 0;
  int x = 0, y = 0;
  bool Press(uint32_t now, int px, int py) {
    if (any && px == x && py == y && now - time <= DoubleClickMs) {
      time -= DoubleClickMs;
      return true;
    }
    any = true;
    time = now, x = px, y = py;
    return false;
  }
};
