#include "lumo/file_requester.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <cstdlib>

#include "base/program_dir.h"
#include "config/config.h"
#include "config/recent_roms.h"
#include "lumo/gui_graphics.h"
#include "lumo/messages.h"
#include "lumo/window_table.h"

namespace {

constexpr int kEntriesReadPerPass = 512;  // directory entries looked at per pass

const char* const kRomPatterns[] = {".sms", ".gg", ".zip", ".nes", ".gba"};
const char* const kVgmPatterns[] = {".vgm", ".vgz"};

enum ScanStep { StepIdle, StepDirectories, StepFiles, StepSort, StepFinish };

struct Requester {
  int window_id = 0;
  std::string directory;
  std::vector<RequesterEntry> entries;  // shown: folders, then files
  std::vector<RequesterEntry> dirs, files;  // being read
  int step = StepIdle;
  DIR* dir = nullptr;
  int pattern = 0;
  bool parent_seen = false, unreadable = false;
  int selected = -1, first = 0;
  int recent_selected = -1;  // a row of the recent list, -1 none
  std::string typed_file;    // a typed file being answered with RequesterLoadFile
  bool field_had_focus = false;  // a field held the keyboard at the end of the last pass
};

// Module state: the ROM and the VGM requester.
Requester g_requesters[2];

Requester* Of(int window_id) {
  if (window_id == WinFileRequesterRom) return &g_requesters[0];
  if (window_id == WinFileRequesterVgm) return &g_requesters[1];
  return nullptr;
}

int Id(const Requester& r, int part) { return RequesterGadget(r.window_id, part); }

int PatternCount(const Requester& r) { return r.window_id == WinFileRequesterRom ? 5 : 2; }
const char* Pattern(const Requester& r, int i) {
  return r.window_id == WinFileRequesterRom ? kRomPatterns[i] : kVgmPatterns[i];
}

bool HasRecentList(const Requester& r) { return r.window_id == WinFileRequesterRom; }

bool Hidden(const char* name) { return name[0] == '.'; }

bool EndsWith(const char* name, const char* ext) {
  const size_t n = strlen(name), e = strlen(ext);
  return n > e && strcasecmp(name + n - e, ext) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// 1 folder, 0 other file, -1 gone (a dangling link, a vanished entry).
int EntryKind(const std::string& dir, const dirent* e) {
  if (e->d_type == DT_DIR) return 1;
  if (e->d_type == DT_REG) return 0;
  struct stat st;
  if (stat(Join(dir, e->d_name).c_str(), &st) != 0) return -1;
  return S_ISDIR(st.st_mode) ? 1 : 0;
}

bool NameOrder(const RequesterEntry& a, const RequesterEntry& b) {
  const int c = strcasecmp(a.name.c_str(), b.name.c_str());
  return c ? c < 0 : a.name < b.name;
}

int Total(const Requester& r) { return (int)(r.dirs.size() + r.files.size()); }

void StopScan(Requester& r) {
  if (r.dir) closedir(r.dir);
  r.dir = nullptr;
  if (r.step != StepIdle) SetGuiBusy(false);
  r.step = StepIdle;
}

void FillRows(Requester& r) {
  const Font& font = GuiFont;
  ShowListEntries(Id(r, RequesterList), Id(r, RequesterScroll), &r.first, (int)r.entries.size(), r.selected,
                  [&](int at) {
                    const RequesterEntry& e = r.entries[at];
                    // Folders end in '/', which stays visible when a long name is cut.
                    const int room = 230 - 6 - (e.directory ? TextWidth(font, "/") : 0);
                    char cut[GadgetTextMax + 1];
                    FitText(font, DisplayFileName(e.name).substr(0, GadgetTextMax - 2).c_str(), room, cut,
                            sizeof cut - 1);
                    std::string shown = cut;
                    if (e.directory) shown += "/";
                    return shown;
                  });
}

void ShowPath(const Requester& r) {
  char cut[GadgetTextMax + 1];
  FitTextTail(GuiFont, DisplayFileName(r.directory).c_str(), RequesterClientWidth(r.window_id), cut, sizeof cut);
  SetGadgetText(Id(r, RequesterPathLine), cut);
}

void FillRecent(Requester& r) {
  if (!HasRecentList(r)) return;
  const int list = Id(r, RequesterRecentList);
  const int rows = ListRowCount(list);
  for (int i = 0; i < rows; i++) {
    const std::string path = i < RecentRomCount ? Config.recent_roms[i] : std::string();
    char cut[GadgetTextMax + 1] = "";
    if (!path.empty()) {
      const std::string name = DisplayFileName(path.substr(path.find_last_of('/') + 1));
      FitText(GuiFont, name.substr(0, GadgetTextMax - 1).c_str(), RequesterRecentWidth - 6, cut, sizeof cut - 1);
    }
    SetListRow(list, i, cut, !path.empty(), false);
  }
  if (rows > 0 && Config.recent_roms[0].empty()) SetListRow(list, 0, "None yet", false, false);
  if (r.recent_selected >= 0 && (r.recent_selected >= RecentRomCount || Config.recent_roms[r.recent_selected].empty()))
    r.recent_selected = -1;
  SelectRow(list, r.recent_selected);
}

void ChooseRecent(Requester& r, int row) {
  r.recent_selected = row;
  FillRecent(r);
  if (row >= 0 && r.selected >= 0) {  // one choice at a time
    r.selected = -1;
    FillRows(r);
  }
}

void StartScan(Requester& r, const std::string& directory) {
  StopScan(r);
  r.typed_file.clear();
  ChooseRecent(r, -1);
  char resolved[PATH_MAX];
  const std::string path = realpath(directory.c_str(), resolved) ? std::string(resolved) : directory;
  r.directory = path.empty() ? std::string(1, '/') : path;
  r.entries.clear();
  r.dirs.clear();
  r.files.clear();
  r.selected = -1;
  r.first = 0;
  r.parent_seen = false;
  r.unreadable = false;
  r.dir = opendir(r.directory.c_str());
  r.unreadable = !r.dir;
  r.step = StepDirectories;
  SetGuiBusy(true);
  EnableGadget(Id(r, RequesterParent), false);
  EnableGadget(Id(r, RequesterRoot), false);
  ShowPath(r);
  FillRows(r);
}

void ScanStep(Requester& r) {
  switch (r.step) {
    case StepDirectories: {
      for (int n = 0; r.dir && n < kEntriesReadPerPass; n++) {
        const dirent* e = readdir(r.dir);
        if (!e) {
          rewinddir(r.dir);
          std::sort(r.dirs.begin(), r.dirs.end(), NameOrder);
          r.step = StepFiles;
          r.pattern = 0;
          return;
        }
        if (!strcmp(e->d_name, "..")) r.parent_seen = true;
        if (Hidden(e->d_name)) continue;
        if ((int)r.dirs.size() < RequesterMaxDirectories && EntryKind(r.directory, e) == 1)
          r.dirs.push_back({e->d_name, true});
      }
      if (!r.dir) r.step = StepSort;
      return;
    }
    case StepFiles: {
      int added = 0;
      for (int n = 0; n < kEntriesReadPerPass && added < RequesterFilesPerPass; n++) {
        if (r.pattern >= PatternCount(r) || Total(r) >= RequesterMaxEntries) {
          r.step = StepSort;
          return;
        }
        const dirent* e = readdir(r.dir);
        if (!e) {
          rewinddir(r.dir);
          r.pattern++;
          continue;
        }
        if (!Hidden(e->d_name) && EndsWith(e->d_name, Pattern(r, r.pattern)) && EntryKind(r.directory, e) == 0) {
          r.files.push_back({e->d_name, false});
          added++;
        }
      }
      return;
    }
    case StepSort:
      if (r.dir) closedir(r.dir);
      r.dir = nullptr;
      std::sort(r.files.begin(), r.files.end(), NameOrder);
      r.step = StepFinish;
      return;
    case StepFinish: {
      // No drive letters here: the root folder is "/".
      r.entries = std::move(r.dirs);
      r.entries.insert(r.entries.end(), r.files.begin(), r.files.end());
      r.dirs.clear();
      r.files.clear();
      const bool up = r.parent_seen || (r.unreadable && r.directory != "/");
      EnableGadget(Id(r, RequesterParent), up);
      EnableGadget(Id(r, RequesterRoot), up);
      StopScan(r);
      FillRows(r);
      return;
    }
    default:
      return;
  }
}

void Select(Requester& r, int index) {
  const int count = (int)r.entries.size();
  if (count == 0) return;
  r.typed_file.clear();
  ChooseRecent(r, -1);
  r.selected = std::clamp(index, 0, count - 1);
  const int rows = std::max(1, ListRowCount(Id(r, RequesterList)));
  if (r.selected < r.first) r.first = r.selected;
  if (r.selected >= r.first + rows) r.first = r.selected - rows + 1;
  FillRows(r);
}

std::string Parent(const std::string& dir) {
  const size_t slash = dir.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return dir.substr(0, slash);
}

// Enter on a folder, or ask the application to load a file.
void Activate(Requester& r) {
  if (r.recent_selected >= 0) {
    PostGuiEvent(EventActivated, Id(r, RequesterLoad));
    return;
  }
  if (r.step != StepIdle || r.selected < 0 || r.selected >= (int)r.entries.size()) return;
  const RequesterEntry& e = r.entries[r.selected];
  if (e.directory) {
    const std::string name = e.name;
    StartScan(r, name == ".." ? Parent(r.directory) : Join(r.directory, name));
  } else {
    PostGuiEvent(EventActivated, Id(r, RequesterLoad));
  }
}

std::string Trimmed(const std::string& text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

// "~" and "~/..." from the home folder, other relative paths from the
// requester's folder.
std::string TypedToPath(const Requester& r, const std::string& text) {
  if (text == "~" || text.rfind("~/", 0) == 0) return Join(HomeFolder(), text.substr(std::min<size_t>(2, text.size())));
  if (text[0] == '/') return text;
  return Join(r.directory, text);
}

RequesterResult TypedPath(Requester& r) {
  const int field = Id(r, RequesterTyped);
  const std::string text = Trimmed(GetGadgetText(field));
  if (text.empty()) return RequesterHandled;
  const std::string path = TypedToPath(r, text);
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    SetGadgetText(field, "");
    StartScan(r, path);
    return RequesterHandled;
  }
  if (exists && S_ISREG(st.st_mode)) {
    char resolved[PATH_MAX];
    r.typed_file = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    return RequesterLoadFile;
  }
  ShowMessage("Couldn't open '%s'.", text.c_str());
  FocusGadget(field);  // to put it right
  return RequesterHandled;
}

bool Key(Requester& r, const GuiKey& key) {
  const int rows = std::max(1, ListRowCount(Id(r, RequesterList)));
  const int count = (int)r.entries.size();
  switch (key.code) {
    case KeyReturn:
    case KeyPadEnter: Activate(r); return true;
    case KeyHome: Select(r, 0); return true;
    case KeyEnd: Select(r, count - 1); return true;
    case KeyUp: Select(r, r.selected < 0 ? 0 : r.selected - 1); return true;
    case KeyDown: Select(r, r.selected + 1); return true;
    case KeyPageUp: Select(r, r.selected - rows); return true;
    case KeyPageDown: Select(r, r.selected < 0 ? rows - 1 : r.selected + rows); return true;
    default: break;
  }
  const int c = key.character;
  if (!isalnum(c)) return false;
  for (int n = 1; n <= count; n++) {
    const int at = (r.selected + n + count) % count;
    if (tolower((unsigned char)r.entries[at].name[0]) == tolower(c)) {
      Select(r, at);
      break;
    }
  }
  return true;
}

}  // namespace

std::string DisplayFileName(const std::string& name) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(name.c_str());
  const size_t n = name.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c >= 0x20 && c < 0x7F) {
      out += (char)c;
      i++;
      continue;
    }
    // A whole UTF-8 sequence counts as one character.
    int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
    size_t k = 1;
    while (extra > 0 && i + k < n && (p[i + k] & 0xC0) == 0x80 && (int)k <= extra) k++;
    out += '?';
    i += (extra > 0 && (int)k == extra + 1) ? k : 1;
  }
  return out;
}

