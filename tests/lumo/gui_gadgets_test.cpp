// Gadgets driven by synthetic pointer and keys: activation, focus, input
// editing, lists, sliders, scroll bars, step arrows, canvases and the queue.
#include "lumo/gui_fixture.h"

namespace {

class Gadgets : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    w_ = OpenWindow(WinSystemOptions, 50, 50, 300, 260, WindowCloseBox, "Gadgets");
    ASSERT_NE(w_, nullptr);
  }
  // Screen point at client (cx, cy).
  int X(int cx) { return 50 + ClientLeft + cx; }
  int Y(int cy) { return 50 + ClientTop + cy; }
  Window* w_ = nullptr;
};

TEST_F(Gadgets, ButtonsCheckBoxesAndRadiosActOnReleaseOverThemselves) {
  AddButton(w_, "OK", 1, 0, 0, 80, 15);
  AddCheckBox(w_, "Check", 2, 0, 20, 100, 15, false);
  AddRadioButton(w_, "One", 3, 0, 40, 100, 15, true, 1);
  AddRadioButton(w_, "Two", 4, 0, 60, 100, 15, false, 1);
  AddRadioButton(w_, "Other group", 5, 0, 80, 100, 15, true, 2);
  Pass(X(10), Y(5), true);
  EXPECT_TRUE(Events().empty()) << "nothing on the press";
  Pass(X(10), Y(5), false);
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventActivated);
  EXPECT_EQ(e[0].id, 1);
  Pass(X(10), Y(5), true);
  Pass(X(200), Y(5), false);  // released elsewhere
  EXPECT_TRUE(Events().empty());
  Click(X(5), Y(27));
  EXPECT_EQ(GetChecked(2), 1);
  Click(X(5), Y(67));
  EXPECT_EQ(GetChecked(4), 1);
  EXPECT_EQ(GetChecked(3), 0);
  EXPECT_EQ(GetChecked(5), 1) << "another group is untouched";
  e = Events();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].id, 4);
  // Space acts on the focused check box; disabled gadgets ignore the pointer.
  FocusGadget(2);
  Key(KeySpace, ' ');
  EXPECT_EQ(GetChecked(2), 0);
  EnableGadget(1, false);
  DrainEvents();
  Click(X(10), Y(5));
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(GetChecked(999), -1);
  SetChecked(999, 1);  // unknown ids do nothing
  EnableGadget(999, false);
}

TEST_F(Gadgets, TabCyclesFocusAndLeavingAnInputConfirmsIt) {
  AddButton(w_, "A", 1, 0, 0, 50, 15);
  AddInput(w_, "x", 2, 100, 20, 80, 15, "Name:");
  AddButton(w_, "Skipped", 3, 0, 40, 50, 15);
  AddGadgetFlags(3, GadgetNoTab);
  AddCheckBox(w_, "C", 4, 0, 60, 50, 15, false);
  AddButton(w_, "Disabled", 5, 0, 80, 50, 15);
  EnableGadget(5, false);
  Key(KeyTab);
  EXPECT_EQ(FocusedGadget(), 1);
  EXPECT_TRUE(Key(KeyTab)) << "the focus reached an input field";
  EXPECT_EQ(FocusedGadget(), 2);
  Key(KeyTab);
  EXPECT_EQ(FocusedGadget(), 4);
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventActivated);
  EXPECT_EQ(e[0].id, 2);
  Key(KeyTab);
  EXPECT_EQ(FocusedGadget(), 1) << "wraps";
  Key(KeyTab, 0, ModLeftShift);
  EXPECT_EQ(FocusedGadget(), 4);
  Key(KeyTab, 0, ModRightShift);
  EXPECT_EQ(FocusedGadget(), 2);
  DrainEvents();
  // Disabling the focused gadget drops the focus (and confirms the input).
  EnableGadget(2, false);
  EXPECT_EQ(FocusedGadget(), -1);
  EXPECT_EQ(Events().size(), 1u);
  // So does another window coming over a focused input field, opened or raised.
  EnableGadget(2, true);
  FocusGadget(2);
  OpenWindow(WinInfo, 400, 300, 100, 50, 0, "Other");
  EXPECT_EQ(FocusedGadget(), -1);
  EXPECT_EQ(Events().size(), 1u);
  Click(X(1), Y(255));  // back to the first window
  FocusGadget(2);
  Click(410, 330);
  EXPECT_EQ(TopWindowId(), WinInfo);
  EXPECT_EQ(Events().size(), 1u);
}

