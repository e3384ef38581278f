// The command line of the windowed program, checked before anything starts:
// --help and --version answer and end at once (no display, no lock, no
// files), an unknown option ends with an error, everything else is acted on
// by HandleCommandLine once the program is up.
#pragma once
#include <string>

extern const char* const TavoUsage;

enum class TavoCommand { Run, Help, Version, Bad };
// Bad: `error` names the fault ("unknown option -x"); the caller prints it
// with a pointer to --help and exits 2.
TavoCommand CheckTavoOptions(int argc, const char* const* argv, std::string* error);
// The options that take the next word as their value ("-sym FILE").
bool TavoOptionTakesValue(const std::string& word);
