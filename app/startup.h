// The program's entry and exit sequences: Startup brings up everything the
// main loop needs, in a fixed order, and Shutdown stops the recorders so
// their files are complete, closes the windows, writes tavo.cfg and releases
// the libraries in reverse order.
#pragma once
#include <string>

// The process's current directory at launch: relative paths on the command
// line are taken from there.
extern std::string StartupDirectory;
// The NO$GMB symbol file named by "-sym FILE" (taken from
// StartupDirectory when relative); "" when none was given.
extern std::string SymbolFileAtStart;
// Set once the GUI is initialised; Shutdown only closes a started GUI.
extern bool GuiStarted;

// Where start-up failures are told: a message box, or standard error when
// there is no display. Tests put a recorder here.
extern void (*StartupFailure)(const char* text);

// Needs ProgramDirectory and DataDirectory set (LocateProgramDirectories).
// False after telling the failure; Shutdown must still run.
bool Startup();
// The words after the program's name (checked by CheckTavoOptions before
// start-up): "-debug" enters the debugger's break state, "-sym FILE" keeps
// SymbolFileAtStart, other options are passed over, anything else is a
// cartridge to load (the GUI then hides). The symbol file is read last,
// after the cartridges.
void HandleCommandLine(int argc, char** argv);
// Adds the labels of a NO$GMB symbol file and says so in the status line
// and the Messages window ("Successfully loaded NO$GMB symbol file '%s'."
// or "Couldn't load NO$GMB symbol file '%s'."), then refreshes the list
// and debugger windows. False when the file could not be read.
bool LoadSymbolsAtStart(const std::string& path);
void Shutdown();
// Back to the state before Startup (tests).
void ResetStartup();
