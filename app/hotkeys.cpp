#include "app/hotkeys.h"

#include "lumo/key_codes.h"

uint32_t HotkeysHeld(const uint8_t* keys, uint32_t modifiers) {
  const bool alt = modifiers & ModAlt;
  uint32_t word = 0;
  if (keys[KeyP]) word |= alt ? HotPause | HotAltPause : HotPause;
  if (keys[KeyBackspace]) word |= alt ? HotSoftReset | HotHardReset : HotSoftReset;
  if (keys[KeyL] && alt) word |= HotLoadRom;
  if (keys[KeyEscape] && !alt) word |= HotToggleGui;
  if (keys[KeyX] && alt) word |= HotQuit;
  if (keys[KeyF5]) word |= HotLoadState;
  if (keys[KeyF6]) word |= HotSaveState;
  if (keys[KeyF7]) word |= HotPickState;
  if (keys[KeyF8]) word |= HotScreenshot;
  if (keys[KeyF9]) word |= HotDebugger;
  if (keys[KeyF10]) word |= HotF10;
  if (keys[KeyF11]) word |= HotStep;
  return word;
}

void SpeedKeys(const uint8_t* keys, uint32_t modifiers, bool* fast_forward, bool* slow_motion) {
  const bool grave = keys[KeyGrave] != 0;
  const bool shift = (modifiers & ModShift) != 0;
  *fast_forward = grave && !shift;
  *slow_motion = grave && shift;
}
