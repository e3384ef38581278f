#include "base/program_dir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/safe_file.h"

std::string ProgramDirectory;
std::string DataDirectory;

const char* const WorkingFolderNames[10] = {
    "Screenshots", "States", "Music",   "Movies", "Videos",
    "DebugLogs",   "Patches", "SRAM",   "Tiles",  "Themes"};

void SetProgramDirectory(const std::string& path) {
  ProgramDirectory = path;
  // Trailing separators would double up when paths are joined.
  while (ProgramDirectory.size() > 1 && ProgramDirectory.back() == '/')
    ProgramDirectory.pop_back();
}

void ResetProgramDirectory() {
  ProgramDirectory.clear();
  DataDirectory.clear();
}

namespace {

std::string ExecutablePath() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  path[length] = 0;
  return path;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(path);
}

}  // namespace

bool LocateProgramDirectories(const std::string& exe_path) {
  std::string exe = exe_path.empty() ? ExecutablePath() : exe_path;
  if (exe.empty()) return false;
  std::string folder = FolderOf(exe);
  bool has_data = access((folder + "/opcodes.dat").c_str(), F_OK) == 0;
  if (has_data && access(folder.c_str(), W_OK) == 0) {
    SetProgramDirectory(folder);
    DataDirectory = ProgramDirectory;
    return true;
  }
  std::string share = FolderOf(folder) + "/share/tavo";
  DataDirectory = IsFolder(share) ? share : folder;
  std::string home;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    home = xdg;
  } else if (const char* user = std::getenv("HOME"); user && user[0]) {
    home = std::string(user) + "/.local/share";
  } else {
    return false;
  }
  std::string writable = home + "/tavo";
  if (!MakeFolders(writable)) return false;
  SetProgramDirectory(writable);
  return true;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/' && IsFolder(home)) return home;
  if (const passwd* account = getpwuid(getuid()); account && account->pw_dir && IsFolder(account->pw_dir))
    return account->pw_dir;
  return "/";
}

std::string DataFilePath(const std::string& file) {
  return (DataDirectory.empty() ? std::string(".") : DataDirectory) + "/" + file;
}

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
