#include "app/main_loop.h"

#include <cstdio>

#include "app/commands.h"
#include "app/hotkeys.h"
#include "app/pacing.h"
#include "app/poll_input.h"
#include "app/video_options_window.h"
#include "base/app_state.h"
#include "config/config.h"
#include "debugger/debugger_state.h"
#include "lumo/audio_output.h"
#include "lumo/file_requester.h"
#include "lumo/messages.h"
#include "lumo/presenter.h"
#include "lumo/window_registry.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"
#include "record/movie.h"
#include "record/rewind.h"
#include "record/vgm_player.h"
#include "record/video_recorder.h"

uint8_t SlowPhase = 0;
bool QuitRequested = false;
uint64_t PassesRun = 0;
uint64_t LoopMicros = 0;

namespace {

constexpr int FastForwardFrames = 7;
constexpr uint8_t SlowMotionPasses = 7;
constexpr int WheelRows = 5;  // list entries per wheel step
constexpr uint64_t MeasuredFromPass = 60;

// The rewind key over the passes: held in the previous pass, and the end of
// the ring already said in this hold.
struct RewindKeyState {
  bool held = false;
  bool end_shown = false;
};
RewindKeyState g_rewind;

bool MasterSystem() { return ConsoleKind == 1 && (MachineOptions & OptMasterSystemIo); }
bool GameGear() { return ConsoleKind == 1 && (MachineOptions & OptGameGearIo); }
bool PalTiming() { return !(MachineOptions & OptNtscRate); }

// Nothing reads the primary machine's samples in this pass: its ring must
// not fill up with sound that would play late once something reads again.
void DropUnheardSound() {
  if (VideoRecording || (AudioStarted() && !VgmPlaying) || ConsoleKind != 1) return;
  PsgState& psg = PrimaryMachine.Psg;
  psg.RingRead = psg.RingWrite;
  psg.RingFill = 0;
}

void WheelOverPointer(int steps) {
  const int window = WindowUnderPointer();
  if (window == WinFileRequesterRom || window == WinFileRequesterVgm)
    ScrollFileRequester(window, -steps * WheelRows);
  else
    WheelOverWindow(window, steps);
}

// The hotkeys of menu commands run those commands.
void ResetHotkeys(uint32_t hotkeys) {
  if (hotkeys & HotSoftReset) RunMenuCommand(CmdSoftReset);
  if (hotkeys & HotHardReset) RunMenuCommand(CmdHardReset);
}

// Alt+P (P on the Game Gear) pauses and resumes; P or the pad's pause
// button on a running Master System is its Pause button, the NMI.
void PauseKeys(uint32_t hotkeys) {
  const bool was_paused = Paused;
  if ((hotkeys & HotAltPause) || ((hotkeys & HotPause) && GameGear())) Paused = !Paused;
  const bool pause_button = (hotkeys & HotPause) || (ControllerInput[0] & PadPause);
  if (!was_paused && !BreakState && pause_button && MasterSystem()) RaiseNmi(&PrimaryMachine);
}

void RunFrame(bool render) {
  if (MovieState == MovieRecording) RecordMovieFrame(nullptr);  // with the message sent in this pass
  if (MovieState == MoviePlaying) {
    if (const char* message = PlayMovieFrame()) ShowMovieMessage(message);
  }
  RecordRewindFrame(render);
  RunConsoleFrame(render, render);
}

void RunFrames() {
  if (Paused || BreakState) return;
  if (FastForward) {
    SlowPhase = 0;
    for (int frame = 1; frame <= FastForwardFrames; frame++) RunFrame(frame == FastForwardFrames);
  } else if (SlowMotion) {
    if (SlowPhase >= SlowMotionPasses) SlowPhase = 0;
    if (SlowPhase == 0) {
      RunFrame(true);
    } else if (ConsoleKind == 1) {
      // The picture stays; the sound goes on from the chip's present state.
      PsgRender(&PrimaryMachine.Psg, uint32_t(SamplesPerFrame));
    }
  } else {
    SlowPhase = 0;
    RunFrame(true);
  }
  SlowPhase++;
}

// While the rewind key is held: one frame back per pass instead of the
// frames of the pass, paused or not, and at the oldest frame kept the
// picture stays. Its press says that it rewinds, or why it cannot (then the
// frames run as without it); the end of the ring is said once per hold.
// True when the pass was the rewind's.
bool RewindPass(bool held) {
  const bool pressed = held && !g_rewind.held;
  g_rewind.held = held;
  if (!held) return false;
  if (pressed) g_rewind.end_shown = false;
  if (const char* refusal = RewindRefusal()) {
    if (pressed) ShowMessage("%s", refusal);
    return false;
  }
  if (RewindFrames(1) > 0) {
    if (pressed) ShowMessage("Rewinding.");
  } else if (!g_rewind.end_shown) {
    ShowMessage("Can't rewind further.");
    g_rewind.end_shown = true;
  }
  return true;
}

// A hotkey that opens a window shows the GUI, or the window would open unseen.
void ShowWindowOf(void (*open)()) {
  open();
  if (!GuiVisible) ToggleGui();
}

void ToggleDebuggerWindow() { ToggleWindowById(WinDebugger); }
void TogglePickStateWindow() { ToggleWindowById(WinPickState); }

void RemainingHotkeys(uint32_t hotkeys) {
  if (hotkeys & HotQuit) RunMenuCommand(CmdQuit);
  if (hotkeys & HotLoadRom) ShowWindowOf(ToggleRomRequester);
  if (hotkeys & HotLoadState) RunMenuCommand(CmdLoadState);
  if (hotkeys & HotSaveState) RunMenuCommand(CmdSaveState);
  if (hotkeys & HotPickState) ShowWindowOf(TogglePickStateWindow);
  if (hotkeys & HotScreenshot) RunMenuCommand(CmdScreenshot);
  if (hotkeys & HotDebugger) ShowWindowOf(ToggleDebuggerWindow);
  if (hotkeys & HotStep) DebugStepIn();
  if (hotkeys & HotToggleGui) ToggleGui();
  if (hotkeys & HotFullScreen) ToggleFullScreen();
}

void WindowRequests() {
  if (PassInput.quit) QuitRequested = true;
  if (PassInput.redraw) RedrawGui();
  for (const std::string& path : PassInput.dropped) LoadDroppedFile(path);
}

void ActivePass() {
  ++PassCounter;
  Present();
  PollInput();
  WindowRequests();

  if (VgmPlaying) VgmPlayFrame();
  AudioVgmSource = VgmPlaying ? VgmReadSamples : nullptr;
  if (VideoRecording) CaptureVideoPass();
  DropUnheardSound();

  uint16_t pads[2] = {PassInput.pads[0], PassInput.pads[1]};
  uint32_t hotkeys = PassInput.hotkeys;
  bool rewind = PassInput.rewind && !WaitingForKey;
  // A movie that plays supplies the input; a key being assigned is no input.
  if (MovieState == MoviePlaying || WaitingForKey) pads[0] = pads[1] = 0;

  if (GuiVisible) {
    if (PassInput.gui.wheel) WheelOverPointer(PassInput.gui.wheel);
    if (RunGui(PassInput.gui)) {
      hotkeys = 0;
      pads[0] = pads[1] = 0;
      rewind = false;
    }
    GuiEvent event;
    if (NextGuiEvent(&event)) HandleGuiEvent(event);
  }
  if (MovieState != MoviePlaying) {
    ControllerInput[0] = pads[0];
    ControllerInput[1] = pads[1];
  }

  ResetHotkeys(hotkeys);
  if (GuiVisible) {
    RefreshOpenWindows();
    RunFileRequesters(PassInput.gui);
  }
  if (DebugRun) RunPass(FastForward, SlowMotion);
  PauseKeys(hotkeys);
  // The debugger and the movies change the machine outside the ring's frames.
  if (!RewindAvailable()) ClearRewind();
  if (!RewindPass(rewind)) RunFrames();
  EndMoviePass();
  AudioFeed();
  PaceFrame(PalTiming(), DebugRun);
  RemainingHotkeys(hotkeys);
}

// In the background: no emulation and no picture, silence to the sound
// output, fifty passes a second to notice the return.
void IdlePass() {
  PollInput();
  WindowRequests();
  PaceInactive();
  AudioFeed();
}

}  // namespace

void MainPass() {
  if (AppActive)
    ActivePass();
  else
    IdlePass();
  PassesRun++;
}

// The pace is measured from the pass after the first second, once the
// start-up's one-time work (the first drawing of everything) is behind.
void RunMainLoop() {
  RestartPacing();
  uint64_t start = 0;
  while (!QuitRequested) {
    MainPass();
    if (PassesRun == MeasuredFromPass) start = MonotonicMicros();
  }
  if (PassesRun > MeasuredFromPass) LoopMicros = MonotonicMicros() - start;
}

uint64_t MeasuredPasses() { return PassesRun > MeasuredFromPass ? PassesRun - MeasuredFromPass : 0; }

void ResetMainLoop() {
  SlowPhase = 0;
  g_rewind = RewindKeyState{};
  QuitRequested = false;
  PassesRun = 0;
  LoopMicros = 0;
}
