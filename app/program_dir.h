// The program directory: the folder that holds the working folders
// ("SRAM", "States", "Music", ...), tavo.cfg and opcodes.dat. Paths into it
// are built whole instead of changing the process's current directory.
// An empty program directory means "none": nothing is read from or written
// to working folders (the headless runner without --home, most tests).
#pragma once
#include <string>

extern std::string ProgramDirectory;

// The working folders, in the order they are created at start-up.
extern const char* const WorkingFolderNames[10];

// Sets the program directory; "" turns persistence off.
void SetProgramDirectory(const std::string& path);
// Back to no program directory (tests).
void ResetProgramDirectory();
// "DIR/folder", or "" when there is no program directory.
std::string WorkingFolderPath(const char* folder);
// "DIR/folder/file", or "" when there is no program directory.
std::string WorkingFilePath(const char* folder, const std::string& file);
// Creates the working folders that are missing; false if one of them could
// not be created (existing ones count as success).
bool CreateWorkingFolders();
