// What the viewers read of the input layer directly: the pointer for the
// tile under it, and the keys typed into the memory viewer (the GUI hands
// keys only to input fields).
#include <cctype>

#include "lumo/input.h"

void ViewerPointer(int* x, int* y) {
  *x = Mouse.x;
  *y = Mouse.y;
}

int TypedHexDigit() {
  if (!KeyTable || !PreviousKeyTable) return -1;
  for (int code = 1; code < KeyboardCodeCount; ++code) {
    if (!KeyWentDown(code)) continue;
    const int c = InputKeyCharacter(code);
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  }
  return -1;
}