int RequesterClientWidth(int window_id) {
  return window_id == WinFileRequesterRom ? RequesterBrowserWidth + 10 + RequesterRecentWidth
                                          : RequesterBrowserWidth;
}

bool OpenFileRequester(int window_id, const std::string& directory) {
  Requester* r = Of(window_id);
  if (!r) return false;
  if (WindowOpen(window_id)) {
    OpenWindow(window_id, 0, 0, 0, 0, 0, "");  // to the front
    return true;
  }
  const int width = RequesterClientWidth(window_id);
  Window* w = OpenToolWindow(window_id, width, RequesterClientHeight);
  if (!w) return false;
  r->window_id = window_id;
  r->recent_selected = -1;
  const bool close_after = window_id == WinFileRequesterRom ? Config.filerequester_rom_close_after_load
                                                            : Config.filerequester_vgm_close_after_load;
  const int top = RequesterListTop, height = RequesterListHeight;
  AddText(w, "", Id(*r, RequesterPathLine), 0, 0, width, 13);
  AddButton(w, "Parent", Id(*r, RequesterParent), 0, top - 20, 80, 15);
  AddButton(w, "Root", Id(*r, RequesterRoot), 85, top - 20, 80, 15);
  AddButton(w, "Home", Id(*r, RequesterHome), 170, top - 20, 80, 15);
  AddList(w, height, Id(*r, RequesterList), 0, top, 230, GadgetNoTab);
  AddScrollBar(w, Id(*r, RequesterScroll), 235, top, 15, height, 0, 1, 0);
  if (HasRecentList(*r)) {
    const int x = RequesterBrowserWidth + 10;
    AddText(w, "Recent cartridges", Id(*r, RequesterRecentCaption), x, top - 20, RequesterRecentWidth, 15);
    AddList(w, height, Id(*r, RequesterRecentList), x, top, RequesterRecentWidth, GadgetNoTab);
  }
  const char* caption = "Path:";
  const int field_x = TextWidth(GuiFont, caption) + 5;
  AddInput(w, "", Id(*r, RequesterTyped), field_x, RequesterTypedTop, width - field_x, 15, caption);
  AddButton(w, "Load", Id(*r, RequesterLoad), 0, RequesterLoadTop, 115, 15);
  AddCheckBox(w, "Close after load", Id(*r, RequesterCloseAfterLoad), 120, RequesterLoadTop, 115, 15,
              close_after);
  Config.window_opened[window_id] = true;
  if (HasRecentList(*r)) DropMissingRecentRoms();
  StartScan(*r, directory.empty() ? std::string("/") : directory);
  return true;
}

