#include "config/recent_roms.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "config/config.h"

namespace {

std::string Resolved(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Storable(const std::string& path) {
  return !path.empty() && path[0] == '/' && path.size() <= size_t(RecentRomPathMax) &&
         path.find_first_of("\"\r\n") == std::string::npos;
}

// The list without the entries `drop` refuses, without repeats, packed to the front.
template <typename Drop>
void Filter(Drop drop) {
  std::string kept[RecentRomCount];
  int count = 0;
  for (const std::string& path : Config.recent_roms) {
    if (path.empty() || drop(path)) continue;
    bool repeat = false;
    for (int i = 0; i < count; i++) repeat |= kept[i] == path;
    if (!repeat) kept[count++] = path;
  }
  for (int i = 0; i < RecentRomCount; i++) Config.recent_roms[i] = i < count ? kept[i] : std::string();
}

}  // namespace

void RememberRecentRom(const std::string& path) {
  const std::string full = Resolved(path);
  if (!Storable(full)) return;
  // Out of its old place first, so that only a new file pushes the oldest off.
  Filter([&](const std::string& listed) { return listed == full || !Storable(listed); });
  for (int i = RecentRomCount - 1; i > 0; i--) Config.recent_roms[i] = Config.recent_roms[i - 1];
  Config.recent_roms[0] = full;
}

void TidyRecentRoms() {
  Filter([](const std::string& path) { return !Storable(path); });
}

void DropMissingRecentRoms() {
  Filter([](const std::string& path) { return !IsFile(path); });
}

std::string RomRequesterFolder() {
  const std::string folder = Resolved(Config.rom_directory);
  const bool default_only = !ProgramDirectory.empty() && folder == Resolved(ProgramDirectory) &&
                            (Config.recent_roms[0].empty() || FolderOf(Config.recent_roms[0]) != folder);
  if (IsFolder(folder) && !default_only) return folder;
  // A cartridge from the command line leaves rom_directory alone.
  if (!Config.recent_roms[0].empty() && IsFolder(FolderOf(Config.recent_roms[0])))
    return FolderOf(Config.recent_roms[0]);
  return HomeFolder();
}
