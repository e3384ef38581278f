#include "debugger/sdsc.h"

// The console is not emulated yet: the bytes are accepted and dropped.
void ConsoleControl(uint8_t) {}
void ConsoleData(uint8_t) {}
