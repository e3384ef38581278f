// The GUI on a 640 x 480 screen with the menu bar and five windows (one
// holding a 64-row list): whole redraws, an idle pass with nothing dirty,
// and the per-frame update of the emulator picture in the game window.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "config/config.h"
#include "lumo/display.h"
#include "lumo/file_requester.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/messages.h"
#include "lumo/messages_window.h"

namespace {

bool Screen(int bits) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ApplyConfigDefaults();
  if (!SetDisplayMode(640, 480, bits, false) || !LoadGuiGraphics(false, TAVO_BUILD_DIR)) return false;
  ResetGui();
  const char* menus[] = {"File", "Emulation", "Debugger", "Options", "Help"};
  for (const char* m : menus) {
    AddMenu(m);
    AddMenuItem("Load ROM", 0, "Alt+L", true);
  }
  OpenWindow(WinGame, 10, 30, 256, 192, 0, "");
  for (int i = 0; i < 40; i++) AddMessage("Successfully loaded ROM 'demo.sms'.");
  OpenMessagesWindow();
  MoveWindow(WinMessages, 20, 200);
  Window* list = OpenWindow(WinBreakpointViewer, 420, 20, 205, 64 * 8 + 2, WindowCloseBox, "Breakpoints");
  AddList(list, 64 * 8 + 2, 300, 0, 0, 190, GadgetSecondFont);
  for (int i = 0; i < 64; i++) SetListRow(300, i, "$C000 RAM start label", true, i % 9 == 0);
  Window* opts = OpenWindow(WinSystemOptions, 280, 60, 260, 180, WindowCloseBox, "Emulation configuration");
  AddFrame(opts, "Machine", 1, 0, 0, 260, 90);
  AddRadioButton(opts, "Master System", 2, 8, 16, 120, 15, true, 1);
  AddCheckBox(opts, "Sprite flickering", 3, 135, 16, 120, 15, true);
  AddSlider(opts, 4, 60, 60, 150, 15, 40, 100);
  AddInput(opts, "12345", 5, 70, 100, 120, 15, "Frames:");
  AddButton(opts, "OK", 6, 0, 165, 80, 15);
  AddButton(opts, "Cancel", 7, 85, 165, 80, 15);
  OpenFileRequester(WinFileRequesterRom, TAVO_SOURCE_DIR "/roms");
  GuiInput idle{};
  for (int i = 0; i < 200 && FileRequesterScanning(WinFileRequesterRom); i++) RunFileRequesters(idle);
  return true;
}

void Close() {
  ResetFileRequesters();
  ResetGui();
  MessagesChanged = nullptr;
  FreeGuiGraphics();
  CloseDisplay();
  ResetSurfaces();
}

void BM_FullRedraw(benchmark::State& state) {
  if (!Screen((int)state.range(0))) return state.SkipWithError("no screen");
  for (auto _ : state) {
    RedrawGui();
    ComposeGui();
  }
  state.SetItemsProcessed(state.iterations());
  Close();
}
BENCHMARK(BM_FullRedraw)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_IdlePass(benchmark::State& state) {
  if (!Screen(16)) return state.SkipWithError("no screen");
  GuiInput in{};
  in.pointer_x = 600, in.pointer_y = 400;
  RunGui(in);
  for (auto _ : state) {
    in.now_ms++;
    benchmark::DoNotOptimize(RunGui(in));
  }
  Close();
}
BENCHMARK(BM_IdlePass);

void BM_GamePicturePass(benchmark::State& state) {
  if (!Screen(16)) return state.SkipWithError("no screen");
  GuiInput in{};
  in.pointer_x = 600, in.pointer_y = 400;
  for (auto _ : state) {
    MarkWindowAreaChanged(WinGame, ClientLeft, ClientTop, 256, 192);
    RunGui(in);
  }
  Close();
}
BENCHMARK(BM_GamePicturePass)->Unit(benchmark::kMicrosecond);

}  // namespace
