// The SDSC debug console that homebrew programs write through ports $FC
// (control) and $FD (data).
#pragma once
#include <cstdint>

void ConsoleControl(uint8_t value);  // port $FC
void ConsoleData(uint8_t value);     // port $FD
