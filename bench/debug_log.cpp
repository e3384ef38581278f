// The debug log's cost: one NTSC frame run instruction by instruction
// through the console layer's StepInstruction, with every instruction traced
// to a log in /tmp (restarted each frame, so the file stays one frame long),
// against the same stepping without the log. Items are frames; a symbol
// file's worth of labels and a few breakpoints are in the lists, as in a
// real debugging session.
#include <benchmark/benchmark.h>

#include <string>

#include "base/program_dir.h"
#include "debugger/debug_lists.h"
#include "debugger/debug_log.h"
#include "debugger/debugger_hooks.h"
#include "debugger/debugger_state.h"
#include "debugger/disassembler.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/options.h"
#include "scratch_folder.h"

namespace {

std::string Folder;
// The scratch program directory goes when the program ends.
struct FolderRemover {
  ~FolderRemover() { RemoveFolder(Folder); }
} Remover;

bool Start(const std::string& rom) {
  if (Folder.empty()) {
    Folder = MakeScratchFolder("bench_log");
    if (Folder.empty()) return false;
    SetProgramDirectory(Folder);
    CreateWorkingFolders();
    if (!LoadOpcodes(TAVO_OPCODES_FILE) || !CreateConsoles()) return false;
  ConnectDebuggerHooks();
  }
  MachineOptions = OptInitial;
  if (!LoadCartridge(rom.c_str())) return false;
  SetupConsoleTiming();
  HardResetConsole();
  BreakState = false;
  for (int i = 0; i < 120; ++i) RunConsoleFrame(false, false);  // into the game's own loop
  EnterBreakState();
  ResetDebugLists();
  for (uint32_t a = 0; a < 0x8000; a += 16) AddLabel(a, "label_" + std::to_string(a));
  AddBreakpoint(0x7FF0);
  AddBreakpoint(0xC100);
  return true;
}

void StepFrames(benchmark::State& state, const std::string& rom, bool logged) {
  if (!Start(rom)) {
    state.SkipWithError(("cannot run " + rom).c_str());
    return;
  }
  int64_t instructions = 0;
  for (auto _ : state) {
    if (logged) {
      StartDebugLog(false);
      DebugLogOn = true;
    }
    for (uint32_t spent = 0; spent < CyclesPerFrameAll;) {
      spent += static_cast<uint32_t>(StepInstruction());
      ++instructions;
    }
    if (logged) {
      StopDebugLog();
      DebugLogOn = false;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["instructions/frame"] =
      benchmark::Counter(static_cast<double>(instructions) / static_cast<double>(state.iterations()));
  BreakState = false;
}

const std::string Demo = std::string(TAVO_ROM_DIR) + "/demo.sms";
const std::string Game = std::string(TAVO_SHARED_DIR) + "/roms/astroswab.sms";

void BM_StepFrame_Demo(benchmark::State& state) { StepFrames(state, Demo, false); }
void BM_StepFrame_DemoLogged(benchmark::State& state) { StepFrames(state, Demo, true); }
void BM_StepFrame_Game(benchmark::State& state) { StepFrames(state, Game, false); }
void BM_StepFrame_GameLogged(benchmark::State& state) { StepFrames(state, Game, true); }

}  // namespace

BENCHMARK(BM_StepFrame_Demo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepFrame_DemoLogged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepFrame_Game)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepFrame_GameLogged)->Unit(benchmark::kMillisecond);
