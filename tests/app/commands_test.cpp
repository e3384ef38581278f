// The menu commands reach their actions, windows' gadget events reach their
// windows, unknown numbers do nothing; the hotkey word and the double click
// on their own.
#include "app/commands.h"
#include "app/hotkeys.h"
#include "app/info_window.h"
#include "lumo/file_requester.h"
#include "lumo/gui.h"
#include "lumo/key_codes.h"
#include "machine/console.h"
#include "program_fixture.h"

namespace {

int ToggleCounts[WindowCount];
std::vector<GuiEvent> WindowEvents;
template <int Id>
void CountToggle() {
  ToggleCounts[Id]++;
}
template <int Id>
void RecordEvent(const GuiEvent& event) {
  WindowEvents.push_back(event);
}

// A counting toggle in place of every window's own, but the info and
// Messages windows', which the test opens for real.
template <int... Ids>
void RegisterCounters(std::integer_sequence<int, Ids...>) {
  ((Ids == WinInfo || Ids == WinMessages ? void()
                                         : RegisterWindow(Ids, WindowHandlers{CountToggle<Ids>, RecordEvent<Ids>})),
   ...);
}

class Commands : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_TRUE(Start());
    for (int& count : ToggleCounts) count = 0;
    WindowEvents.clear();
    RegisterCounters(std::make_integer_sequence<int, WindowCount>{});
  }
};

TEST_F(Commands, EveryMenuNumberReachesItsAction) {
  for (int id = 0; id < MenuCommandCount; id++) {
    const int window = CommandWindow(id);
    if (window < 0 || window == WinMessages || window == WinInfo) continue;
    RunMenuCommand(id);
    EXPECT_EQ(ToggleCounts[window], 1) << "command " << id;
  }
  RunMenuCommand(CmdMessages);
  EXPECT_TRUE(WindowOpen(WinMessages));
  RunMenuCommand(CmdInfo);
  EXPECT_TRUE(WindowOpen(WinInfo));
  RunMenuCommand(CmdInfo);
  EXPECT_FALSE(WindowOpen(WinInfo));
  RunMenuCommand(CmdLoadRom);
  EXPECT_TRUE(WindowOpen(WinFileRequesterRom));

  RunMenuCommand(CmdPause);
  EXPECT_TRUE(Paused);
  RunMenuCommand(CmdLoadState);  // no cartridge: nothing to load, but it resumes
  EXPECT_FALSE(Paused);

  Write8(0xC000, 0x5A);
  RunMenuCommand(CmdSoftReset);
  EXPECT_EQ(GetPc(), 0u);
  EXPECT_EQ(Read8(0xC000), 0x5A) << "a soft reset keeps the RAM";
  RunMenuCommand(CmdHardReset);
  EXPECT_EQ(Read8(0xC000), 0) << "a hard reset clears it";

  for (int id : std::initializer_list<int>{CmdSaveState, CmdScreenshot, CmdAddPatch, CmdLoadPatch, CmdSavePatch, CmdAddSymbols})
    RunMenuCommand(id);  // without a cartridge: harmless
  EXPECT_FALSE(QuitRequested);
  RunMenuCommand(CmdQuit);
  EXPECT_TRUE(QuitRequested);
}

TEST_F(Commands, UnknownNumbersAndEventsDoNothing) {
  for (int id : {-1, int(MenuCommandCount), 99, 1000, -32768}) {
    RunMenuCommand(id);
    HandleGuiEvent(GuiEvent{EventMenu, id, false});
  }
  // Gadgets of no window (ids are window x 100 + part) and windows that do not exist.
  for (int id : {-1, WindowCount * 100, 99999, -32768}) {
    HandleGuiEvent(GuiEvent{EventActivated, id, false});
    HandleGuiEvent(GuiEvent{EventChanged, id, true});
    HandleGuiEvent(GuiEvent{EventClose, id == -1 ? WindowCount : id, false});
  }
  for (int count : ToggleCounts) EXPECT_EQ(count, 0);
  EXPECT_TRUE(WindowEvents.empty());
  EXPECT_FALSE(Paused);
  EXPECT_FALSE(QuitRequested);
}

TEST_F(Commands, GadgetEventsGoToTheirWindow) {
  HandleGuiEvent(GuiEvent{EventMenu, CmdVideoOptions, false});
  EXPECT_EQ(ToggleCounts[WinVideoOptions], 1);
  HandleGuiEvent(GuiEvent{EventActivated, WinDebugger * 100 + 7, false});
  HandleGuiEvent(GuiEvent{EventClose, WinVgmPlayer, false});
  ASSERT_EQ(WindowEvents.size(), 2u);
  EXPECT_EQ(WindowEvents[0].id, WinDebugger * 100 + 7);
  EXPECT_EQ(WindowEvents[1].type, EventClose);
  // The Messages window's close box closes it.
  RunMenuCommand(CmdMessages);
  HandleGuiEvent(GuiEvent{EventClose, WinMessages, false});
  EXPECT_FALSE(WindowOpen(WinMessages));
  EXPECT_FALSE(Config.window_opened[WinMessages]);
}

