#include "app/commands.h"

#include <strings.h>

#include <cstdio>

#include "app/main_loop.h"
#include "app/pacing.h"
#include "base/app_state.h"
#include "base/safe_file.h"
#include "config/config.h"
#include "config/recent_roms.h"
#include "debugger/debugger_state.h"
#include "debugger/debugger_windows.h"
#include "debugger/sdsc.h"
#include "lumo/desktop.h"
#include "lumo/file_requester.h"
#include "lumo/messages.h"
#include "lumo/messages_window.h"
#include "lumo/presenter.h"
#include "lumo/window_registry.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "record/rewind.h"
#include "record/save_state.h"
#include "record/screenshot.h"
#include "record/vgm_player.h"

namespace {

// Menu commands that open or close a window, with the window's id.
struct CommandWindowPair {
  int command, window;
};
constexpr CommandWindowPair CommandWindows[] = {
    {CmdVgmLogger, WinVgmLogger},         {CmdVgmPlayer, WinVgmPlayer},
    {CmdMovieLogger, WinMovieLogger},     {CmdVideoRecorder, WinVideoRecorder},
    {CmdPickState, WinPickState},         {CmdConfiguration, WinSystemOptions},
    {CmdDebugger, WinDebugger},           {CmdMessages, WinMessages},
    {CmdSdscConsole, WinConsole},         {CmdVariables, WinVariableViewer},
    {CmdBreakpoints, WinBreakpointViewer}, {CmdLabels, WinLabelViewer},
    {CmdViewMemory, WinMemoryViewer},     {CmdViewTiles, WinTileViewer},
    {CmdViewTilemap, WinTilemapViewer},   {CmdViewPalette, WinPaletteViewer},
    {CmdViewVdp, WinVdpViewer},           {CmdViewPsg, WinPsgViewer},
    {CmdVideoOptions, WinVideoOptions},   {CmdThemeOptions, WinGuiOptions},
    {CmdSoundOptions, WinSoundOptions},   {CmdControlOptions, WinControlOptions},
    {CmdDebuggerOptions, WinDebuggerOptions}, {CmdBiosOptions, WinBiosOptions},
    {CmdInfo, WinInfo},
};

// A reset or a load breaks the run of frames the rewind ring holds.
void HardResetCommand() {
  ClearRewind();
  HardResetConsole();
  RefreshDebugger();
  RefreshMemoryRegions();
}

void SoftResetCommand() {
  ClearRewind();
  SoftResetConsole();
  RefreshDebugger();
}

bool HasVgmExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const char* extension = path.c_str() + dot;
  return strcasecmp(extension, ".vgm") == 0 || strcasecmp(extension, ".vgz") == 0;
}

void LoadFromRequester(int window_id) {
  const std::string path = FileRequesterSelectedPath(window_id);
  if (path.empty()) return;
  // A recent or typed file need not be in the requester's folder.
  const std::string folder = FolderOf(path);
  if (window_id == WinFileRequesterRom) {
    if (!LoadRomFile(path)) return;
    Config.rom_directory = folder;
  } else {
    if (!LoadVgmFile(path)) return;
    Config.vgm_directory = folder;
  }
  FileRequesterLoaded(window_id);
}

}  // namespace

void BuildMenuBar() {
  AddMenu("File");
  AddMenuItem("Load ROM", CmdLoadRom, "Alt+L", true);
  AddMenuSeparator();
  AddMenuItem("VGM logger", CmdVgmLogger, "", true);
  AddMenuItem("VGM player", CmdVgmPlayer, "", true);
  AddMenuItem("Movie logger", CmdMovieLogger, "", true);
  AddMenuItem("Video recorder", CmdVideoRecorder, "", true);
  AddMenuSeparator();
  AddMenuItem("Load state", CmdLoadState, "F5", true);
  AddMenuItem("Save state", CmdSaveState, "F6", true);
  AddMenuItem("Pick state", CmdPickState, "F7", true);
  AddMenuSeparator();
  AddMenuItem("Screenshot", CmdScreenshot, "F8", true);
  AddMenuSeparator();
  AddMenuItem("Quit", CmdQuit, "Alt+X", true);

  AddMenu("Emulation");
  AddMenuItem("Hard reset", CmdHardReset, "", true);
  AddMenuItem("Soft reset", CmdSoftReset, "", true);
  AddMenuSeparator();
  AddMenuItem("Pause", CmdPause, "Alt+P", true);
  AddMenuSeparator();
  AddMenuItem("Configuration", CmdConfiguration, "", true);

  AddMenu("Debugger");
  AddMenuItem("Debugger", CmdDebugger, "F9", true);
  AddMenuSeparator();
  AddMenuItem("Save patch", CmdSavePatch, "", true);
  AddMenuItem("Load patch", CmdLoadPatch, "", true);
  AddMenuItem("Add from patch", CmdAddPatch, "", true);
  AddMenuItem("Add from NO$GMB symbol file", CmdAddSymbols, "", true);
  AddMenuSeparator();
  AddMenuItem("Messages", CmdMessages, "", true);
  AddMenuItem("SDSC Console", CmdSdscConsole, "", true);
  AddMenuItem("Variables", CmdVariables, "", true);
  AddMenuItem("Breakpoints", CmdBreakpoints, "", true);
  AddMenuItem("Labels", CmdLabels, "", true);
  AddMenuSeparator();
  AddMenuItem("View memory", CmdViewMemory, "", true);
  AddMenuItem("View tiles", CmdViewTiles, "", true);
  AddMenuItem("View tilemap", CmdViewTilemap, "", true);
  AddMenuItem("View palette", CmdViewPalette, "", true);
  AddMenuItem("View VDP", CmdViewVdp, "", true);
  AddMenuItem("View PSG", CmdViewPsg, "", true);

  AddMenu("Options");
  AddMenuItem("Video", CmdVideoOptions, "", true);
  AddMenuItem("Theme", CmdThemeOptions, "", true);
  AddMenuItem("Sound", CmdSoundOptions, "", true);
  AddMenuItem("Control", CmdControlOptions, "", true);
  AddMenuItem("Debugger", CmdDebuggerOptions, "", true);
  AddMenuItem("BIOS", CmdBiosOptions, "", true);

  AddMenu("Help");
  AddMenuItem("Info", CmdInfo, "", true);
}

