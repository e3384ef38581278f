#include "app/program_dir.h"

#include <sys/stat.h>
#include <cerrno>

std::string ProgramDirectory;

const char* const WorkingFolderNames[10] = {
    "Screenshots", "States", "Music",   "Movies", "Videos",
    "DebugLogs",   "Patches", "SRAM",   "Tiles",  "Themes"};

void SetProgramDirectory(const std::string& path) {
  ProgramDirectory = path;
  // Trailing separators would double up when paths are joined.
  while (ProgramDirectory.size() > 1 && ProgramDirectory.back() == '/')
    ProgramDirectory.pop_back();
}

void ResetProgramDirectory() { ProgramDirectory.clear(); }

std::string WorkingFolderPath(const char* folder) {
  if (ProgramDirectory.empty()) return {};
  return ProgramDirectory + "/" + folder;
}

std::string WorkingFilePath(const char* folder, const std::string& file) {
  if (ProgramDirectory.empty() || file.empty()) return {};
  return ProgramDirectory + "/" + folder + "/" + file;
}

bool CreateWorkingFolders() {
  if (ProgramDirectory.empty()) return false;
  bool ok = true;
  for (const char* name : WorkingFolderNames) {
    std::string path = WorkingFolderPath(name);
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) ok = false;
  }
  return ok;
}
