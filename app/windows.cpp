#include "app/app_windows.h"
#include "app/window_registry.h"
#include "debugger/debugger_windows.h"
#include "lumo/option_windows.h"
#include "record/recorder_windows.h"

// Every window module of the program adds its registration here.
void RegisterWindows() {
  RegisterAppWindows();
  RegisterOptionWindows();
  RegisterDebuggerWindows();
  RegisterRecorderWindows();
}
