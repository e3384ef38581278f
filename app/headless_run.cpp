#include "app/headless_run.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/headless_movie.h"
#include "app/headless_script.h"
#include "app/headless_verdict.h"
#include "base/program_dir.h"
#include "debugger/debugger_hooks.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"
#include "machine/vdp.h"
#include "record/rewind.h"
#include "record/screenshot.h"
#include "record/vgm_logger.h"
#include "record/video_recorder.h"
#include "record/wav_writer.h"

namespace {

void PrintMessage(const char* text) { std::printf("%s\n", text); }

void ApplyMachineOptions(const HeadlessOptions& o) {
  if (o.pal)
    MachineOptions = (MachineOptions & ~OptNtscRate) | OptPalLines;
  else
    MachineOptions = (MachineOptions & ~OptPalLines) | OptNtscRate;
  if (o.japanese)
    MachineOptions |= OptJapanese;
  else
    MachineOptions &= ~OptJapanese;
}

// The pause button of a Master System is not a port bit: pressing it raises
// the NMI once.
void SetControllers(const ControllerScript& script, long frame, uint16_t* previous_first) {
  uint16_t words[2];
  HeadlessPads(script, frame, words);
  bool pressed = (words[0] & PadPause) && !(*previous_first & PadPause);
  if (pressed && ConsoleKind == 1 && (MachineOptions & OptMasterSystemIo)) RaiseNmi(&PrimaryMachine);
  *previous_first = words[0];
}

// The last frame a scripted pause press may raise the NMI in; -1 for none.
long LastPausePress(const ControllerScript& script) {
  long last = -1;
  for (const ScriptPress& press : script.presses)
    if ((press.buttons[0] & PadPause) && press.last > last) last = press.last;
  return last;
}

// The --rewind options due after `frames_run` frames, from `*next` on. One
// that finds fewer frames kept goes back as far as the ring reaches, and
// says so.
void RewindsDue(const HeadlessOptions& o, long frames_run, size_t* next) {
  for (; *next < o.rewinds.size() && o.rewinds[*next].after_frame == frames_run; ++*next) {
    const HeadlessRewind& rewind = o.rewinds[*next];
    const long wanted = std::lround(rewind.seconds * FrameRate);
    const long gone = RewindFrames(int(wanted));
    if (gone < wanted)
      std::fprintf(stderr, "tavo-headless: --rewind %s went back %ld of %ld frames, all that were kept.\n",
                   rewind.text.c_str(), gone, wanted);
  }
}

}  // namespace

bool SaveScreenshot(const char* path) {
  Surface* picture = CopyEmulatedPicture();
  bool saved = picture && SavePng(path, picture);
  DestroySurface(picture);
  return saved;
}

int RunHeadless(const HeadlessOptions& o) {
  ControllerScript script;
  std::string error;
  if (!o.input.empty() && !LoadControllerScript(o.input.c_str(), &script, &error)) {
    std::fprintf(stderr, "Couldn't read input script '%s': %s.\n", o.input.c_str(), error.c_str());
    return 2;
  }
  if (!StartVerdict(o, &error)) {
    std::fprintf(stderr, "tavo-headless: %s\n", error.c_str());
    return 2;
  }
  if (!o.home.empty()) {
    SetProgramDirectory(o.home);
    mkdir(o.home.c_str(), 0755);  // an existing folder is fine; a failure shows below
    if (!CreateWorkingFolders()) {
      std::fprintf(stderr, "Couldn't create the working folders in '%s'.\n", o.home.c_str());
      return 1;
    }
  }
  ConsoleMessageHook = PrintMessage;
  ConnectDebuggerHooks();
  ApplyMachineOptions(o);
  if (!CreateConsoles()) {
    std::fprintf(stderr, "Couldn't create the console.\n");
    return 1;
  }
  int status = 0;
  long frames_run = 0;
  double seconds = 0;
  WavWriter wav;
  const bool loaded = LoadCartridge(o.rom.c_str());
  if (!loaded) {
    std::fprintf(stderr, "Couldn't load ROM '%s'.\n", o.rom.c_str());
    status = 1;
  } else if (!o.wav.empty() && !WavOpen(&wav, o.wav.c_str())) {
    std::fprintf(stderr, "Couldn't write '%s'.\n", o.wav.c_str());
    status = 1;
  } else if (!o.avi.empty() && !OpenVideoRecording(o.avi.c_str(), VideoRecordOptions{})) {
    std::fprintf(stderr, "Couldn't write '%s'.\n", o.avi.c_str());
    if (wav.File) WavClose(&wav);
    status = 1;
  }
  if (status == 0) {
    HardResetConsole();
    if (!LoadStartState(o) || !StartHeadlessMovie(o)) {
      status = 1;
      if (wav.File) WavClose(&wav);
      if (VideoRecording) CloseVideoRecording();
    }
  }
  if (status == 0) {
    if (!o.vgm.empty()) StartVgmLog();
    std::vector<int16_t> samples;
    uint16_t previous_first = 0;
    const long last_pause = LastPausePress(script);
    const long frames = HeadlessFrameCount(o);
    const bool record_rewind = !o.rewinds.empty();
    size_t next_rewind = 0;
    auto start = std::chrono::steady_clock::now();
    while (frames_run < frames) {
      SetControllers(script, frames_run, &previous_first);
      if (record_rewind) RecordRewindFrame(true);
      RunConsoleFrame(true, true);
      samples.resize(SamplesPerFrame * 2u);
      ReadSoundSamples(samples.data(), static_cast<uint32_t>(samples.size() * 2));
      if (wav.File) WavWrite(&wav, samples.data(), static_cast<uint32_t>(samples.size() * 2));
      CaptureVideoFrame(samples.data(), static_cast<uint32_t>(samples.size() * 2));
      ++frames_run;
      if (VerdictAfterFrame(frames_run, samples.data(), samples.size(),
                            frames_run <= last_pause || HeadlessMovieAhead()))
        break;
      RewindsDue(o, frames_run, &next_rewind);
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!FinishHeadlessMovie(o)) status = 1;
    if (!o.vgm.empty() && !StopVgmLogAs(o.vgm)) {
      std::fprintf(stderr, "Couldn't write '%s'.\n", o.vgm.c_str());
      status = 1;
    }
    if (wav.File && !WavClose(&wav)) {
      std::fprintf(stderr, "Couldn't write '%s'.\n", o.wav.c_str());
      status = 1;
    }
    // A recording that stopped early (a failed write) is no longer running.
    if (!o.avi.empty() && !(VideoRecording && CloseVideoRecording())) {
      std::fprintf(stderr, "Couldn't write '%s'.\n", o.avi.c_str());
      status = 1;
    }
    if (!o.screenshot.empty() && !SaveScreenshot(o.screenshot.c_str())) {
      std::fprintf(stderr, "Couldn't write '%s'.\n", o.screenshot.c_str());
      status = 1;
    }
    if (o.bench) {
      double fps = seconds > 0 ? frames_run / seconds : 0;
      std::printf("frames=%ld seconds=%.3f fps=%.1f realtime=%.2f\n", frames_run, seconds, fps,
                  fps / FrameRate);
    }
  }
  status = FinishVerdict(o, status, loaded, frames_run, seconds);
  ResetRewind();
  DestroyConsoles();  // saves cartridge RAM when there is a program directory
  ConsoleMessageHook = nullptr;
  DisconnectDebuggerHooks();
  return status;
}
