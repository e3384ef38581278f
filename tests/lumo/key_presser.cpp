#include "key_presser.h"

#include <SDL.h>

#include "lumo/input.h"
#include "lumo/platform_sdl.h"

bool StartTestInput() {
  if (!InputStart()) return false;
  InputPoll();  // whatever the window system queued at start
  return true;
}

void StopTestInput() { ResetInput(); }

void PressKeyCode(int code, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SDL_GetWindowID(PlatformWindow());
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = static_cast<SDL_Scancode>(ScancodeFromKeyCode(code));
  e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
  SDL_PushEvent(&e);
  InputPoll();
}

void PollTestInput() { InputPoll(); }
