// The program directory: the folder that holds the working folders
// ("SRAM", "States", "Music", ...), tavo.cfg and opcodes.dat. Paths into it
// are built whole instead of changing the process's current directory.
// An empty program directory means "none": nothing is read from or written
// to working folders (the headless runner without --home, most tests).
#pragma once
#include <string>

extern std::string ProgramDirectory;
// Where the shipped read-only data lives (opcodes.dat, the SSP fonts and
// pictures, lark.png, the shipped themes): the program directory itself for
// a copy that runs from its own folder, the install's share/tavo folder for
// an installed copy.
extern std::string DataDirectory;

// The working folders, in the order they are created at start-up.
extern const char* const WorkingFolderNames[10];

// Sets the program directory; "" turns persistence off.
void SetProgramDirectory(const std::string& path);
// Finds both directories for the windowed program. The executable's folder is
// the program directory when it is writable and holds the shipped data (a
// build tree or an unpacked copy); otherwise the copy is installed: the data
// comes from <exe>/../share/tavo and everything written goes to
// $XDG_DATA_HOME/tavo (~/.local/share/tavo), which is created. `exe_path` is
// the executable's path ("" asks the system). False when no usable program
// directory exists.
bool LocateProgramDirectories(const std::string& exe_path);
// "DIR/file" in the data directory.
std::string DataFilePath(const std::string& file);
// The user's home folder: $HOME when it names a folder, else the account's
// home in the password database, else "/".
std::string HomeFolder();
// Back to no program directory (tests).
void ResetProgramDirectory();
// "DIR/folder", or "" when there is no program directory.
std::string WorkingFolderPath(const char* folder);
// "DIR/folder/file", or "" when there is no program directory.
std::string WorkingFilePath(const char* folder, const std::string& file);
// Creates the working folders that are missing; false if one of them could
// not be created (existing ones count as success).
bool CreateWorkingFolders();
