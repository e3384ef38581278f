#include "app/app_windows.h"
#include "app/option_windows.h"
#include "debugger/debugger_windows.h"
#include "lumo/window_registry.h"
#include "record/recorder_windows.h"

// Every window module of the program adds its registration here.
void RegisterWindows() {
  RegisterAppWindows();
  RegisterOptionWindows();
  RegisterDebuggerWindows();
  RegisterRecorderWindows();
}