void CloseFileRequester(int window_id) {
  Requester* r = Of(window_id);
  if (!r) return;
  StopScan(*r);
  CloseWindow(window_id);
  Config.window_opened[window_id] = false;
}

void ToggleFileRequester(int window_id, const std::string& directory) {
  if (WindowOpen(window_id))
    CloseFileRequester(window_id);
  else
    OpenFileRequester(window_id, directory);
}

bool RunFileRequesters(const GuiInput& input) {
  bool used = false;
  for (Requester& r : g_requesters) {
    if (!r.window_id) continue;
    if (!WindowOpen(r.window_id)) {  // closed behind the requester's back
      StopScan(r);
      continue;
    }
    ScanStep(r);
    // The key that ended typing in a field (Return) is the field's too.
    const bool typing = r.field_had_focus || FocusedGadget() >= 0;
    r.field_had_focus = FocusedGadget() >= 0;
    const Window* top = FindWindow(TopWindowId());
    if (TopWindowId() != r.window_id || !top || MenuOpen() || typing) continue;
    for (int i = 0; i < input.key_count && i < GuiKeysPerPass; i++)
      if (input.keys[i].pressed) used |= Key(r, input.keys[i]);
  }
  return used;
}

RequesterResult FileRequesterEvent(const GuiEvent& event, int* window_id) {
  for (Requester& r : g_requesters) {
    if (!r.window_id || !WindowOpen(r.window_id)) continue;
    if (event.type == EventClose && event.id == r.window_id) {
      *window_id = r.window_id;
      CloseFileRequester(r.window_id);
      return RequesterHandled;
    }
    const int part = event.id - r.window_id * 100;
    if (event.type == EventMenu || event.id < r.window_id * 100 || part >= RequesterPartCount) continue;
    *window_id = r.window_id;
    r.typed_file.clear();
    switch (part) {
      case RequesterParent:
        if (event.type == EventActivated) StartScan(r, Parent(r.directory));
        break;
      case RequesterRoot:
        if (event.type == EventActivated) StartScan(r, "/");
        break;
      case RequesterHome:
        if (event.type == EventActivated) StartScan(r, HomeFolder());
        break;
      case RequesterTyped:
        // Only Return opens: leaving the field keeps what was typed.
        if (event.type == EventActivated && InputEntered(event.id)) return TypedPath(r);
        break;
      case RequesterRecentList: {
        const int row = GetSelectedRow(event.id);
        if (row < 0 || row >= RecentRomCount || Config.recent_roms[row].empty()) break;
        ChooseRecent(r, row);
        if (event.type == EventChanged && event.double_click) Activate(r);
        break;
      }
      case RequesterList: {
        const int row = GetSelectedRow(event.id);
        if (row >= 0 && r.first + row < (int)r.entries.size()) {
          ChooseRecent(r, -1);
          r.selected = r.first + row;
          if (event.type == EventChanged && event.double_click) Activate(r);
        }
        break;
      }
      case RequesterScroll:
        r.first = GetScrollFirst(event.id);
        FillRows(r);
        break;
      case RequesterLoad:
        if (event.type == EventActivated && r.recent_selected >= 0) return RequesterLoadFile;
        if (event.type != EventActivated || r.step != StepIdle || r.selected < 0 ||
            r.selected >= (int)r.entries.size())
          break;
        if (!r.entries[r.selected].directory) return RequesterLoadFile;
        Activate(r);
        break;
      case RequesterCloseAfterLoad:
        (r.window_id == WinFileRequesterRom ? Config.filerequester_rom_close_after_load
                                            : Config.filerequester_vgm_close_after_load) =
            GetChecked(event.id) == 1;
        break;
    }
    return RequesterHandled;
  }
  return RequesterNotMine;
}

