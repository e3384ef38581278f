#include "lumo/key_capture.h"

#include "lumo/input.h"

int FirstKeyWentDown() {
  for (int code = 0; code < KeyCodeCount; code++)
    if (KeyWentDown(code)) return code;
  return -1;
}

const char* KeyCodeName(int code) { return KeyName(code); }
