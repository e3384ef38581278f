// Windows: the toggle contract, modal windows, placement and dragging.
#include "lumo/gui_fixture.h"
#include "lumo/game_window.h"
#include "lumo/window_table.h"

namespace {

using Windows = GuiTest;

TEST_F(Windows, OpeningAnOpenWindowRaisesItAndMakesNothing) {
  ASSERT_NE(OpenWindow(WinPsgViewer, 10, 30, 150, 75, WindowCloseBox, "PSG"), nullptr);
  ASSERT_NE(OpenWindow(WinVdpViewer, 50, 50, 120, 165, WindowCloseBox, "VDP"), nullptr);
  const int surfaces = LiveSurfaceCount();
  EXPECT_EQ(TopWindowId(), WinVdpViewer);
  EXPECT_EQ(OpenWindow(WinPsgViewer, 300, 300, 10, 10, 0, "again"), nullptr);
  EXPECT_EQ(TopWindowId(), WinPsgViewer);
  EXPECT_EQ(LiveSurfaceCount(), surfaces);
  int x, y;
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 30);
  WindowPosition(WinInfo, &x, &y);
  EXPECT_EQ(x, -1);
  // Outer size from the client size; the close box sits in the title bar.
  EXPECT_EQ(WindowSurface(WinPsgViewer)->width, 150 + WindowExtraWidth);
  EXPECT_EQ(WindowSurface(WinPsgViewer)->height, 75 + WindowExtraHeight);
  // Closing stores the position; the window below becomes the top.
  MoveWindow(WinPsgViewer, 40, 60);
  CloseWindow(WinPsgViewer);
  EXPECT_EQ(Config.window_x[WinPsgViewer], 40);
  EXPECT_EQ(Config.window_y[WinPsgViewer], 60);
  EXPECT_EQ(TopWindowId(), WinVdpViewer);
  CloseWindow(WinVdpViewer);
  CloseWindow(WinVdpViewer);  // not open: nothing happens
  EXPECT_EQ(LiveSurfaceCount(), surfaces - 2);
}

TEST_F(Windows, ModalWindowDisablesExactlyTheActiveOnesUntilItCloses) {
  OpenWindow(WinPsgViewer, 10, 30, 150, 75, 0, "PSG");
  OpenWindow(WinVdpViewer, 200, 30, 120, 165, 0, "VDP");
  OpenWindow(WinInfo, 400, 30, 100, 50, WindowModal, "Modal one");
  EXPECT_FALSE(WindowActive(WinPsgViewer));
  EXPECT_FALSE(WindowActive(WinVdpViewer));
  // A second modal window disables only the first modal one.
  OpenWindow(WinBiosOptions, 400, 200, 100, 40, WindowModal, "Modal two");
  EXPECT_FALSE(WindowActive(WinInfo));
  // Clicks on disabled windows neither raise them nor reach their gadgets.
  Click(20, 40);
  EXPECT_EQ(TopWindowId(), WinBiosOptions);
  CloseWindow(WinBiosOptions);
  EXPECT_TRUE(WindowActive(WinInfo));
  EXPECT_FALSE(WindowActive(WinPsgViewer));
  CloseWindow(WinInfo);
  EXPECT_TRUE(WindowActive(WinPsgViewer));
  EXPECT_TRUE(WindowActive(WinVdpViewer));
  Click(20, 40);
  EXPECT_EQ(TopWindowId(), WinPsgViewer);
}

TEST_F(Windows, PlacementCentresAndPullsRememberedPositionsIntoView) {
  OpenWindow(WinMessages, WindowPositionUnset, WindowPositionUnset, 360, 240, 0, "Messages");
  int x, y;
  WindowPosition(WinMessages, &x, &y);
  EXPECT_EQ(x, (640 - 374) / 2);
  EXPECT_EQ(y, (480 - 240 - WindowExtraHeight) / 2);
  CloseWindow(WinMessages);
  // Remembered on a larger screen: back wholly on this one.
  OpenWindow(WinMessages, 1500, 1100, 360, 240, 0, "Messages");
  WindowPosition(WinMessages, &x, &y);
  EXPECT_EQ(x, 640 - 374);
  EXPECT_EQ(y, 480 - 240 - WindowExtraHeight);
  CloseWindow(WinMessages);
  OpenWindow(WinMessages, -2000, -900, 360, 240, 0, "Messages");
  WindowPosition(WinMessages, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, MenuBarHeight);
  // Taller than the screen: its top stays visible.
  OpenWindow(WinInfo, 0, 300, 200, 900, 0, "Tall");
  WindowPosition(WinInfo, &x, &y);
  EXPECT_EQ(y, 0);
}

