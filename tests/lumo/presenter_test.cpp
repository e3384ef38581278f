// The presenter on the real display code (SDL's dummy driver) with the
// machines' own frame surfaces holding hand-made pictures: where the
// picture lands for each stretching mode, the game window with a filter,
// link play side by side, motion blur and the message bands.
#include <gtest/gtest.h>

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/filters.h"
#include "lumo/game_window.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/message_bands.h"
#include "lumo/messages.h"
#include "lumo/presenter.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kYellow = 0xFFE0;

class PresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyConfigDefaults();
    ResetAppState();
    MachineOptions = (OptInitial & ~OptSystemGroup) | OptMasterSystemGroup;  // 256 x 192
    ASSERT_TRUE(SetDisplayMode(640, 480, 16, false));
    ASSERT_TRUE(LoadGuiGraphics(false, TAVO_BUILD_DIR));
    ResetGui();
    ASSERT_TRUE(CreateConsoles());
    HardResetConsole();
    ASSERT_TRUE(CreatePresenterSurfaces());
  }
  void TearDown() override {
    ResetPresenter();
    DestroyConsoles();
    ResetGui();
    ResetMessages();
    FreeGuiGraphics();
    CloseDisplay();
    ResetSurfaces();
    ResetAppState();
    MachineOptions = OptInitial;
  }

  // The visible picture of a machine in four quadrants of one colour each
  // (finished surface) and the surface being drawn in one colour.
  static void Paint(Machine& m, const uint16_t quadrants[4], uint16_t drawn) {
    const VdpWindow w = VdpVisibleWindow(&m.Vdp);
    for (PixelBuffer* s : {w.finished, w.drawn}) {
      for (int y = 0; y < w.height; y++)
        for (int x = 0; x < w.width; x++) {
          const uint16_t colour = s == w.drawn ? drawn : quadrants[(y >= w.height / 2) * 2 + (x >= w.width / 2)];
          reinterpret_cast<uint16_t*>(s->pixels + (w.y + y) * s->pitch)[w.x + x] = colour;
        }
    }
  }
  static uint16_t Pixel(Surface* s, int x, int y) {
    uint8_t* p = LockSurface(s, LockReadOnly);
    const uint16_t v = reinterpret_cast<uint16_t*>(p + y * s->pitch)[x];
    UnlockSurface(s);
    return v;
  }
  static uint16_t Screen(int x, int y) { return Pixel(DisplayDrawTarget(), x, y); }

  const uint16_t quadrants_[4] = {kRed, kGreen, kBlue, kYellow};
};

TEST_F(PresenterTest, TheFullScreenPictureLandsCentredInEveryStretchingModeAndLeavesNothingBehind) {
  GuiVisible = false;
  Paint(PrimaryMachine, quadrants_, 0);
  // Double first: its larger picture must not show around the smaller ones.
  for (int stretching : {1, 0, 2, 3}) {
    SCOPED_TRACE(stretching);
    Config.stretching = (uint8_t)stretching;
    Present();
    const SurfaceRect t = StretchTarget(stretching, 640, 480, 256, 192);
    const int right = t.x + t.width - 1, bottom = t.y + t.height - 1;
    EXPECT_EQ(Screen(t.x, t.y), kRed);
    EXPECT_EQ(Screen(right, t.y), kGreen);
    EXPECT_EQ(Screen(t.x, bottom), kBlue);
    EXPECT_EQ(Screen(right, bottom), kYellow);
    EXPECT_EQ(Screen(t.x + t.width / 2 - 1, t.y), kRed);
    EXPECT_EQ(Screen(t.x + t.width / 2 + 1, t.y), kGreen);
    if (t.x > 0) {
      EXPECT_EQ(Screen(t.x - 1, t.y + 5), 0);
      EXPECT_EQ(Screen(right + 1, bottom - 5), 0);
      EXPECT_EQ(Screen(t.x + 5, t.y - 1), 0);
      EXPECT_EQ(Screen(0, 0), 0);
    }
  }
}

