// tavo.cfg: the configuration values of config/config.h as a text file in
// the program directory, read once at start-up over the defaults and written
// whole at shutdown.
#pragma once
#include <cstdint>
#include <string>

// "DIR/tavo.cfg", or "" when there is no program directory.
std::string ConfigFilePath();

// Reads tavo.cfg over the current values (a missing or unreadable file
// leaves them), then puts the values in range: stretching above 3 -> 0,
// volume above 75 -> 75, empty directories -> the program directory, and
// copies the configured colours into CurrentColours. Sets ConfigLoaded.
void ReadConfig();
// The same reading from any file (tests, the fuzz target).
void ReadConfigFile(const char* path);
// Writes tavo.cfg through a temporary file renamed over the old one. False
// when it cannot be written; the old file is then untouched and nothing is
// reported.
bool WriteConfig();
// The file's text for the current values.
std::string ConfigText();

// Numbers as the configuration file holds them. A decimal number: optional
// leading blanks, an optional sign and the digits up to the first other
// character (none: 0), kept modulo 2^32; the caller truncates to its field.
int32_t ParseConfigNumber(const char* text);
// A colour: "$" hexadecimal, "%" binary, else decimal; the low 24 bits.
uint32_t ParseConfigColour(const char* text);
