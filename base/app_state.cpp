#include "base/app_state.h"

bool AppActive = true;
bool Paused = false;
bool DebugRun = false;
bool GuiVisible = true;
uint8_t PassCounter = 0;
bool WaitingForKey = false;
bool FastForward = false;
bool SlowMotion = false;

void ResetAppState() {
  AppActive = true;
  Paused = false;
  DebugRun = false;
  GuiVisible = true;
  PassCounter = 0;
  WaitingForKey = false;
  FastForward = false;
  SlowMotion = false;
}
