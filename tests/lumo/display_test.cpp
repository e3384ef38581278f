// The display on SDL's dummy video driver: modes, fall-back and present all
// run through the real code without a screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lumo/display.h"
#include "lumo/platform_sdl.h"
#include "lumo/surface.h"

namespace {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 0); }
  void TearDown() override {
    CloseDisplay();
    ResetSurfaces();
  }
};

TEST_F(DisplayTest, WindowedModeGivesABackSurfaceToDrawOn) {
  ASSERT_TRUE(SetDisplayMode(320, 240, 16, false));
  Surface* target = DisplayDrawTarget();
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->width, 320);
  EXPECT_EQ(target->height, 240);
  EXPECT_EQ(target->format.bits, 16);
  EXPECT_TRUE(target->display_memory);
  EXPECT_EQ(ScreenWidth(), 320);
  EXPECT_EQ(DisplayFormat().mask[0], 0xF800u);
  int w = 0, h = 0;
  SDL_GetWindowSize(PlatformWindow(), &w, &h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_TRUE(FillRect(10, 10, 50, 50, target, target->white));
  EXPECT_TRUE(PresentDisplay(false));
  EXPECT_TRUE(PresentDisplay(true));
  EXPECT_EQ(LiveSurfaceCount(), 1);
}

TEST_F(DisplayTest, FullScreenAndBackKeepOneWindowAndOneBackSurface) {
  ASSERT_TRUE(SetDisplayMode(640, 480, 32, true));
  SDL_Window* window = PlatformWindow();
  EXPECT_TRUE(DisplayFullScreen());
  EXPECT_EQ(DisplayDrawTarget()->format.bits, 32);
  EXPECT_TRUE(PresentDisplay(false));
  ASSERT_TRUE(ChangeDisplayMode(false, 24, 192, 256));
  EXPECT_EQ(PlatformWindow(), window);
  EXPECT_FALSE(DisplayFullScreen());
  EXPECT_EQ(DisplayDrawTarget()->width, 256);
  EXPECT_EQ(DisplayDrawTarget()->format.bits, 24);
  EXPECT_TRUE(PresentDisplay(false));
  EXPECT_EQ(LiveSurfaceCount(), 1);
}

TEST_F(DisplayTest, FailedChangeFallsBackToThePreviousMode) {
  ASSERT_TRUE(SetDisplayMode(400, 300, 16, false));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ChangeDisplayMode(false, 8, 300, 400));
  EXPECT_FALSE(ChangeDisplayMode(false, 16, 0, 400));
  testing::internal::GetCapturedStdout();
  ASSERT_NE(DisplayDrawTarget(), nullptr);
  EXPECT_EQ(ScreenWidth(), 400);
  EXPECT_EQ(DisplayDepth(), 16);
  EXPECT_TRUE(PresentDisplay(false));
}

TEST_F(DisplayTest, NoVideoDriverFailsWithADiagnostic) {
  const char* old = getenv("SDL_VIDEODRIVER");
  std::string saved = old ? old : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(SetDisplayMode(320, 240, 16, false));
  std::string out = testing::internal::GetCapturedStdout();
  setenv("SDL_VIDEODRIVER", saved.empty() ? "dummy" : saved.c_str(), 1);
  EXPECT_NE(out.find("not ok2\n"), std::string::npos) << out;
  EXPECT_EQ(DisplayDrawTarget(), nullptr);
  EXPECT_TRUE(SetDisplayMode(320, 240, 16, false));  // and the next try works
}

TEST_F(DisplayTest, NothingToPresentBeforeAMode) {
  EXPECT_EQ(DisplayDrawTarget(), nullptr);
  EXPECT_FALSE(PresentDisplay(false));
}

TEST_F(DisplayTest, StretchOntoTheBackSurface) {
  ASSERT_TRUE(SetDisplayMode(512, 384, 32, false));
  Surface* picture = CreateSurface(256, 192, 16, SurfaceClear);
  FillRect(0, 0, 256, 192, picture, 0x07E0);
  Surface* target = DisplayDrawTarget();
  ASSERT_TRUE(StretchSurface(target, {0, 0, 512, 384}, picture, {0, 0, 256, 192}));
  uint8_t* p = LockSurface(target, LockReadOnly);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(ReadPixel(p + 383 * target->pitch + 511 * 4, 4), 0x00FF00u);
  UnlockSurface(target);
  EXPECT_TRUE(PresentDisplay(false));
}

}  // namespace