TEST_F(PresenterTest, TheGameWindowGetsTheFilteredPictureAtItsClientOrigin) {
  GuiVisible = true;
  Config.gui_video_mode = FilterDouble;
  Paint(PrimaryMachine, quadrants_, 0);
  Present();
  ASSERT_TRUE(WindowOpen(WinGame));
  Surface* window = GameWindowSurface();
  EXPECT_EQ(window->width, 512 + WindowExtraWidth);
  EXPECT_EQ(window->height, 384 + WindowExtraHeight);
  int ox, oy;
  GameWindowClientOrigin(&ox, &oy);
  EXPECT_EQ(Pixel(window, ox, oy), kRed);
  EXPECT_EQ(Pixel(window, ox + 511, oy), kGreen);
  EXPECT_EQ(Pixel(window, ox + 511, oy + 383), kYellow);
  // And the GUI was composed before presenting: the screen shows it there.
  int wx, wy;
  WindowPosition(WinGame, &wx, &wy);
  EXPECT_EQ(Screen(wx + ox + 2, wy + oy + 2), kRed);
  EXPECT_EQ(Screen(wx + ox + 509, wy + oy + 381), kYellow);

  // Without the filter the window shrinks around its centre.
  Config.gui_video_mode = FilterNormal;
  Present();
  int nx, ny;
  WindowPosition(WinGame, &nx, &ny);
  EXPECT_EQ(GameWindowSurface()->width, 256 + WindowExtraWidth);
  EXPECT_EQ(nx, wx + 128);
  EXPECT_EQ(ny, wy + 96);
  EXPECT_EQ(Pixel(GameWindowSurface(), ox + 255, oy + 191), kYellow);
}

TEST_F(PresenterTest, LinkPlayShowsThePartnersPictureToTheRight) {
  MachineOptions = (MachineOptions & ~OptSystemGroup) | OptGameGearGroup | OptLink;
  GuiVisible = false;
  const uint16_t partner[4] = {kBlue, kBlue, kBlue, kBlue};
  Paint(PrimaryMachine, quadrants_, 0);
  Paint(PartnerMachine, partner, 0);
  Present();
  // Two Game Gear windows of 160 x 144 side by side, centred as one.
  const SurfaceRect t = StretchTarget(0, 640, 480, 320, 144);
  EXPECT_EQ(Screen(t.x, t.y), kRed);
  EXPECT_EQ(Screen(t.x + 159, t.y), kGreen);
  EXPECT_EQ(Screen(t.x + 160, t.y), kBlue);
  EXPECT_EQ(Screen(t.x + 319, t.y + 143), kBlue);
}

TEST_F(PresenterTest, MotionBlurShowsTheMeanOfTheLastTwoFrames) {
  GuiVisible = false;
  Config.fullscreen_motion_blur = true;
  const uint16_t white[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  Paint(PrimaryMachine, white, kBlue);
  Present();
  const SurfaceRect t = StretchTarget(0, 640, 480, 256, 192);
  EXPECT_EQ(Screen(t.x + 10, t.y + 10), Rgb565Blur(0xFFFF, kBlue));
  Paint(PrimaryMachine, white, 0xFFFF);  // two identical frames: low bits go
  Present();
  EXPECT_EQ(Screen(t.x + 10, t.y + 10), 0xF7DE);
}

TEST_F(PresenterTest, TheStatusBandShowsWhileItsCounterRunsAndGoesAfterwards) {
  // A white background without the GUI, so that the band's darkening shows.
  uint32_t colours[ColourCount];
  for (int i = 0; i < ColourCount; i++) colours[i] = CurrentColours[i];
  colours[2] = colours[3] = 0xFFFFFF;
  ApplyColours(colours);
  GuiVisible = false;
  Paint(PrimaryMachine, quadrants_, 0);
  ShowMessage("Saved state as 'game.st0'.");
  const int band = 480 - MessageBandHeight();
  Present();
  EXPECT_EQ(MessageBandsTop(), band);
  EXPECT_EQ(Screen(630, 478), 0x39E7);  // white at a quarter
  int ink = 0;
  for (int x = 4; x < 120; x++)
    for (int y = band; y < 480; y++) ink += Screen(x, y) == 0xFFFF;
  EXPECT_GT(ink, 40);  // the text
  EXPECT_EQ(StatusCounter, StatusPasses - 1);
  for (int pass = 1; pass < StatusPasses; pass++) Present();
  EXPECT_EQ(StatusCounter, 0);
  EXPECT_TRUE(FullRedrawPending());
  Present();
  EXPECT_FALSE(FullRedrawPending());
  EXPECT_EQ(MessageBandsTop(), 480);
  EXPECT_EQ(Screen(630, 478), 0xFFFF);
  EXPECT_EQ(Screen(10, band + 4), 0xFFFF);

  // With the GUI shown the band lies over the desktop and goes the same way.
  GuiVisible = true;
  Present();
  const uint16_t desktop = Screen(630, 478);
  ShowMovieMessage("Hi");
  Present();
  EXPECT_NE(Screen(630, 478), desktop);
  while (MovieMessageCounter > 0) Present();
  Present();
  EXPECT_EQ(Screen(630, 478), desktop);
}

}  // namespace
