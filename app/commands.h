// The commands of the menu bar by number, the GUI event dispatch and the
// load commands of the two file requesters.
#pragma once
#include <string>

#include "lumo/gui.h"

enum MenuCommand {
  CmdLoadRom = 0, CmdVgmLogger = 1, CmdVgmPlayer = 2, CmdMovieLogger = 3, CmdVideoRecorder = 4,
  CmdLoadState = 5, CmdSaveState = 6, CmdPickState = 7, CmdScreenshot = 8, CmdQuit = 9,
  CmdHardReset = 10, CmdSoftReset = 11, CmdPause = 12, CmdConfiguration = 13, CmdDebugger = 14,
  CmdAddPatch = 15, CmdLoadPatch = 16, CmdSavePatch = 17, CmdAddSymbols = 18, CmdMessages = 19,
  CmdSdscConsole = 20, CmdVariables = 21, CmdBreakpoints = 22, CmdLabels = 23,
  CmdViewMemory = 24, CmdViewTiles = 25, CmdViewTilemap = 26, CmdViewPalette = 27,
  CmdViewVdp = 28, CmdViewPsg = 29, CmdVideoOptions = 30, CmdThemeOptions = 31,
  CmdSoundOptions = 32, CmdControlOptions = 33, CmdDebuggerOptions = 34, CmdBiosOptions = 35,
  CmdInfo = 36, MenuCommandCount = 37,
};

// The File, Emulation, Debugger, Options and Help menus.
void BuildMenuBar();
// Runs a menu command; unknown numbers do nothing.
void RunMenuCommand(int id);
// The window a menu command opens or closes, -1 for the other commands.
int CommandWindow(int id);
// One GUI event: menu commands, the file requesters' own gadgets and loads,
// then the window that owns the gadget.
void HandleGuiEvent(const GuiEvent& event);

// Loads a cartridge as the Load ROM command does: hard reset, messages, the
// SDSC tag, the new title. False (with "Couldn't load ROM '%s'.") when the
// file is unusable; the previous cartridge then stays.
bool LoadRomFile(const std::string& path);
// A cartridge named on the command line: on success the game plays with
// the GUI hidden (shown with the debugger of -debug); a failure is printed
// to standard error as well and the Messages window opens.
void LoadCommandLineRom(const std::string& path);
// Plays a VGM file as the VGM requester's load does.
bool LoadVgmFile(const std::string& path);
// A file dropped on the window: a .vgm/.vgz plays, anything else loads as
// a cartridge.
void LoadDroppedFile(const std::string& path);
// Opens or closes the ROM requester at the remembered ROM folder.
void ToggleRomRequester();
// Shows or hides the GUI.
void ToggleGui();
// The desktop window's title: "Tavo", or "Tavo - <cartridge>" once one is loaded.
void RetitleDesktop();
std::string DesktopTitle();
