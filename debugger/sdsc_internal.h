// Shared by the SDSC console's own files.
#pragma once
#include <cstdint>

// Prints one character at the cursor: line feed, carriage return, "[?]" for
// codes the console cannot show, wrapping and scrolling.
void ConsolePrint(uint8_t c);
void ConsolePrintText(const char* text);
// Parameter bytes of the pending format's data type: 2 (mb mw vb vw), 1 (vr
// pr), or 0 when the type is not accepted for the format.
int ConsoleParamBytes();
// Prints the pending format with its parameter.
void ConsoleExecuteFormat();
