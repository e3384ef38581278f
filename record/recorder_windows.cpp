#include "record/recorder_windows.h"

#include "debugger/console_window.h"
#include "lumo/window_registry.h"
#include "lumo/window_table.h"

namespace {

void ConsoleEvent(const GuiEvent& event) {
  if (event.type == EventClose) CloseWindow(WinConsole);
}

}  // namespace

void RegisterRecorderWindows() {
  RegisterPickStateWindow();
  RegisterMovieWindow();
  RegisterVgmLoggerWindow();
  RegisterVgmPlayerWindow();
  RegisterVideoRecorderWindow();
  WindowHandlers console;
  console.toggle = ToggleConsoleWindow;
  console.event = ConsoleEvent;
  console.refresh = RedrawConsole;
  RegisterWindow(WinConsole, console);
}
