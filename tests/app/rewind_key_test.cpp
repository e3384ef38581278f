// The rewind key in the program: held, it goes back one frame per pass and
// releasing plays on; resets and loads empty the ring; the debugger and a
// movie recording refuse it; Options > Control shows and rebinds it.
#include <functional>

#include "app/commands.h"
#include "app/option_windows.h"
#include "debugger/debugger_state.h"
#include "lumo/key_capture.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "program_fixture.h"
#include "record/movie.h"
#include "record/save_state.h"

namespace {

class RewindKey : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(LoadRomFile(std::string(TAVO_ROM_DIR) + "/demo.sms"));
    Passes(60);
  }
  static uint8_t FrameCounter() { return Read8(0xC000); }  // the demo counts its frames there
  static std::vector<uint8_t> Ram() { return {PrimaryMachine.Ram, PrimaryMachine.Ram + MachineRamSize}; }
  static int MessagesSaying(const char* text) {
    int count = 0;
    for (const auto& line : MessageLines) count += std::string(line) == text;
    return count;
  }
  // Holds the key for `passes` passes and lets it go; the frames the
  // counter moved meanwhile.
  static int Hold(SDL_Scancode key, int passes) {
    const uint8_t before = FrameCounter();
    PushKey(key, true);
    Passes(passes);
    PushKey(key, false);
    const int moved = int8_t(uint8_t(FrameCounter() - before));
    Passes(1);
    return moved;
  }
};

TEST_F(RewindKey, HeldItGoesBackAFramePerPassAndReleasedPlaysOn) {
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 10), -10);
  EXPECT_EQ(MessagesSaying("Rewinding."), 1);
  uint8_t before = FrameCounter();
  Passes(5);
  EXPECT_EQ(uint8_t(FrameCounter() - before), 5);
  // A tap within one pass goes back one frame.
  before = FrameCounter();
  PushKey(SDL_SCANCODE_Z, true);
  PushKey(SDL_SCANCODE_Z, false);
  Passes(1);
  EXPECT_EQ(uint8_t(before - FrameCounter()), 1);
  EXPECT_EQ(MessagesSaying("Rewinding."), 2);
  // Paused, it still goes back; the pause stays.
  RunMenuCommand(CmdPause);
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 3), -3);
  EXPECT_TRUE(Paused);
}

TEST_F(RewindKey, ResetsAndLoadsEmptyTheRing) {
  ASSERT_TRUE(SaveState(false));
  const std::vector<std::function<void()>> breaks = {
      [] { RunMenuCommand(CmdHardReset); },
      [] { RunMenuCommand(CmdSoftReset); },
      [] { RunMenuCommand(CmdLoadState); },
      [] { ASSERT_TRUE(LoadRomFile(std::string(TAVO_ROM_DIR) + "/demo.sms")); },
  };
  int said = 0;
  for (const auto& event : breaks) {
    Passes(5);
    event();
    EXPECT_EQ(Hold(SDL_SCANCODE_Z, 4), 0);
    EXPECT_EQ(MessagesSaying("Can't rewind further."), ++said) << "once per hold";
    // Back to the first frame after the break (run in the pass after the
    // release), no further: its RAM again, which later frames changed.
    const std::vector<uint8_t> first = Ram();
    Passes(30);
    ASSERT_FALSE(first == Ram());
    PushKey(SDL_SCANCODE_Z, true);
    Passes(40);
    const std::vector<uint8_t> now = Ram();
    PushKey(SDL_SCANCODE_Z, false);
    Passes(1);
    EXPECT_TRUE(first == now) << "break " << said;
    EXPECT_EQ(MessagesSaying("Can't rewind further."), ++said);
  }
}

TEST_F(RewindKey, TheDebuggerAndAMovieRecordingRefuseIt) {
  EnableDebugger();
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 3), 0);
  EXPECT_EQ(MessagesSaying("Can't rewind while the debugger is on."), 1);
  DisableDebugger();
  Passes(10);

  ASSERT_TRUE(StartMovieRecording());
  Passes(10);
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 3), 3) << "the frames run on";
  EXPECT_EQ(MessagesSaying("Can't rewind while a movie is recorded."), 1);
  StopMovieRecording();
  // The frames of the recording were not kept.
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 3), 0);
  EXPECT_EQ(MessagesSaying("Can't rewind further."), 1);
}

TEST_F(RewindKey, OptionsControlShowsAndRebindsIt) {
  ToggleWindowById(WinControlOptions);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerRewindText)), "z");
  HandleGuiEvent(GuiEvent{EventActivated, ControllerGadget(ControllerRewind), false});
  EXPECT_EQ(ControllerWaitingSlot(), ControllerRewindSlot);
  Passes(1);
  PushKey(SDL_SCANCODE_F12, true);
  Passes(1);
  PushKey(SDL_SCANCODE_F12, false);
  Passes(1);
  EXPECT_EQ(ControllerWaitingSlot(), -1);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerRewindText)), "F12");
  EXPECT_EQ(Hold(SDL_SCANCODE_Z, 3), 3) << "z no longer rewinds";
  EXPECT_EQ(Hold(SDL_SCANCODE_F12, 3), -3);
  HandleGuiEvent(GuiEvent{EventActivated, ControllerGadget(ControllerReset), false});
  EXPECT_EQ(Config.key_rewind, DefaultRewindKey);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerRewindText)), "z");
}

}  // namespace