TEST_F(Gadgets, InputFieldsEditAndConfirm) {
  AddInput(w_, "", 1, 60, 0, 200, 15, "Text:");
  AddInput(w_, "", 2, 60, 20, 100, 15, "Digits:");
  AddInput(w_, "", 3, 60, 40, 100, 15, "Name:");
  SetGadgetFlags(2, GadgetDigits);
  SetGadgetFlags(3, GadgetNoBlanks);
  Click(X(70), Y(7));
  EXPECT_EQ(FocusedGadget(), 1);
  EXPECT_FALSE(Pass(0, 0) == false) << "a focused input takes the keyboard";
  Type("helo");
  Key(KeyLeft);
  Type("l");
  EXPECT_STREQ(GetGadgetText(1), "hello");
  Key(KeyHome);
  Key(KeyDelete);
  Type("H");
  Key(KeyEnd);
  Key(KeyBackspace);
  Type("o!");
  Key(KeyRight);  // at the end already
  Type("\x01");   // not a printable character
  EXPECT_STREQ(GetGadgetText(1), "Hello!");
  EXPECT_TRUE(Events().empty());
  EXPECT_TRUE(Key(KeyReturn));
  EXPECT_EQ(FocusedGadget(), -1);
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventActivated);
  EXPECT_EQ(e[0].id, 1);
  EXPECT_FALSE(Key(KeySpace, ' ')) << "the keyboard is free again";
  FocusGadget(2);
  Type("-12a 3x");
  EXPECT_STREQ(GetGadgetText(2), "-123");
  FocusGadget(3);
  Type("a b c");
  EXPECT_STREQ(GetGadgetText(3), "abc");
  // At most 95 characters.
  FocusGadget(1);
  for (int i = 0; i < 120; i++) Type("z");
  EXPECT_EQ(strlen(GetGadgetText(1)), 95u);
  SetGadgetText(1, std::string(200, 'q').c_str());
  EXPECT_EQ(strlen(GetGadgetText(1)), 95u);
  EXPECT_STREQ(GetGadgetText(12345), "");
}

TEST_F(Gadgets, ReturnIsToldFromLeavingAFieldAndCtrlVPastesOneLine) {
  AddInput(w_, "", 1, 60, 0, 200, 15, "Path:");
  AddInput(w_, "", 2, 60, 20, 100, 15, "Digits:");
  SetGadgetFlags(2, GadgetDigits);
  FocusGadget(1);
  Type("abc");
  Key(KeyReturn);
  EXPECT_TRUE(InputEntered(1));
  DrainEvents();
  FocusGadget(1);
  EXPECT_FALSE(InputEntered(1)) << "focused again: not confirmed yet";
  Click(X(250), Y(200));  // away from it: confirmed by leaving
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_FALSE(InputEntered(1));
  EXPECT_FALSE(InputEntered(12345));

  GuiClipboardText = [] { return std::string("/home/\x01me/roms\nsecond line"); };
  FocusGadget(1);
  Key(KeyHome);
  Key(KeyV, 22, ModLeftCtrl);
  EXPECT_STREQ(GetGadgetText(1), "/home/me/romsabc") << "at the cursor, printable characters, one line";
  FocusGadget(2);
  GuiClipboardText = [] { return std::string("12 apples -3"); };
  Key(KeyV, 22, ModRightCtrl);
  EXPECT_STREQ(GetGadgetText(2), "12-3") << "the field's own rules hold";
  GuiClipboardText = nullptr;
  Key(KeyV, 22, ModLeftCtrl);
  EXPECT_STREQ(GetGadgetText(2), "12-3") << "no clipboard: nothing";
  FocusGadget(1);
  Key(KeyEnd);
  Key(KeyV, 'v');
  EXPECT_STREQ(GetGadgetText(1), "/home/me/romsabcv") << "V alone is a letter";
}

TEST_F(Gadgets, ListsSelectByPointerAndSizeTheirRowsFromTheFont) {
  AddList(w_, 100, 1, 0, 0, 200, 0);
  EXPECT_EQ(ListRowCount(1), (100 - 2) / 12);
  AddGadgetFlags(1, GadgetSecondFont);
  EXPECT_EQ(ListRowCount(1), (100 - 2) / 8) << "recomputed with the font";
  AddList(w_, 300 * 8, 2, 210, 0, 50, GadgetSecondFont);
  EXPECT_EQ(ListRowCount(2), 64);
  AddList(w_, 3, 3, 210, 200, 50, 0);
  EXPECT_EQ(ListRowCount(3), 1) << "never lower than one row";
  for (int i = 0; i < 12; i++) SetListRow(1, i, "row", i != 3, false);
  // Rows are centred: (100 - 12 x 8) / 2 = 2 pixels above the first.
  Click(X(10), Y(2 + 8 * 2 + 3));
  EXPECT_EQ(GetSelectedRow(1), 2);
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventChanged);
  EXPECT_FALSE(e[0].double_click);
  Click(X(10), Y(2 + 8 * 3 + 3));  // not selectable
  EXPECT_EQ(GetSelectedRow(1), 2);
  EXPECT_TRUE(Events().empty());
  double_click_ = true;
  Click(X(10), Y(2 + 8 * 5 + 3));
  e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_TRUE(e[0].double_click);
  EXPECT_TRUE(GuiDoubleClick());
  // Right button: selects and posts 5, then 6 on release.
  Pass(X(10), Y(2 + 8 * 7 + 3), false, true);
  Pass(X(10), Y(2 + 8 * 7 + 3), false, false);
  e = Events();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].type, EventRightPress);
  EXPECT_EQ(e[1].type, EventRightRelease);
  EXPECT_EQ(GetSelectedRow(1), 7);
  // Making the selected row unselectable clears the selection.
  SetListRow(1, 7, "gone", false, false);
  EXPECT_EQ(GetSelectedRow(1), -1);
  SetListRow(1, 99, "past the end", true, false);
  SelectRow(1, 4);
  EXPECT_EQ(GetSelectedRow(1), 4);
  SelectRow(1, -1);
  EXPECT_EQ(GetSelectedRow(1), -1);
  SetListFirst(1, 40);
  EXPECT_EQ(GetListFirst(1), 40);
}

