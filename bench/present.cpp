// A whole present on a 640 x 480 screen: the demo cartridge's picture,
// filtered, drawn into the GUI's game window (with the menu bar and a tool
// window on the screen), the GUI composed, and the back surface handed to
// the display; and the full-screen present with each stretching mode.
// Target: a whole present in under 2 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/messages.h"
#include "lumo/presenter.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/options.h"

namespace {

bool Screen(int bits) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ApplyConfigDefaults();
  MachineOptions = OptInitial;
  if (!SetDisplayMode(640, 480, bits, false) || !LoadGuiGraphics(false, TAVO_BUILD_DIR)) return false;
  ResetGui();
  AddMenu("File");
  AddMenuItem("Load ROM", 0, "Alt+L", true);
  Window* w = OpenWindow(WinSystemOptions, 380, 300, 200, 100, WindowCloseBox, "Emulation configuration");
  AddButton(w, "Apply", 314, 0, 85, 100, 15);
  if (!CreateConsoles() || !CreatePresenterSurfaces() || !LoadCartridge(TAVO_ROM_DIR "/demo.sms")) return false;
  HardResetConsole();
  for (int frame = 0; frame < 120; frame++) RunConsoleFrame(true, false);
  return true;
}

void Close() {
  ResetPresenter();
  DestroyConsoles();
  ResetGui();
  FreeGuiGraphics();
  CloseDisplay();
  ResetSurfaces();
}

// Arguments: display bits, filter (0 normal ... 3 M-Eagle), motion blur.
void BM_PresentWithGui(benchmark::State& state) {
  if (!Screen((int)state.range(0))) return state.SkipWithError("no screen or demo cartridge");
  GuiVisible = true;
  Config.gui_video_mode = (uint8_t)state.range(1);
  Config.gui_motion_blur = state.range(2) != 0;
  Present();
  for (auto _ : state) {
    state.PauseTiming();
    RunConsoleFrame(true, false);  // a new picture each time, as in play
    state.ResumeTiming();
    Present();
  }
  Close();
}
BENCHMARK(BM_PresentWithGui)
    ->Args({16, 0, 0})->Args({16, 1, 0})->Args({16, 2, 0})->Args({16, 3, 0})->Args({16, 3, 1})
    ->Args({32, 3, 1})
    ->Unit(benchmark::kMicrosecond);

// The display's own share: the back surface handed to SDL and shown.
void BM_PresentDisplayOnly(benchmark::State& state) {
  if (!Screen((int)state.range(0))) return state.SkipWithError("no screen or demo cartridge");
  for (auto _ : state) PresentDisplay(false);
  Close();
}
BENCHMARK(BM_PresentDisplayOnly)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

// Arguments: stretching, filter; with a status message shown.
void BM_PresentFullScreen(benchmark::State& state) {
  if (!Screen(16)) return state.SkipWithError("no screen or demo cartridge");
  GuiVisible = false;
  Config.stretching = (uint8_t)state.range(0);
  Config.fullscreen_video_mode = (uint8_t)state.range(1);
  Present();
  for (auto _ : state) {
    state.PauseTiming();
    RunConsoleFrame(true, false);
    StatusCounter = 50;
    state.ResumeTiming();
    Present();
  }
  Close();
}
BENCHMARK(BM_PresentFullScreen)
    ->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({3, 0})->Args({2, 3})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
