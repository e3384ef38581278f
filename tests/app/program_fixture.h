// The whole program started in a scratch program directory on SDL's dummy
// video and audio drivers, with the shipped data of the build tree, a fake
// pacing clock and keys pushed through SDL's own event queue.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/pacing.h"
#include "app/poll_input.h"
#include "app/startup.h"
#include "base/app_state.h"
#include "base/program_dir.h"
#include "config/config.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "lumo/window_registry.h"
#include "machine/cartridge_files.h"

inline std::vector<std::string> StartupMessages;
inline void RecordStartupMessage(const char* text) { StartupMessages.push_back(text); }

// Each read of the fake clock lets 500 us pass, each sleep its milliseconds.
inline uint64_t FakeMicros = 0;
inline uint64_t FakePacingClock() { return FakeMicros += 500; }
inline void FakePacingSleep(int milliseconds) { FakeMicros += uint64_t(milliseconds) * 1000; }

inline std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    SetProgramDirectory(folder_);
    DataDirectory = TAVO_BUILD_DIR;  // opcodes.dat, the SSP files, lark.png, themes
    StartupMessages.clear();
    StartupFailure = RecordStartupMessage;
    ConfigLoaded = false;
    ResetAppState();
    ResetMessages();
    PacingClock = FakePacingClock;
    PacingSleep = FakePacingSleep;
  }
  void TearDown() override {
    if (started_) Shutdown();
    ResetStartup();
    ResetWindowRegistry();
    ResetAppState();
    ResetPacing();
    ResetMessages();
    ResetSurfaces();
    ConfigLoaded = false;
    RemoveFolder(folder_);
    ResetProgramDirectory();
  }

  // tavo.cfg with these lines; windowed, so the dummy display takes it.
  void WriteConfigLines(const std::string& lines) {
    const std::string text = "windowed = 1\n" + lines;
    ASSERT_TRUE(WriteFile(ConfigPath(), std::vector<uint8_t>(text.begin(), text.end())));
  }
  std::string ConfigPath() const { return folder_ + "/tavo.cfg"; }

  bool Start() {
    started_ = true;
    return Startup();
  }
  void Stop() {
    Shutdown();
    started_ = false;
  }

  // A key going down or up through SDL, as the window system would deliver it.
  static void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&event);
  }
  static void Passes(int count) {
    for (int i = 0; i < count; i++) MainPass();
  }

  std::string folder_;
  bool started_ = false;
};
