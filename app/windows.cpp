#include "app/app_windows.h"
#include "app/window_registry.h"

// Every window module of the program adds its registration here.
void RegisterWindows() {
  RegisterAppWindows();
}