TEST_F(Windows, DraggingMovesByTheTitleBarAndKeepsTheGripOnScreen) {
  OpenWindow(WinPsgViewer, 100, 100, 150, 75, WindowCloseBox, "PSG");
  Pass(120, 105, true);
  Pass(150, 140, true);
  int x, y;
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_EQ(x, 130);
  EXPECT_EQ(y, 135);
  Pass(5000, 5000, true);  // far off the bottom right
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_LE(x, 640 - 40);
  EXPECT_LE(y, 480 - TitleBarHeight);
  Pass(-5000, -5000, true);  // far off the top left
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_GE(x + 164, 40);
  EXPECT_EQ(y, MenuBarHeight) << "the title bar never hides under the menu bar";
  Pass(-5000, -5000, false);
  Pass(300, 300, false);  // released: no more dragging
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_EQ(y, MenuBarHeight);
  // A press in the client area does not drag.
  MoveWindow(WinPsgViewer, 100, 100);
  Pass(130, 150, true);
  Pass(200, 200, true);
  Pass(200, 200, false);
  WindowPosition(WinPsgViewer, &x, &y);
  EXPECT_EQ(x, 100);
}

TEST_F(Windows, CloseBoxPostsCloseWithTheWindowId) {
  // Every window has its own close box, all with the one close-box id.
  OpenWindow(WinPsgViewer, 100, 100, 150, 75, WindowCloseBox, "PSG");
  OpenWindow(WinVdpViewer, 300, 250, 120, 165, WindowCloseBox, "VDP");
  const int vx = 300 + 134 - 12, vy = 250 + 8;
  Click(vx, vy);
  auto vdp_events = Events();
  ASSERT_EQ(vdp_events.size(), 1u);
  EXPECT_EQ(vdp_events[0].id, WinVdpViewer);
  CloseWindow(WinVdpViewer);
  const int bx = 100 + 164 - 12, by = 100 + 8;  // inside the 12 x 12 box
  Pass(bx, by, true);
  Pass(bx + 60, by + 60, true);  // moved off before release: nothing
  Pass(bx + 60, by + 60, false);
  EXPECT_TRUE(Events().empty());
  Click(bx, by);
  auto events = Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventClose);
  EXPECT_EQ(events[0].id, WinPsgViewer);
  EXPECT_TRUE(WindowOpen(WinPsgViewer)) << "the application closes it";
}

TEST_F(Windows, GameWindowResizesAroundItsCentreAndSurvivesAModeChange) {
  Config.window_x[WinGame] = 100, Config.window_y[WinGame] = 100;
  ASSERT_TRUE(OpenGameWindow(256, 192));
  ASSERT_TRUE(OpenGameWindow(160, 144));  // open: resized around its centre
  int x, y;
  WindowPosition(WinGame, &x, &y);
  EXPECT_EQ(x, 100 + (270 - 174) / 2);
  EXPECT_EQ(y, 100 + (192 - 144) / 2);
  EXPECT_EQ(WindowSurface(WinGame)->width, 174);
  // The presenter draws into the client area; the GUI leaves it alone.
  Surface* s = GameWindowSurface();
  int ox, oy;
  GameWindowClientOrigin(&ox, &oy);
  FillRect(ox, oy, 160, 144, s, 0x001F);
  GameWindowPictureChanged();
  ComposeGui();
  EXPECT_EQ(ScreenRgb(x + ClientLeft + 80, y + ClientTop + 70), 0x0000FFu);
  RedrawGui();
  ComposeGui();
  EXPECT_EQ(ScreenRgb(x + ClientLeft + 80, y + ClientTop + 70), 0x0000FFu);
  ASSERT_TRUE(ChangeDisplayMode(false, 32, 240, 320));
  GuiDisplayChanged();
  EXPECT_EQ(WindowSurface(WinGame)->format.bits, 32);
  WindowPosition(WinGame, &x, &y);
  EXPECT_LE(x + 174, 320);
  EXPECT_EQ(WindowLayouts[WinMessages].client_width, 360);
  EXPECT_STREQ(WindowLayouts[WinPickState].title, "Pick state");
}

}  // namespace