void FileRequesterLoaded(int window_id) {
  if (Requester* r = Of(window_id); r && WindowOpen(window_id)) {
    r->typed_file.clear();
    SetGadgetText(Id(*r, RequesterTyped), "");
    if (HasRecentList(*r)) {
      DropMissingRecentRoms();
      r->recent_selected = -1;
      FillRecent(*r);
    }
  }
  const bool close = window_id == WinFileRequesterRom ? Config.filerequester_rom_close_after_load
                                                      : Config.filerequester_vgm_close_after_load;
  if (close) CloseFileRequester(window_id);
}

std::string FileRequesterSelectedPath(int window_id) {
  const Requester* r = Of(window_id);
  if (r && !r->typed_file.empty()) return r->typed_file;
  if (r && r->recent_selected >= 0 && r->recent_selected < RecentRomCount)
    return Config.recent_roms[r->recent_selected];
  if (!r || r->selected < 0 || r->selected >= (int)r->entries.size() || r->entries[r->selected].directory)
    return "";
  return Join(r->directory, r->entries[r->selected].name);
}

std::string FileRequesterDirectory(int window_id) {
  const Requester* r = Of(window_id);
  return r ? r->directory : "";
}

void ScrollFileRequester(int window_id, int rows) {
  Requester* r = Of(window_id);
  if (!r || !WindowOpen(window_id)) return;
  r->first += rows;
  FillRows(*r);
}

bool FileRequesterScanning(int window_id) {
  const Requester* r = Of(window_id);
  return r && r->step != StepIdle;
}

const std::vector<RequesterEntry>& FileRequesterEntries(int window_id) {
  static const std::vector<RequesterEntry> none;
  const Requester* r = Of(window_id);
  return r ? r->entries : none;
}

int FileRequesterSelected(int window_id) {
  const Requester* r = Of(window_id);
  return r ? r->selected : -1;
}

int FileRequesterRecentSelected(int window_id) {
  const Requester* r = Of(window_id);
  return r ? r->recent_selected : -1;
}

void ResetFileRequesters() {
  for (Requester& r : g_requesters) {
    StopScan(r);
    if (r.window_id) CloseWindow(r.window_id);
    r = Requester{};
  }
}
