#include "app/window_registry.h"
#include "record/recorder_windows.h"

// Every window module of the program adds its registration here.
void RegisterWindows() { RegisterRecorderWindows(); }
