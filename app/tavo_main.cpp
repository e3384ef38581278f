// tavo: the emulator with its window, sound and GUI.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_loop.h"
#include "app/startup.h"
#include "app/tavo_options.h"
#include "base/program_dir.h"
#include "lumo/desktop.h"

int main(int argc, char** argv) {
  // The command line first, so that --help and --version need no display.
  std::string error;
  switch (CheckTavoOptions(argc, argv, &error)) {
    case TavoCommand::Help:
      std::fputs(TavoUsage, stdout);
      return 0;
    case TavoCommand::Version:
      std::printf("tavo %s\n", TAVO_VERSION);
      return 0;
    case TavoCommand::Bad:
      std::fprintf(stderr, "tavo: %s (tavo --help lists the options)\n", error.c_str());
      return 2;
    case TavoCommand::Run:
      break;
  }
  if (!DesktopAvailable()) {
    std::fprintf(stderr, "Tavo needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n");
    return 1;
  }
  if (!LocateProgramDirectories("")) {
    StartupFailure("Couldn't find a folder for Tavo's files.");
    return 1;
  }
  const bool started = Startup();
  if (started) {
    HandleCommandLine(argc, argv);
    RunMainLoop();
  }
  Shutdown();
  // TAVO_PASS_LOG: how many passes the loop ran in how long (after its
  // first second).
  if (const char* log = std::getenv("TAVO_PASS_LOG"); log && log[0]) {
    const double seconds = double(LoopMicros) / 1e6;
    const double passes = double(MeasuredPasses());
    std::fprintf(stderr, "passes=%.0f seconds=%.3f rate=%.3f\n", passes, seconds,
                 seconds > 0 ? passes / seconds : 0.0);
  }
  return started ? 0 : 1;
}