TEST_F(Commands, TheRomRequesterLoadsItsSelection) {
  Config.rom_directory = TAVO_ROM_DIR;
  RunMenuCommand(CmdLoadRom);
  GuiInput input{};
  for (int pass = 0; pass < 200 && FileRequesterScanning(WinFileRequesterRom); pass++) RunFileRequesters(input);
  const auto& entries = FileRequesterEntries(WinFileRequesterRom);
  int demo = -1;
  for (size_t i = 0; i < entries.size(); i++)
    if (entries[i].name == "demo.sms") demo = int(i);
  ASSERT_GE(demo, 0);
  // Select it through its row, as a click does, then press Load.
  int first = 0;
  while (demo - first >= ListRowCount(RequesterGadget(WinFileRequesterRom, RequesterList))) {
    ScrollFileRequester(WinFileRequesterRom, 1);
    first++;
  }
  SelectRow(RequesterGadget(WinFileRequesterRom, RequesterList), demo - first);
  HandleGuiEvent(GuiEvent{EventChanged, RequesterGadget(WinFileRequesterRom, RequesterList), false});
  HandleGuiEvent(GuiEvent{EventActivated, RequesterGadget(WinFileRequesterRom, RequesterLoad), false});
  EXPECT_STREQ(StatusText, "Successfully loaded ROM 'demo.sms'.");
  EXPECT_EQ(Config.rom_directory, TAVO_ROM_DIR);
  EXPECT_EQ(Config.recent_roms[0], TAVO_ROM_DIR "/demo.sms") << "it heads the recent cartridges";
  // From the recent list, opened elsewhere: the folder kept is the cartridge's.
  Config.rom_directory = "/";
  RunMenuCommand(CmdLoadRom);
  ASSERT_TRUE(WindowOpen(WinFileRequesterRom));
  SelectRow(RequesterGadget(WinFileRequesterRom, RequesterRecentList), 0);
  HandleGuiEvent(GuiEvent{EventChanged, RequesterGadget(WinFileRequesterRom, RequesterRecentList), false});
  HandleGuiEvent(GuiEvent{EventActivated, RequesterGadget(WinFileRequesterRom, RequesterLoad), false});
  EXPECT_STREQ(StatusText, "Successfully loaded ROM 'demo.sms'.");
  EXPECT_EQ(Config.rom_directory, TAVO_ROM_DIR);
  EXPECT_FALSE(WindowOpen(WinFileRequesterRom));
}

TEST_F(Commands, TheInfoWindowFitsBelowTheMenuBarWithItsPicture) {
  RunMenuCommand(CmdInfo);
  ASSERT_TRUE(WindowOpen(WinInfo));
  int x, y;
  WindowPosition(WinInfo, &x, &y);
  const Surface* window = WindowSurface(WinInfo);
  ASSERT_NE(window, nullptr);
  EXPECT_GE(y, MenuBarHeight) << "its title bar and close box stay reachable";
  EXPECT_LE(y + window->height, 480);
  EXPECT_GE(x, 0);
  EXPECT_LE(x + window->width, 640);
  EXPECT_NE(GetGadgetFlags(WinInfo * 100 + InfoPicture), -1) << "lark.png was drawn and loaded";
  EXPECT_NE(GetGadgetFlags(WinInfo * 100 + InfoManual), -1) << "the manual is found beside the data or in the source tree";
  EXPECT_NE(GetGadgetFlags(WinInfo * 100 + InfoFolder), -1);
  EXPECT_FALSE(ReadmePath().empty());
  HandleGuiEvent(GuiEvent{EventClose, WinInfo, false});
  EXPECT_FALSE(WindowOpen(WinInfo));
}

TEST(Hotkeys, EachActsWhereItsKeyGoesDown) {
  uint8_t keys[KeyCodeCount] = {};
  HotkeyEdges edges;
  keys[KeyEscape] = 1;
  int toggles = 0;
  for (int pass = 0; pass < 20; pass++) toggles += (edges.Update(HotkeysHeld(keys, 0)) & HotToggleGui) != 0;
  EXPECT_EQ(toggles, 1) << "holding Esc toggles once";
  keys[KeyEscape] = 0;
  edges.Update(HotkeysHeld(keys, 0));
  keys[KeyEscape] = 1;
  EXPECT_TRUE(edges.Update(HotkeysHeld(keys, 0)) & HotToggleGui);
  keys[KeyEscape] = 0;

  keys[KeyX] = 1;
  EXPECT_FALSE(HotkeysHeld(keys, 0) & HotQuit) << "X alone is no hotkey";
  EXPECT_TRUE(HotkeysHeld(keys, ModRightAlt) & HotQuit);
  keys[KeyX] = 0;

  keys[KeyP] = 1;
  EXPECT_EQ(HotkeysHeld(keys, 0), uint32_t(HotPause));
  EXPECT_EQ(HotkeysHeld(keys, ModLeftAlt), uint32_t(HotPause | HotAltPause));
  keys[KeyP] = 0;
  keys[KeyBackspace] = 1;
  EXPECT_EQ(HotkeysHeld(keys, ModLeftAlt), uint32_t(HotSoftReset | HotHardReset));
  keys[KeyBackspace] = 0;
  keys[KeyEscape] = 1;
  EXPECT_EQ(HotkeysHeld(keys, ModLeftAlt), 0u) << "Alt+Esc puts the program aside instead";

  keys[KeyGrave] = 1;
  bool fast, slow;
  SpeedKeys(keys, 0, &fast, &slow);
  EXPECT_TRUE(fast && !slow);
  SpeedKeys(keys, ModLeftShift, &fast, &slow);
  EXPECT_TRUE(!fast && slow);
}

TEST(DoubleClick, FourHundredMillisecondsAtThePlace) {
  ClickTracker clicks;
  EXPECT_FALSE(clicks.Press(10000, 50, 60));
  EXPECT_TRUE(clicks.Press(10400, 50, 60));
  EXPECT_FALSE(clicks.Press(10500, 50, 60)) << "a third quick click is a single click";
  EXPECT_FALSE(clicks.Press(10901, 50, 60)) << "401 ms is too slow";
  EXPECT_TRUE(clicks.Press(11000, 50, 60));
  EXPECT_FALSE(clicks.Press(20000, 50, 60));
  EXPECT_FALSE(clicks.Press(20100, 51, 60)) << "the pointer moved";
}

}  // namespace
