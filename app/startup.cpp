#include "app/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/commands.h"
#include "app/info_window.h"
#include "app/instance_lock.h"
#include "app/main_loop.h"
#include "app/pacing.h"
#include "app/poll_input.h"
#include "app/tavo_options.h"
#include "base/app_state.h"
#include "base/program_dir.h"
#include "config/config.h"
#include "config/config_file.h"
#include "debugger/debug_lists.h"
#include "debugger/debug_log.h"
#include "debugger/debugger_hooks.h"
#include "debugger/debugger_state.h"
#include "debugger/disassembler.h"
#include "debugger/list_windows.h"
#include "debugger/symbol_files.h"
#include "lumo/audio_output.h"
#include "lumo/desktop.h"
#include "lumo/display.h"
#include "lumo/file_requester.h"
#include "lumo/game_window.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/input.h"
#include "lumo/messages.h"
#include "lumo/presenter.h"
#include "lumo/theme.h"
#include "lumo/window_registry.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/vdp.h"
#include "record/movie.h"
#include "record/rewind.h"
#include "record/vgm_logger.h"
#include "record/vgm_player.h"
#include "record/video_recorder.h"

std::string StartupDirectory;
std::string SymbolFileAtStart;
bool GuiStarted = false;

namespace {

void TellFailure(const char* text) { ShowMessageBox(text); }

bool Fail(const char* text) {
  StartupFailure(text);
  return false;
}

void ShowLibraryLine(const char* text) { ShowMessage("%s", text); }

std::string CurrentDirectory() {
  char path[4096];
  return getcwd(path, sizeof path) ? std::string(path) : std::string(".");
}

// Every window that was open when the program last ended opens again at its
// remembered place.
void RestoreWindows() {
  for (int id = 1; id < WindowCount; id++)
    if (Config.window_opened[id] && !WindowOpen(id)) ToggleWindowById(id);
}

// The game window's remembered position is its centre, so that a picture of
// another size (a Game Gear cartridge after a Master System one) opens it
// where it was.
void OpenGameWindowAtCentre() {
  const VdpWindow picture = VdpVisibleWindow(&PrimaryMachine.Vdp);
  int32_t& x = Config.window_x[WinGame];
  int32_t& y = Config.window_y[WinGame];
  if (x != WindowPositionUnset && y != WindowPositionUnset) {
    x -= (picture.width + WindowExtraWidth) / 2;
    y -= (picture.height + WindowExtraHeight) / 2;
  }
  OpenGameWindow(picture.width, picture.height);
}

void CloseGameWindowAtCentre() {
  if (!WindowOpen(WinGame)) return;
  int x, y;
  WindowPosition(WinGame, &x, &y);
  const Surface* surface = GameWindowSurface();
  const int width = surface ? surface->width : 0, height = surface ? surface->height : 0;
  CloseGameWindow();
  Config.window_x[WinGame] = x + width / 2;
  Config.window_y[WinGame] = y + height / 2;
}

}  // namespace

void (*StartupFailure)(const char* text) = TellFailure;

