// Theme files: reading, writing, the list of themes in the Themes folder,
// and the first-start copy of the themes shipped with the program.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "base/tokenizer.h"
#include "config/config_file.h"
#include "lumo/theme.h"

namespace {

// A theme is a page of text; anything far larger is not one, and reading it
// would only hold up the start.
constexpr off_t kMaxThemeFileSize = 1 << 20;

bool IsThemeFileName(const char* name) {
  const size_t length = std::strlen(name);
  return length > 6 && strcasecmp(name + length - 6, ".theme") == 0;
}

bool IsRegularFile(const std::string& path, off_t* size = nullptr) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (size) *size = info.st_size;
  return true;
}

// A plain name inside the Themes folder: no folder part, no "." or "..".
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

void ApplyThemeLine(ThemeRecord* theme, const char* key, const char* value) {
  std::string* texts[] = {&theme->name, &theme->author, &theme->bg_picture, &theme->bg_picture2,
                          &theme->win_picture};
  const char* text_keys[] = {"name", "author", "bg_picture", "bg_picture2", "win_picture"};
  for (int i = 0; i < 5; ++i) {
    if (std::strcmp(key, text_keys[i]) == 0) {
      *texts[i] = value;
      return;
    }
  }
  for (int i = 0; i < ColourCount; ++i) {
    if (std::strcmp(key, ColourKeys[i]) == 0) {
      theme->colours[i] = ParseConfigColour(value);
      return;
    }
  }
}

bool CopyShippedFile(const std::string& from, const std::string& to) {
  FILE* in = std::fopen(from.c_str(), "rb");
  if (!in) return false;
  std::string data;
  const bool read_ok = ReadRest(in, &data);
  std::fclose(in);
  return read_ok && CreateNewFile(to, data.data(), data.size());
}

}  // namespace

bool ReadThemeFile(const char* path, ThemeRecord* theme) {
  off_t size = 0;
  if (!IsRegularFile(path, &size) || size > kMaxThemeFileSize) return false;
  if (!OpenTokenFile(path)) return false;
  ThemeRecord read;
  std::memcpy(read.colours, Config.colours, sizeof read.colours);
  for (int count; (count = NextLine()) != TokenEndOfFile;) {
    if (count != 3) continue;
    const char* key = NextToken();
    if (std::strcmp(NextToken(), "=") != 0) continue;
    ApplyThemeLine(&read, key, NextToken());
  }
  CloseTokenFile();
  const char* slash = std::strrchr(path, '/');
  read.file_name = slash ? slash + 1 : path;
  *theme = std::move(read);
  return true;
}

void ScanThemes() {
  Themes.clear();
  const std::string folder = WorkingFolderPath("Themes");
  if (folder.empty()) return;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    if (!IsThemeFileName(entry->d_name)) continue;
    ThemeRecord theme;
    if (ReadThemeFile((folder + "/" + entry->d_name).c_str(), &theme)) Themes.push_back(std::move(theme));
  }
  closedir(dir);
}

std::string ThemeText(const ThemeRecord& theme) {
  std::string out = "; Tavo theme\n\n";
  AppendFormat(&out, "name   = \"%s\"\n", theme.name.c_str());
  AppendFormat(&out, "author = \"%s\"\n", theme.author.c_str());
  AppendFormat(&out, "\n; Colors\n");
  for (int i = 0; i < ColourCount; ++i)
    AppendFormat(&out, "%-25s = $%06X\n", ColourKeys[i], unsigned(theme.colours[i] & 0xFFFFFF));
  AppendFormat(&out, "\n; Pictures\n");
  AppendFormat(&out, "bg_picture  = \"%s\"\n", theme.bg_picture.c_str());
  AppendFormat(&out, "bg_picture2 = \"%s\"\n", theme.bg_picture2.c_str());
  AppendFormat(&out, "win_picture = \"%s\"\n", theme.win_picture.c_str());
  return out;
}

bool SaveTheme(const ThemeRecord& theme) {
  // The name is typed by the user: it must not reach outside Themes.
  if (!IsPlainFileName(theme.file_name)) return false;
  const std::string path = WorkingFilePath("Themes", theme.file_name);
  return ReplaceFileContents(path, ThemeText(theme));
}

bool InstallShippedThemes(const std::string& source_folder) {
  const std::string folder = WorkingFolderPath("Themes");
  if (folder.empty()) return false;
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  bool has_theme = false;
  while (dirent* entry = readdir(dir)) {
    if (IsThemeFileName(entry->d_name) && IsRegularFile(folder + "/" + entry->d_name)) has_theme = true;
  }
  closedir(dir);
  if (has_theme) return true;
  dir = opendir(source_folder.c_str());
  if (!dir) return false;
  bool ok = true;
  while (dirent* entry = readdir(dir)) {
    const std::string from = source_folder + "/" + entry->d_name;
    const std::string to = folder + "/" + entry->d_name;
    struct stat existing;
    if (!IsRegularFile(from) || lstat(to.c_str(), &existing) == 0) continue;
    if (!CopyShippedFile(from, to)) ok = false;
  }
  closedir(dir);
  return ok;
}
