// What the windows that assign keys need of the input layer, apart from
// lumo/input.h and lumo/key_codes.h, whose key constants clash with the
// GUI's.
#pragma once

// The lowest code 0-511 (keyboard, then joysticks) that is down now and was
// up in the previous poll; -1 when none went down.
int FirstKeyWentDown();
// The printable name of a code (KeyName).
const char* KeyCodeName(int code);