int CommandWindow(int id) {
  for (const CommandWindowPair& pair : CommandWindows)
    if (pair.command == id) return pair.window;
  return -1;
}

void RunMenuCommand(int id) {
  switch (id) {
    case CmdLoadRom: ToggleRomRequester(); return;
    case CmdLoadState:
      if (LoadState(true)) ClearRewind();
      Paused = false;
      return;
    case CmdSaveState: SaveState(true); return;
    case CmdScreenshot:
      // The picture of this very moment, GUI and all.
      Present();
      TakeScreenshot();
      return;
    case CmdQuit: QuitRequested = true; return;
    case CmdHardReset: HardResetCommand(); return;
    case CmdSoftReset: SoftResetCommand(); return;
    case CmdPause: Paused = !Paused; return;
    case CmdAddPatch:
      AddFromPatchCommand();
      return;
    case CmdLoadPatch:
      LoadPatchCommand();
      return;
    case CmdSavePatch: SavePatchCommand(); return;
    case CmdAddSymbols:
      AddFromSymbolFileCommand();
      return;
    case CmdMessages: ToggleMessagesWindow(); return;
    default: break;
  }
  const int window = CommandWindow(id);
  if (window >= 0) ToggleWindowById(window);
}

void HandleGuiEvent(const GuiEvent& event) {
  if (event.type == EventMenu) {
    RunMenuCommand(event.id);
    return;
  }
  int window_id = -1;
  switch (FileRequesterEvent(event, &window_id)) {
    case RequesterLoadFile: LoadFromRequester(window_id); return;
    case RequesterHandled: return;
    case RequesterNotMine: break;
  }
  DispatchWindowEvent(event);
}

bool LoadRomFile(const std::string& path) {
  const bool loaded = LoadCartridge(path.c_str());
  if (loaded) {
    ClearRewind();
    HardResetConsole();
    DebugRun = false;
    Paused = false;
    RefreshDebugger();
    RefreshMemoryRegions();
    ShowMessage("Successfully loaded ROM '%s'.", CartName.c_str());
    RememberRecentRom(path);
    ShowSdscTag();
    RetitleDesktop();
  } else {
    ShowMessage("Couldn't load ROM '%s'.", FileNamePart(path.c_str()).c_str());
  }
  // The time spent reading the file is no lateness of the frames.
  RestartPacing();
  return loaded;
}

void LoadCommandLineRom(const std::string& path) {
  if (!LoadRomFile(path)) {
    // Nothing plays: say why where the user looks, the terminal and the
    // Messages window over the GUI.
    std::fprintf(stderr, "%s\n", StatusText);
    OpenMessagesWindow();
    return;
  }
  // The game plays at once, unless the debugger was asked for: then its
  // window shows, stopped at the first instruction.
  GuiVisible = BreakState;
}

bool LoadVgmFile(const std::string& path) {
  const bool loaded = PlayVgmFile(path.c_str());
  RestartPacing();
  return loaded;
}

void LoadDroppedFile(const std::string& path) {
  if (HasVgmExtension(path)) {
    if (LoadVgmFile(path)) Config.vgm_directory = FolderOf(path);
  } else if (LoadRomFile(path)) {
    Config.rom_directory = FolderOf(path);
  }
}

void ToggleRomRequester() { ToggleFileRequester(WinFileRequesterRom, RomRequesterFolder()); }

void ToggleGui() {
  GuiVisible = !GuiVisible;
  RedrawGui();
}

std::string DesktopTitle() {
  if (CartName.empty()) return "Tavo";
  return "Tavo - " + CartName;
}

void RetitleDesktop() { SetDesktopTitle(DesktopTitle().c_str()); }
