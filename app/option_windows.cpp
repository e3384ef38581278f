#include "app/option_windows.h"

#include "app/video_options_window.h"
#include "lumo/theme_window.h"
#include "lumo/window_registry.h"
#include "lumo/window_table.h"

void RegisterOptionWindows() {
  RegisterWindow(WinVideoOptions, {ToggleVideoOptions, VideoOptionsEvent, nullptr, VideoOptionsWheel});
  RegisterWindow(WinGuiOptions, {ToggleThemeWindow, ThemeWindowEvent, nullptr, ThemeWindowWheel});
  RegisterWindow(WinSystemOptions, {ToggleEmulationOptions, EmulationOptionsEvent, RefreshEmulationOptions, nullptr});
  RegisterWindow(WinSoundOptions, {ToggleSoundOptions, SoundOptionsEvent, nullptr, nullptr});
  RegisterWindow(WinControlOptions, {ToggleControllerOptions, ControllerOptionsEvent, RefreshControllerOptions, nullptr});
  RegisterWindow(WinBiosOptions, {ToggleBiosOptions, BiosOptionsEvent, nullptr, nullptr});
}
