#include "lumo/option_windows.h"

#include "app/window_registry.h"
#include "lumo/theme_window.h"
#include "lumo/video_options_window.h"
#include "lumo/window_table.h"

std::string FieldText(int id, const std::string& stored) {
  const std::string typed = GetGadgetText(id);
  if (stored.size() > typed.size() && typed.size() == (size_t)GadgetTextMax && stored.compare(0, typed.size(), typed) == 0)
    return stored;
  return typed;
}

void RegisterOptionWindows() {
  RegisterWindow(WinVideoOptions, {ToggleVideoOptions, VideoOptionsEvent, nullptr, VideoOptionsWheel});
  RegisterWindow(WinGuiOptions, {ToggleThemeWindow, ThemeWindowEvent, nullptr, ThemeWindowWheel});
  RegisterWindow(WinSystemOptions, {ToggleEmulationOptions, EmulationOptionsEvent, RefreshEmulationOptions, nullptr});
  RegisterWindow(WinSoundOptions, {ToggleSoundOptions, SoundOptionsEvent, nullptr, nullptr});
  RegisterWindow(WinControlOptions, {ToggleControllerOptions, ControllerOptionsEvent, RefreshControllerOptions, nullptr});
  RegisterWindow(WinBiosOptions, {ToggleBiosOptions, BiosOptionsEvent, nullptr, nullptr});
}
