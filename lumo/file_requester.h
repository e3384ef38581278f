// The two file requesters (windows filerequester_rom and filerequester_vgm):
// a folder's subfolders and matching files in a list, read a little per
// main-loop pass so that huge folders never stall the program. Names that
// begin with '.' are hidden. Above the list the folder's path; below it a
// field that takes a typed or pasted path (Return: a folder opens, a file
// loads). The ROM requester also lists the recent cartridges
// (Config.recent_roms) beside the folder.
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
  RequesterCloseAfterLoad, RequesterHome, RequesterPathLine, RequesterTyped, RequesterRecentCaption,
  RequesterRecentList, RequesterPartCount,
};
constexpr int RequesterGadget(int window_id, int part) { return window_id * 100 + part; }

constexpr int RequesterMaxDirectories = 1022;
constexpr int RequesterMaxEntries = 1024;
constexpr int RequesterFilesPerPass = 32;
// Client layout: the path line, the buttons, the lists, the typed path, Load.
constexpr int RequesterListTop = 37;
constexpr int RequesterListHeight = 250;
constexpr int RequesterTypedTop = RequesterListTop + RequesterListHeight + 5;
constexpr int RequesterLoadTop = RequesterTypedTop + 20;
constexpr int RequesterClientHeight = RequesterLoadTop + 15;
constexpr int RequesterBrowserWidth = 250;  // list and scroll bar
constexpr int RequesterRecentWidth = 180;   // the ROM requester's recent list, 10 to the right
int RequesterClientWidth(int window_id);

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
// Page Down move it. Keys typed into a field in this pass or the one before
// are the field's. True when a key was used.
bool RunFileRequesters(const GuiInput& input);

enum RequesterResult { RequesterNotMine, RequesterHandled, RequesterLoadFile };
// Routes an event of a requester's gadgets; *window_id tells which one. A
// path confirmed with Return in the typed-path field: "~" is the home
// folder, a relative path starts in the requester's folder; a folder opens,
// a file is answered with RequesterLoadFile, anything else shows
// "Couldn't open '%s'." and changes nothing.
RequesterResult FileRequesterEvent(const GuiEvent& event, int* window_id);
// After a successful load: empties the typed path, shows the recent list
// again, closes the requester when "Close after load" is ticked.
void FileRequesterLoaded(int window_id);

// The file to load: the typed file of the answer just given, else the
// chosen recent cartridge, else the list's selected file ("" when none or a
// folder is selected).
std::string FileRequesterSelectedPath(int window_id);
std::string FileRequesterDirectory(int window_id);
// Moves the list by rows (the mouse wheel: 5 per step).
void ScrollFileRequester(int window_id, int rows);
bool FileRequesterScanning(int window_id);
const std::vector<RequesterEntry>& FileRequesterEntries(int window_id);
int FileRequesterSelected(int window_id);  // entry index or -1
int FileRequesterRecentSelected(int window_id);  // recent row or -1
void ResetFileRequesters();  // closes both, forgets their state (tests)
// A name as the list shows it: printable ASCII, "?" for every other
// character (one per UTF-8 sequence, one per invalid byte).
std::string DisplayFileName(const std::string& name);