bool Startup() {
  StartupDirectory = CurrentDirectory();
  if (!AcquireInstanceLock(ProgramDirectory)) return Fail("Tavo seems to be running already.");
  if (!LoadOpcodes(DataFilePath("opcodes.dat").c_str())) return Fail("Couldn't load opcodes.dat.");
  ClearLabels();
  ClearBreakpoints();
  ClearVariables();
  ClearComments();

  ApplyConfigDefaults();
  // A first run (no tavo.cfg yet) shows the game filling the screen; once
  // written, the file's own choice holds.
  struct stat config_file;
  if (stat(ConfigFilePath().c_str(), &config_file) != 0) Config.stretching = FirstRunStretching;
  ReadConfig();
  ConfigLoaded = true;

  CreateWorkingFolders();
  InstallShippedThemes(DataFilePath("themes"));

  if (!StartDesktop()) return Fail("Couldn't initialize graphics.");
  int width, height, bits;
  ConfiguredDisplayMode(&width, &height, &bits);
  if (!SetDisplayMode(width, height, bits, !Config.windowed)) {
    char text[80];
    std::snprintf(text, sizeof text, "Couldn't setup video mode (%dx%dx%d).", width, height, bits);
    return Fail(text);
  }
  SetDesktopTitle("Tavo");
  // The desktop icon at 48 pixels: in the build tree's icon folder, or in the
  // icon theme an install puts beside the shipped data.
  if (!SetDesktopIcon(DataFilePath("icons/hicolor/48x48/apps/tavo.png")))
    SetDesktopIcon(DataFilePath("../icons/hicolor/48x48/apps/tavo.png"));
  if (!InputStart()) return Fail("Couldn't setup input.");
  if (Config.sound_enabled && AudioStart() != 0) {
    std::printf("Couldn't start sound: %s\n", AudioError());
    std::fflush(stdout);
  }
  VdpBuildCounterTables();
  ScanThemes();

  ConsoleMessageHook = ShowLibraryLine;
  VdpMessageHook = ShowLibraryLine;
  ConnectDebuggerHooks();
  if (!CreatePresenterSurfaces() || !CreateConsoles()) return Fail("Not enough memory left.");
  LoadBios(Config.bios0000.c_str());
  HardResetConsole();

  if (!LoadGuiGraphics(false, DataDirectory.c_str())) return Fail("Couldn't initialize GUI.");
  ResetGui();
  ApplyColours(CurrentColours);
  GuiStarted = true;

  BuildMenuBar();
  ResetPollInput();
  ResetMainLoop();
  RedrawGui();
  RegisterWindows();
  RestoreWindows();
  OpenGameWindowAtCentre();
  LoadPictures();
  RestartPacing();
  return true;
}

bool LoadSymbolsAtStart(const std::string& path) {
  const bool loaded = LoadSymbolsFile(path);
  RefreshListWindows();
  RefreshDebugger();
  return loaded;
}

void HandleCommandLine(int argc, char** argv) {
  auto from_startup = [](const std::string& word) {
    return word[0] == '/' ? word : StartupDirectory + "/" + word;
  };
  // The file of -sym is known before any cartridge loads: it stands in for
  // the symbol file beside the cartridge, wherever it is named.
  for (int i = 1; i + 1 < argc; i++) {
    if (!TavoOptionTakesValue(argv[i])) continue;
    if (argv[i + 1][0]) SymbolFileAtStart = from_startup(argv[i + 1]);
    i++;
  }
  for (int i = 1; i < argc; i++) {
    const std::string word = argv[i];
    if (word.empty()) continue;
    if (TavoOptionTakesValue(word)) {
      i++;
      continue;
    }
    if (word[0] == '-') {
      if (word == "-debug") EnableDebuggerAtStart();
      continue;
    }
    LoadCommandLineRom(from_startup(word), SymbolFileAtStart.empty());
  }
  // The symbols after the cartridge, whose banks they name.
  if (!SymbolFileAtStart.empty()) LoadSymbolsAtStart(SymbolFileAtStart);
  RestartPacing();
}

void Shutdown() {
  AudioStop();
  DebugRun = false;
  if (VideoRecording) StopVideoRecording();
  StopDebugLog();
  StopVgmLog();
  StopMoviePlayback();
  StopMovieRecording();
  ResetRewind();

  if (GuiStarted) {
    // Closing a window through its own command may clear its opened flag:
    // the flags are taken first and put back afterwards.
    bool opened[WindowCount] = {};
    for (int id = 1; id < WindowCount; id++) opened[id] = WindowOpen(id);
    for (int id = WindowCount - 1; id >= 1; id--) {
      if (!WindowOpen(id)) continue;
      ToggleWindowById(id);
      if (WindowOpen(id)) CloseWindow(id);
    }
    CloseGameWindowAtCentre();
    for (int id = 1; id < WindowCount; id++) Config.window_opened[id] = opened[id];
    ResetGui();
    FreeInfoPictures();
    ResetThemePictures();
    FreeGuiGraphics();
    GuiStarted = false;
  }
  if (ConfigLoaded) WriteConfig();

  DestroyConsoles();
  DestroyPresenterSurfaces();
  ConsoleMessageHook = nullptr;
  VdpMessageHook = nullptr;
  DisconnectDebuggerHooks();
  ResetFileRequesters();
  FreeVgm();
  InputStop();
  CloseDisplay();
  ReleaseInstanceLock();
}

void ResetStartup() {
  StartupFailure = TellFailure;
  GuiStarted = false;
  StartupDirectory.clear();
  SymbolFileAtStart.clear();
}
