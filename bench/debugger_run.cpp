// The debugger's cost per main-loop pass: a run pass (a quarter of an NTSC
// frame stepped instruction by instruction with the breakpoint and "nop
// nop" checks after each) on the demo with a symbol file's worth of labels
// and some breakpoints, and a refresh of the open debugger window (register
// lines and 20 disassembled rows) on the headless display.
#include <benchmark/benchmark.h>

#include <string>

#include "base/app_state.h"
#include "debugger/debug_lists.h"
#include "debugger/debugger_hooks.h"
#include "debugger/debugger_state.h"
#include "debugger/debugger_window.h"
#include "debugger/disassembler.h"
#include "lumo/display.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/options.h"

namespace {

bool Start() {
  static bool started = false, ok = false;
  if (started) return ok;
  started = true;
  if (!LoadOpcodes(TAVO_OPCODES_FILE) || !CreateConsoles()) return false;
  ConnectDebuggerHooks();
  MachineOptions = OptInitial;
  if (!LoadCartridge(TAVO_ROM_DIR "/demo.sms")) return false;
  SetupConsoleTiming();
  HardResetConsole();
  for (int i = 0; i < 60; ++i) RunConsoleFrame(false, false);
  for (uint32_t a = 0; a < 0x8000; a += 16) AddLabel(a, "label_" + std::to_string(a));
  for (uint32_t a = 0x7000; a < 0x7100; a += 8) AddBreakpoint(a);
  BreakAtNopNops = true;
  EnterBreakState();
  ok = true;
  return ok;
}

void BM_RunPass(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("cannot run the demo");
    return;
  }
  for (auto _ : state) {
    DebugRun = true;
    RunPass();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_RefreshDebugger(benchmark::State& state) {
  if (!Start() || !SetDisplayMode(640, 480, 16, false) || !LoadGuiGraphics(false, TAVO_BUILD_DIR)) {
    state.SkipWithError("no display or no GUI graphics");
    return;
  }
  ResetGui();
  OpenDebuggerWindow();
  for (auto _ : state) {
    StepInstruction();  // new rows and registers each time
    RefreshDebugger();
    ComposeGui();
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_RunPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshDebugger)->Unit(benchmark::kMicrosecond);
