// What the GUI puts on the screen, read back as pixels at known places:
// bars, captions, the pointer, the desktop, dark themes and the dirt rules.
#include "lumo/gui_fixture.h"
#include "lumo/messages_window.h"

namespace {

using Drawing = GuiTest;

TEST_F(Drawing, BarsCaptionsAndThePointerUseTheThemeColours) {
  OpenWindow(WinPsgViewer, 20, 40, 150, 75, WindowCloseBox, "PSG");
  Window* w = OpenWindow(WinVdpViewer, 300, 40, 120, 100, WindowCloseBox, "VDP");
  AddButton(w, "Press me", 1, 0, 0, 100, 15);
  Pass(500, 400);
  // The top window's bar in the active colour, the other in the inactive one.
  EXPECT_EQ(CountRgb(300 + 60, 40 + TitleBarHeight - 1, 20, 1, CurrentColours[ColWindowBar]), 20);
  EXPECT_EQ(CountRgb(20 + 60, 40 + TitleBarHeight - 1, 20, 1, CurrentColours[ColWindowBarInactive]), 20);
  // The caption in a readable ink inside the button's face.
  const int bx = 300 + ClientLeft, by = 40 + ClientTop;
  EXPECT_GT(CountRgb(bx, by, 100, 15, InkOn(CurrentColours[ColGadget])), 15);
  EXPECT_GT(CountRgb(bx, by, 100, 15, CurrentColours[ColGadget]), 600);
  EXPECT_EQ(CountRgb(bx, by + 16, 100, 10, InkOn(CurrentColours[ColGadget])), 0);
  // The pointer in the mouse cursor colour, on top of everything.
  EXPECT_GT(CountRgb(500, 400, 12, 18, CurrentColours[ColMouseCursor]), 30);
  Pass(bx + 50, by + 7);
  EXPECT_GT(CountRgb(bx + 50, by + 7, 12, 18, CurrentColours[ColMouseCursor]), 30);
  EXPECT_EQ(CountRgb(500, 400, 12, 18, CurrentColours[ColMouseCursor]), 0) << "the old one is gone";
  // Hovered, the button turns to the rollover colour.
  EXPECT_GT(CountRgb(bx, by, 100, 15, CurrentColours[ColGadgetRollover]), 500);
}

TEST_F(Drawing, DarkThemesGetLightText) {
  uint32_t dark[15];
  memcpy(dark, DefaultColours, sizeof dark);
  dark[ColWindow] = 0x202830, dark[ColGadget] = 0x303848, dark[ColListGadget] = 0x101418;
  dark[ColWindowBar] = 0x3A4A66, dark[ColInputGadget] = 0x101418;
  ApplyColours(dark);
  Window* w = OpenWindow(WinVdpViewer, 100, 60, 200, 120, 0, "Dark");
  AddButton(w, "Light text", 1, 0, 0, 100, 15);
  AddList(w, 50, 2, 0, 20, 150, 0);
  SetListRow(2, 0, "A list row", true, false);
  AddText(w, "Window text", 3, 0, 80, 150, 15);
  Pass(0, 470);
  const uint32_t light = InkOn(0x303848);
  EXPECT_EQ(light, InkOn(0x101418));
  EXPECT_GT(Luminance(light), 200);
  EXPECT_GT(CountRgb(100 + ClientLeft, 60 + ClientTop, 100, 15, light), 15);
  EXPECT_GT(CountRgb(100 + ClientLeft, 60 + ClientTop + 20, 150, 50, light), 15);
  EXPECT_GT(CountRgb(100 + ClientLeft, 60 + ClientTop + 80, 150, 15, light), 15);
  EXPECT_EQ(CountRgb(100 + ClientLeft, 60 + ClientTop, 100, 15, InkOn(0xFFFFFF)), 0);
  EXPECT_LT(Luminance(InkOn(0xFFFF80)), 60) << "dark text on a light selection";
}

TEST_F(Drawing, BlackThemesKeepFramesTracksAndMenuEdges) {
  uint32_t black[15];
  memcpy(black, DefaultColours, sizeof black);
  black[ColWindow] = black[ColMenu] = black[ColListGadget] = black[ColInputGadget] = 0;
  ApplyColours(black);
  AddMenu("File");
  AddMenuItem("Load", 1, "", true);
  Window* w = OpenWindow(WinVdpViewer, 100, 60, 200, 120, 0, "Black");
  AddFrame(w, "", 1, 0, 0, 190, 50);
  AddSlider(w, 2, 0, 70, 190, 15, 0, 255);
  Pass(0, 470);
  const int cx = 100 + ClientLeft, cy = 60 + ClientTop;
  auto unlit = [&](int x, int y, int width, int height) { return width * height - CountRgb(x, y, width, height, 0); };
  EXPECT_GT(unlit(cx + 20, cy + 49, 150, 1), 140) << "the frame's bottom edge";
  EXPECT_GT(unlit(cx + 40, cy + 70, 140, 15), 200) << "the slider's track";
  EXPECT_GT(unlit(0, MenuBarHeight - 1, 400, 1), 390) << "the menu bar's edge";
}

TEST_F(Drawing, OnlyDirtyAreasAreComposedAgain) {
  OpenWindow(WinPsgViewer, 20, 40, 150, 75, 0, "PSG");
  Pass(600, 450);
  Surface* screen = DisplayDrawTarget();
  const uint32_t marker = ColorToPixel(screen->format, 1, 2, 3);
  FillRect(300, 300, 4, 4, screen, marker);  // as if the presenter drew there
  Pass(600, 450);
  EXPECT_EQ(CountRgb(300, 300, 4, 4, 0x000000), 16) << "untouched when nothing is dirty";
  MarkScreenDirty(300, 300, 2, 2);
  Pass(600, 450);
  EXPECT_EQ(CountRgb(300, 300, 4, 4, 0x000000), 12);
  // The desktop: a gradient from the top to the bottom colour.
  EXPECT_EQ(ScreenRgb(400, 479), ScreenRgb(401, 479));
  EXPECT_EQ(CountRgb(400, 479, 1, 1, CurrentColours[ColBackground2]), 1);
  EXPECT_NE(ScreenRgb(400, 479), ScreenRgb(400, 30));
  // A theme picture replaces the gradient.
  ThemeBackground = CreateSurface(640, 480, 16, 0);
  FillRect(0, 0, 640, 480, ThemeBackground, ColorToPixel(ThemeBackground->format, 0, 255, 0));
  RedrawGui();
  Pass(600, 450);
  EXPECT_EQ(CountRgb(400, 470, 1, 1, 0x00FF00), 1);
  ResetThemePictures();
}

TEST_F(Drawing, MessagesWindowShowsTheScrollbackInTwentyNineRows) {
  ResetMessages();
  OpenMessagesWindow();
  EXPECT_EQ(ListRowCount(MessagesListId), 29);
  EXPECT_TRUE(Config.window_opened[WinMessages]);
  std::string text;
  for (int i = 0; i < 130; i++) text += (char)('a' + i % 26);
  AddMessage(text.c_str());
  // 130 characters make three lines: 59, 59 and 12.
  ShowMessage("Successfully loaded ROM '%s'.\n", "demo.sms");
  EXPECT_STREQ(MessageLines[28], "");
  EXPECT_STREQ(MessageLines[27], "Successfully loaded ROM 'demo.sms'.");
  EXPECT_EQ(strlen(MessageLines[26]), 12u);
  EXPECT_EQ(strlen(MessageLines[25]), 59u);
  Pass(0, 470);
  // The rows drew: the fixed font's ink in the list's lower part.
  int wx, wy;
  WindowPosition(WinMessages, &wx, &wy);
  const uint32_t ink = InkOn(CurrentColours[ColListGadget]);
  EXPECT_GT(CountRgb(wx + ClientLeft, wy + ClientTop + 4 + 27 * 8, 300, 8, ink), 50);
  EXPECT_EQ(CountRgb(wx + ClientLeft, wy + ClientTop + 4 + 28 * 8, 300, 8, ink), 0);
  ToggleMessagesWindow();
  EXPECT_FALSE(WindowOpen(WinMessages));
  EXPECT_EQ(MessagesChanged, nullptr);
  AddMessage("while closed");
  ToggleMessagesWindow();
  EXPECT_TRUE(WindowOpen(WinMessages));
}

}  // namespace