TEST_F(Gadgets, SlidersScrollBarsAndStepArrowsFollowThePointerAndTheClock) {
  AddSlider(w_, 1, 0, 0, 109, 15, 0, 100);  // travel 100 pixels for 0..100
  Pass(X(50 + 4), Y(7), true);  // the knob jumps under the pointer
  EXPECT_EQ(GetSlider(1), 50);
  Pass(X(80 + 4), Y(30), true);
  EXPECT_EQ(GetSlider(1), 80);
  Pass(X(500), Y(7), true);
  EXPECT_EQ(GetSlider(1), 100);
  Pass(X(500), Y(7), false);
  EXPECT_EQ(Events().size(), 3u);

  AddScrollBar(w_, 2, 200, 0, 15, 124, 0, 10, 110);  // track 100, knob 10
  Click(X(207), Y(120));  // down arrow
  EXPECT_EQ(GetScrollFirst(2), 1);
  Click(X(207), Y(100));  // below the knob: a page
  EXPECT_EQ(GetScrollFirst(2), 11);
  int top = Y(12) + 90 * 11 / 100;
  Pass(X(207), top + 2, true);  // grab the knob and drag it to the bottom
  Pass(X(207), Y(500), true);
  Pass(X(207), Y(500), false);
  EXPECT_EQ(GetScrollFirst(2), 100);
  SetScrollBar(2, 500, 10, 110);
  EXPECT_EQ(GetScrollFirst(2), 100) << "clamped to total - visible";
  DrainEvents();

  AddStepArrow(w_, 3, 250, 0, 15, 15, ArrowUp);
  now_ = 5000;
  Pass(X(257), Y(7), true);
  EXPECT_EQ(Events().size(), 1u);
  now_ = 5199;
  Pass(X(257), Y(7), true);
  EXPECT_TRUE(Events().empty()) << "first repeat after 200 ms";
  now_ = 5200;
  Pass(X(257), Y(7), true);
  now_ = 5259;
  Pass(X(257), Y(7), true);
  now_ = 5260;
  Pass(X(257), Y(7), true);
  Pass(X(257), Y(7), false);
  auto e = Events();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].type, EventChanged);
  now_ = 6000;
  Pass(X(257), Y(7), false, true);
  now_ = 6200;
  Pass(X(257), Y(7), false, true);
  Pass(X(257), Y(7), false, false);
  e = Events();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].type, EventRightPress);
  EXPECT_EQ(e[1].type, EventRightPress);
  EXPECT_EQ(e[2].type, EventRightRelease);
}

TEST_F(Gadgets, CanvasesReportTheCellUnderThePointer) {
  AddCellCanvas(w_, 1, 0, 100, 128, 64, 8, 8);
  ASSERT_NE(CanvasSurface(1), nullptr);
  Pass(X(8 * 5 + 3), Y(100 + 8 * 2 + 1), false, true);
  int column, row;
  GetCanvasCell(1, &column, &row);
  EXPECT_EQ(column, 5);
  EXPECT_EQ(row, 2);
  Pass(X(8 * 5 + 5), Y(100 + 8 * 2 + 5), false, true);  // same cell: no new event
  Pass(X(8 * 9), Y(100 + 8 * 2), false, true);
  Pass(X(8 * 9), Y(100 + 8 * 2), false, false);
  auto e = Events();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].type, EventRightPress);
  EXPECT_EQ(e[2].type, EventRightRelease);
  GetCanvasCell(1, &column, &row);
  EXPECT_EQ(column, 9);
  EXPECT_EQ(GadgetUnderPointer(), 1);
  EXPECT_EQ(WindowUnderPointer(), WinSystemOptions);
}

TEST_F(Gadgets, TheQueueHoldsEightEventsInOrder) {
  for (int i = 0; i < 10; i++) PostGuiEvent(EventActivated, i);
  auto e = Events();
  ASSERT_EQ(e.size(), 8u);
  for (int i = 0; i < 8; i++) EXPECT_EQ(e[i].id, i);
  // Taking one frees its slot for the next post, which fills the first gap.
  PostGuiEvent(EventMenu, 1);
  PostGuiEvent(EventMenu, 2);
  GuiEvent first;
  ASSERT_TRUE(NextGuiEvent(&first));
  PostGuiEvent(EventMenu, 3);
  e = Events();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].id, 3);
  EXPECT_EQ(e[1].id, 2);
  EXPECT_FALSE(NextGuiEvent(&first));
}

}  // namespace
