// The menu bar: widths, pointer and keyboard navigation, choices.
#include "lumo/gui_fixture.h"

namespace {

class Menus : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    AddMenu("File");
    AddMenuItem("Load ROM", 0, "Alt+L", true);
    AddMenuSeparator();
    AddMenuItem("VGM logger", 1, "", true);
    AddMenuItem("VGM player", 2, "", false);
    AddMenuItem("Quit", 9, "Alt+X", true);
    AddMenu("Help");
    AddMenuItem("Info", 36, "", true);
  }
  // Left edge of the second title: 4 + "File" + 14.
  int HelpX() { return 4 + TextWidth(GuiFont, "File") + 14 + 3; }
};

TEST_F(Menus, PointerOpensSwitchesAndChooses) {
  Click(10, 5);
  EXPECT_TRUE(MenuOpen());
  EXPECT_TRUE(Pass(10, 5)) << "an open menu takes the keyboard";
  Pass(HelpX(), 5);  // hovering another title switches
  Pass(HelpX() + 5, MenuBarHeight + 8);
  Pass(HelpX() + 5, MenuBarHeight + 8, true);
  Pass(HelpX() + 5, MenuBarHeight + 8, false);
  EXPECT_FALSE(MenuOpen());
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventMenu);
  EXPECT_EQ(e[0].id, 36);
  // A click outside closes without a choice; a disabled item does nothing.
  Click(10, 5);
  Click(400, 400);
  EXPECT_FALSE(MenuOpen());
  Click(10, 5);
  const int player_y = MenuBarHeight + 2 + 16 + 5 + 16 + 8;  // after a separator gap
  Click(20, player_y);
  EXPECT_TRUE(MenuOpen());
  EXPECT_TRUE(Events().empty());
  Click(20, player_y - 16);
  e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].id, 1);
}

TEST_F(Menus, KeysMoveOverEnabledItemsAndChoose) {
  Click(10, 5);
  Key(KeyDown);  // Load ROM
  Key(KeyDown);  // VGM logger
  Key(KeyDown);  // VGM player is disabled: Quit
  EXPECT_TRUE(Key(KeyReturn));
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].id, 9);
  Click(10, 5);
  Key(KeyRight);
  Key(KeyReturn);
  e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].id, 36);
  Click(10, 5);
  Key(KeyUp);  // from none upwards: the last enabled item
  EnableMenuItem(9, false);
  Key(KeyReturn);
  EXPECT_TRUE(Events().empty()) << "disabled since";
  Key(KeyEscape);
  EXPECT_FALSE(MenuOpen());
  EXPECT_FALSE(Key(KeyEscape));
}

TEST_F(Menus, AltShortcutsCloseTheMenuAndReachTheHotkeys) {
  Click(10, 5);
  EXPECT_TRUE(Key(KeyLeftAlt, 0, ModLeftAlt)) << "Alt alone stays with the menu";
  EXPECT_TRUE(MenuOpen());
  EXPECT_FALSE(Key(KeyX, 'x', ModLeftAlt)) << "Alt+X is left to the hotkeys";
  EXPECT_FALSE(MenuOpen());
  EXPECT_TRUE(Events().empty());
}

TEST_F(Menus, WidthIsWidestTextPlusEightAndWidestShortcutPlusSixteen) {
  const int text = TextWidth(GuiFont, "VGM logger"), shortcut = TextWidth(GuiFont, "Alt+X");
  ASSERT_GE(shortcut, TextWidth(GuiFont, "Alt+L"));
  Click(10, 5);
  // The drop-down's right edge: its frame lies at menu x + width + 1.
  const int width = text + 8 + shortcut + 16;
  const uint32_t frame = ShadeRgb(CurrentColours[ColMenu], 60);
  EXPECT_EQ(CountRgb(4 + width + 1, MenuBarHeight + 30, 1, 1, frame), 1);
  EXPECT_EQ(CountRgb(4 + width, MenuBarHeight + 30, 1, 1, CurrentColours[ColMenu]), 1);
  EXPECT_EQ(CountRgb(4 + width + 2, MenuBarHeight + 30, 1, 1, frame), 0);
  SetMenuItemText(1, "A much longer VGM logger entry");
  Click(10, 5);
  Click(10, 5);
  const int wider = TextWidth(GuiFont, "A much longer VGM logger entry") + 8 + shortcut + 16;
  EXPECT_EQ(CountRgb(4 + wider + 1, MenuBarHeight + 30, 1, 1, frame), 1);
}

}  // namespace
