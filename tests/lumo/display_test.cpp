// The display on SDL's dummy video driver: modes, fall-back and present all
// run through the real code without a screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lumo/display.h"
#include "lumo/platform_sdl.h"
#include "lumo/surface.h"

namespace {

// Every case runs on both of SDL's screenless drivers.
bool DriverBuiltIn(const char* name) {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); i++)
    if (std::string(SDL_GetVideoDriver(i)) == name) return true;
  return false;
}

class DisplayTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const char* old = getenv("SDL_VIDEODRIVER");
    saved_driver_ = old ? old : "";
    if (!DriverBuiltIn(GetParam())) GTEST_SKIP() << "SDL lacks the " << GetParam() << " driver";
    setenv("SDL_VIDEODRIVER", GetParam(), 1);
  }
  void TearDown() override {
    CloseDisplay();
    ResetSurfaces();
    if (saved_driver_.empty())
      unsetenv("SDL_VIDEODRIVER");
    else
      setenv("SDL_VIDEODRIVER", saved_driver_.c_str(), 1);
  }
  std::string saved_driver_;
};
INSTANTIATE_TEST_SUITE_P(Headless, DisplayTest, ::testing::Values("dummy", "offscreen"));

TEST_P(DisplayTest, WindowedModeGivesABackSurfaceToDrawOn) {
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

TEST_P(DisplayTest, FullScreenAndBackKeepOneWindowAndOneBackSurface) {
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

TEST_P(DisplayTest, FailedChangeFallsBackToThePreviousMode) {
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

TEST_P(DisplayTest, NoVideoDriverFailsWithADiagnostic) {
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(SetDisplayMode(320, 240, 16, false));
  std::string out = testing::internal::GetCapturedStdout();
  setenv("SDL_VIDEODRIVER", GetParam(), 1);
  EXPECT_NE(out.find("not ok2\n"), std::string::npos) << out;
  EXPECT_EQ(DisplayDrawTarget(), nullptr);
  EXPECT_TRUE(SetDisplayMode(320, 240, 16, false));  // and the next try works
}

// What present put in the window, read back through the renderer.
uint32_t ShownPixel(int x, int y) {
  SDL_Renderer* renderer = SDL_GetRenderer(PlatformWindow());
  uint32_t pixel = 0;
  SDL_Rect at{x, y, 1, 1};
  if (!renderer || SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_ARGB8888, &pixel, 4) != 0)
    ADD_FAILURE() << "cannot read the window back: " << SDL_GetError();
  return pixel & 0xFFFFFF;
}

void ExpectNear(uint32_t shown, uint32_t want) {
  for (int shift : {16, 8, 0})
    EXPECT_NEAR((int)(shown >> shift & 0xFF), (int)(want >> shift & 0xFF), 3)
        << std::hex << shown << " for " << want;
}

TEST_P(DisplayTest, PresentShowsTheDrawTargetInEachDepth) {
  for (int bits : {16, 24, 32}) {
    SCOPED_TRACE(bits);
    ASSERT_TRUE(ChangeDisplayMode(false, bits, 60, 80));
    Surface* target = DisplayDrawTarget();
    FillRect(0, 0, 80, 60, target, ColorToPixel(target->format, 0, 0, 255));
    FillRect(40, 30, 40, 30, target, target->white);
    ASSERT_TRUE(PresentDisplay(false));
    // SDL's own widening of 5-6-5 may differ from ours in the lowest bits.
    ExpectNear(ShownPixel(1, 1), 0x0000FF);
    ExpectNear(ShownPixel(79, 59), 0xFFFFFF);
  }
}

TEST_P(DisplayTest, NothingToPresentBeforeAMode) {
  EXPECT_EQ(DisplayDrawTarget(), nullptr);
  EXPECT_FALSE(PresentDisplay(false));
}

TEST_P(DisplayTest, StretchOntoTheBackSurface) {
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

namespace {

TEST_P(DisplayTest, WindowsResizeAndFullScreenScalesTheModeOntoTheDesktop) {
  ASSERT_TRUE(SetDisplayMode(320, 240, 16, false));
  SDL_Window* window = PlatformWindow();
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
  ASSERT_TRUE(ChangeDisplayMode(true, 32, 480, 640));
  EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, SDL_WINDOW_FULLSCREEN_DESKTOP);
  int w = 0, h = 0;
  SDL_RenderGetLogicalSize(SDL_GetRenderer(window), &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(DisplayDrawTarget()->width, 640);
}

TEST_P(DisplayTest, VsyncCanBeSwitchedBetweenPresents) {
  ASSERT_TRUE(SetDisplayMode(80, 60, 32, false));
  Surface* target = DisplayDrawTarget();
  for (bool vsync : {true, false, true}) {
    FillRect(0, 0, 80, 60, target, ColorToPixel(target->format, vsync ? 255 : 0, 0, 0));
    ASSERT_TRUE(PresentDisplay(vsync));
    ExpectNear(ShownPixel(5, 5), vsync ? 0xFF0000 : 0);
  }
  EXPECT_EQ(LiveSurfaceCount(), 1);
}

TEST_P(DisplayTest, FullScreenModesUpToTheDesktopSize) {
  int desktop_w = 0, desktop_h = 0;
  ASSERT_TRUE(PlatformDesktopSize(&desktop_w, &desktop_h));
  std::vector<DisplayModeInfo> modes = FullScreenModes();
  ASSERT_FALSE(modes.empty());
  bool has_desktop = false;
  for (size_t i = 0; i < modes.size(); i++) {
    EXPECT_LE(modes[i].width, desktop_w);
    EXPECT_LE(modes[i].height, desktop_h);
    EXPECT_EQ(modes[i].bits, i % 2 ? 32 : 16);
    if (i % 2) {
      EXPECT_EQ(modes[i].width, modes[i - 1].width);
      EXPECT_EQ(modes[i].height, modes[i - 1].height);
    }
    if (i >= 2) {
      EXPECT_GE(modes[i].width, modes[i - 2].width);
    }
    has_desktop |= modes[i].width == desktop_w && modes[i].height == desktop_h;
  }
  EXPECT_TRUE(has_desktop);
  if (desktop_w >= 640 && desktop_h >= 480) {
    EXPECT_EQ(modes[0].width, 640);
    EXPECT_EQ(modes[0].height, 480);
  }
}

}  // namespace

namespace {

// Columns of one row that are neither the left colour (black) nor the right
// one (white) where the picture's halves meet.
int BlendedColumns(int y, int from, int to) {
  int blended = 0;
  for (int x = from; x < to; x++) {
    const uint32_t v = ShownPixel(x, y) & 0xFF;
    blended += v > 8 && v < 247;
  }
  return blended;
}

TEST_P(DisplayTest, ScaledWindowKeepsPixelEdgesSharp) {
  ASSERT_TRUE(SetDisplayMode(80, 60, 32, false));
  Surface* target = DisplayDrawTarget();
  FillRect(0, 0, 80, 60, target, 0);
  FillRect(40, 0, 40, 60, target, target->white);
  SDL_Window* window = PlatformWindow();
  // Whole-number scale: hard edges. 2.5: at most one blended column where a
  // plain smooth enlargement blends two or three.
  for (int width : {160, 200, 260}) {
    SCOPED_TRACE(width);
    SDL_SetWindowSize(window, width, width * 3 / 4);
    SDL_PumpEvents();
    ASSERT_TRUE(PresentDisplay(false));
    const int edge = width / 2, row = width * 3 / 8;
    EXPECT_EQ(ShownPixel(edge - 6, row), 0u);
    EXPECT_EQ(ShownPixel(edge + 6, row), 0xFFFFFFu);
    EXPECT_LE(BlendedColumns(row, edge - 6, edge + 6), width == 160 ? 0 : 1);
  }
}

}  // namespace
