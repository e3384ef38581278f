#include "app/hotkeys.h"

#include "lumo/key_codes.h"

uint32_t HotkeysOfKey(int code, uint32_t modifiers) {
  const bool alt = modifiers & ModAlt;
  switch (code) {
    case KeyP: return alt ? HotPause | HotAltPause : HotPause;
    case KeyBackspace: return alt ? HotSoftReset | HotHardReset : HotSoftReset;
    case KeyL: return alt ? uint32_t(HotLoadRom) : 0;
    case KeyEscape: return alt ? 0 : uint32_t(HotToggleGui);
    case KeyX: return alt ? uint32_t(HotQuit) : 0;
    case KeyF5: return HotLoadState;
    case KeyF6: return HotSaveState;
    case KeyF7: return HotPickState;
    case KeyF8: return HotScreenshot;
    case KeyF9: return HotDebugger;
    case KeyF10: return HotF10;
    case KeyF11: return HotStep;
    case KeyReturn: return alt ? uint32_t(HotFullScreen) : 0;
    default: return 0;
  }
}

uint32_t HotkeysHeld(const uint8_t* keys, uint32_t modifiers) {
  static constexpr int kKeys[] = {KeyP,  KeyBackspace, KeyL,  KeyEscape, KeyX,  KeyF5,
                                  KeyF6, KeyF7,        KeyF8, KeyF9,     KeyF10, KeyF11, KeyReturn};
  uint32_t word = 0;
  for (int code : kKeys)
    if (keys[code]) word |= HotkeysOfKey(code, modifiers);
  return word;
}

void SpeedKeys(const uint8_t* keys, uint32_t modifiers, bool* fast_forward, bool* slow_motion) {
  const bool grave = keys[KeyGrave] != 0;
  const bool shift = (modifiers & ModShift) != 0;
  *fast_forward = grave && !shift;
  *slow_motion = grave && shift;
}
