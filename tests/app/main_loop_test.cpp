// The main loop's passes on the real input layer: keys arrive through SDL's
// event queue, hotkeys act once per press, the pads reach the console, the
// speed keys and the pause keys change how many frames run, and the
// window's own requests (quit, a dropped file, losing the focus) are heard.
#include "app/commands.h"
#include "app/hotkeys.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "program_fixture.h"
#include "record/save_state.h"

namespace {

class MainLoop : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(LoadRomFile(std::string(TAVO_ROM_DIR) + "/demo.sms"));
    Passes(2);
  }
  static uint8_t FrameCounter() { return Read8(0xC000); }
  static int MessagesContaining(const char* text) {
    int count = 0;
    for (const auto& line : MessageLines) count += std::string(line).find(text) != std::string::npos;
    return count;
  }
};

TEST_F(MainLoop, HoldingEscTogglesTheGuiOncePerPress) {
  ASSERT_TRUE(GuiVisible);
  PushKey(SDL_SCANCODE_ESCAPE, true);
  Passes(10);
  EXPECT_FALSE(GuiVisible);
  PushKey(SDL_SCANCODE_ESCAPE, false);
  Passes(2);
  EXPECT_FALSE(GuiVisible);
  // A tap that goes down and up within one pass still counts.
  PushKey(SDL_SCANCODE_ESCAPE, true);
  PushKey(SDL_SCANCODE_ESCAPE, false);
  Passes(1);
  EXPECT_TRUE(GuiVisible);
}

TEST_F(MainLoop, XQuitsOnlyWithAlt) {
  PushKey(SDL_SCANCODE_X, true);
  Passes(3);
  PushKey(SDL_SCANCODE_X, false);
  Passes(1);
  EXPECT_FALSE(QuitRequested);
  PushKey(SDL_SCANCODE_LALT, true);
  PushKey(SDL_SCANCODE_X, true);
  Passes(1);
  EXPECT_TRUE(QuitRequested);
}

// Alt, X and both releases between two polls, as a fast typist or xdotool
// sends them: the keys are read in the order they came, so the chord quits,
// with the GUI shown (the menu bar takes keys) and hidden.
TEST_F(MainLoop, AChordPressedAndReleasedWithinOnePassActs) {
  for (bool gui : {true, false}) {
    GuiVisible = gui;
    QuitRequested = false;
    PushKey(SDL_SCANCODE_LALT, true);
    PushKey(SDL_SCANCODE_X, true);
    PushKey(SDL_SCANCODE_X, false);
    PushKey(SDL_SCANCODE_LALT, false);
    Passes(1);
    EXPECT_TRUE(QuitRequested) << "GUI shown: " << gui;
  }
  // X alone, then Alt alone, in one pass: no chord.
  QuitRequested = false;
  PushKey(SDL_SCANCODE_X, true);
  PushKey(SDL_SCANCODE_X, false);
  PushKey(SDL_SCANCODE_LALT, true);
  PushKey(SDL_SCANCODE_LALT, false);
  Passes(1);
  EXPECT_FALSE(QuitRequested);
}

TEST_F(MainLoop, F5HeldLoadsTheStateOnce) {
  ASSERT_TRUE(SaveState(false));
  PushKey(SDL_SCANCODE_F5, true);
  Passes(12);
  EXPECT_EQ(MessagesContaining("Successfully loaded state"), 1);
  PushKey(SDL_SCANCODE_F5, false);
  Passes(1);
  PushKey(SDL_SCANCODE_F5, true);
  Passes(1);
  EXPECT_EQ(MessagesContaining("Successfully loaded state"), 2);
}

TEST_F(MainLoop, OneFramePerPassSevenFastAndOneInSevenSlow) {
  Passes(30);  // the cartridge's own start-up
  uint8_t before = FrameCounter();
  Passes(5);
  EXPECT_EQ(uint8_t(FrameCounter() - before), 5);

  PushKey(SDL_SCANCODE_GRAVE, true);
  Passes(1);
  before = FrameCounter();
  Passes(3);
  EXPECT_EQ(uint8_t(FrameCounter() - before), 21);

  PushKey(SDL_SCANCODE_LSHIFT, true);
  Passes(1);
  before = FrameCounter();
  Passes(14);
  EXPECT_EQ(uint8_t(FrameCounter() - before), 2);
  PushKey(SDL_SCANCODE_GRAVE, false);
  PushKey(SDL_SCANCODE_LSHIFT, false);
  Passes(1);
  before = FrameCounter();
  Passes(3);
  EXPECT_EQ(uint8_t(FrameCounter() - before), 3);
}

TEST_F(MainLoop, AltPPausesAndPPressesTheMasterSystemPauseButton) {
  const uint8_t demo_paused = Read8(0xC009);
  PushKey(SDL_SCANCODE_P, true);
  PushKey(SDL_SCANCODE_P, false);
  Passes(3);
  EXPECT_NE(Read8(0xC009), demo_paused) << "the cartridge saw its pause button";
  EXPECT_FALSE(Paused);

  PushKey(SDL_SCANCODE_LALT, true);
  PushKey(SDL_SCANCODE_P, true);
  Passes(1);
  PushKey(SDL_SCANCODE_P, false);
  PushKey(SDL_SCANCODE_LALT, false);
  Passes(1);
  EXPECT_TRUE(Paused);
  const uint8_t before = FrameCounter();
  Passes(5);
  EXPECT_EQ(FrameCounter(), before) << "no frame runs while paused";
  RunMenuCommand(CmdPause);
  EXPECT_FALSE(Paused);
}

TEST_F(MainLoop, ThePadKeysMoveThePlayer) {
  const uint8_t x = Read8(0xC005);
  PushKey(SDL_SCANCODE_G, true);  // player 1 right
  Passes(20);
  PushKey(SDL_SCANCODE_G, false);
  Passes(1);
  EXPECT_GT(Read8(0xC005), x);
}

TEST_F(MainLoop, TheWindowsRequestsAreHeard) {
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.file = SDL_strdup(TAVO_ROM_DIR "/vdp_scenes.sms");
  SDL_PushEvent(&drop);
  Passes(1);
  EXPECT_EQ(CartName, "vdp_scenes.sms");
  EXPECT_STREQ(StatusText, "Successfully loaded ROM 'vdp_scenes.sms'.");
  EXPECT_EQ(DesktopTitle(), "Tavo - vdp_scenes.sms");

  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&focus);
  Passes(1);
  EXPECT_FALSE(AppActive);
  const uint8_t before = FrameCounter();
  Passes(4);
  EXPECT_EQ(FrameCounter(), before) << "nothing runs in the background";
  focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  SDL_PushEvent(&focus);
  Passes(1);
  EXPECT_TRUE(AppActive);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  Passes(1);
  EXPECT_TRUE(QuitRequested);
}

TEST_F(MainLoop, ABadRomKeepsTheCartridgeAndSaysSo) {
  EXPECT_FALSE(LoadRomFile(folder_ + "/missing.sms"));
  EXPECT_STREQ(StatusText, "Couldn't load ROM 'missing.sms'.");
  EXPECT_EQ(CartName, "demo.sms");
}

}  // namespace
