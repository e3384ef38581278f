// The two file requesters (windows filerequester_rom and filerequester_vgm):
// a folder's subfolders and matching files in a list, read a little per
// main-loop pass so that huge folders never stall the program.
//
// The application opens a requester, calls RunFileRequesters every pass
// while the GUI is shown, hands every GUI event to FileRequesterEvent and
// loads FileRequesterSelectedPath when it answers RequesterLoadFile.
#pragma once
#include <string>
#include <vector>

#include "lumo/gui.h"

// Gadget ids: window id x 100 + part.
enum RequesterPart {
  RequesterParent, RequesterRoot, RequesterList, RequesterScroll, RequesterLoad,
  RequesterCloseAfterLoad,
};
constexpr int RequesterGadget(int window_id, int part) { return window_id * 100 + part; }

constexpr int RequesterMaxDirectories = 1022;
constexpr int RequesterMaxEntries = 1024;
constexpr int RequesterFilesPerPass = 32;

struct RequesterEntry {
  std::string name;
  bool directory;
};

// Opens the requester of a window id (WinFileRequesterRom or Vgm) on a
// folder; an open one is brought to the front. False when it cannot open.
bool OpenFileRequester(int window_id, const std::string& directory);
void CloseFileRequester(int window_id);
void ToggleFileRequester(int window_id, const std::string& directory);
// One scan step for each open requester, and the keys of this pass for the
// requester on top: letters jump to the next entry starting with them,
// Enter loads or enters the selection, Home, End, Up, Down, Page Up and
// Page Down move it. True when a key was used.
bool RunFileRequesters(const GuiInput& input);

enum RequesterResult { RequesterNotMine, RequesterHandled, RequesterLoadFile };
// Routes an event of a requester's gadgets; *window_id tells which one.
RequesterResult FileRequesterEvent(const GuiEvent& event, int* window_id);
// After a successful load: closes the requester when "Close after load" is ticked.
void FileRequesterLoaded(int window_id);

// The selected file's full path ("" when none or a folder is selected).
std::string FileRequesterSelectedPath(int window_id);
std::string FileRequesterDirectory(int window_id);
// Moves the list by rows (the mouse wheel: 5 per step).
void ScrollFileRequester(int window_id, int rows);
bool FileRequesterScanning(int window_id);
const std::vector<RequesterEntry>& FileRequesterEntries(int window_id);
int FileRequesterSelected(int window_id);  // entry index or -1
void ResetFileRequesters();  // closes both, forgets their state (tests)
// A name as the list shows it: printable ASCII, "?" for every other
// character (one per UTF-8 sequence, one per invalid byte).
std::string DisplayFileName(const std::string& name);
