// The file requesters on generated folders: order, limits, the scan spread
// over passes, keys, loading and odd names.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "config/recent_roms.h"
#include "lumo/gui_fixture.h"

namespace {

class Requester : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    root_ = "/tmp/tavo_requester_" + std::to_string(getpid());
    Cleanup();
    mkdir(root_.c_str(), 0755);
  }
  void TearDown() override {
    GuiTest::TearDown();
    Cleanup();
  }
  void Cleanup() { (void)!system(("rm -rf '" + root_ + "'").c_str()); }
  // HOME points into the scratch folder for the test's length.
  void FakeHome(const std::string& relative) {
    if (const char* home = getenv("HOME")) saved_home_ = home;
    Dir(relative);
    setenv("HOME", (root_ + "/" + relative).c_str(), 1);
  }
  void RestoreHome() {
    if (!saved_home_.empty()) setenv("HOME", saved_home_.c_str(), 1);
  }
  // Types into the typed-path field and presses Return, as the user does;
  // returns the requester's answer to the field's event.
  RequesterResult TypePath(const std::string& text, int window_id = WinFileRequesterRom) {
    const int field = RequesterGadget(window_id, RequesterTyped);
    FocusGadget(field);
    SetGadgetText(field, text.c_str());
    Key(KeyReturn);
    GuiEvent e;
    if (!NextGuiEvent(&e)) return RequesterNotMine;
    int window = -1;
    return FileRequesterEvent(e, &window);
  }
  void Touch(const std::string& relative) {
    FILE* f = fopen((root_ + "/" + relative).c_str(), "wb");
    ASSERT_NE(f, nullptr) << relative;
    fclose(f);
  }
  void Dir(const std::string& relative) { mkdir((root_ + "/" + relative).c_str(), 0755); }
  // Passes until the scan ends; returns how many it took.
  int Scan(int window_id = WinFileRequesterRom) {
    int passes = 0;
    GuiInput in{};
    while (FileRequesterScanning(window_id) && passes < 100000) {
      RunFileRequesters(in);
      passes++;
    }
    return passes;
  }
  void PressKey(int code, int character = 0) {
    GuiInput in{};
    in.keys[0] = {(uint16_t)code, (uint8_t)character, true, 0};
    in.key_count = 1;
    RunFileRequesters(in);
  }
  std::string Selected() {
    int at = FileRequesterSelected(WinFileRequesterRom);
    return at < 0 ? "" : FileRequesterEntries(WinFileRequesterRom)[at].name;
  }
  // The requester's answer to an event.
  RequesterResult Dispatch(int type, int part) {
    int window = -1;
    return FileRequesterEvent({type, RequesterGadget(WinFileRequesterRom, part), false}, &window);
  }
  std::string root_, saved_home_;
};

TEST_F(Requester, FiveThousandFilesListAtMostTenTwentyFourInOrderOverManyPasses) {
  for (int i = 0; i < 3000; i++) Touch("game" + std::to_string(i) + ".sms");
  for (int i = 0; i < 1000; i++) Touch("tune" + std::to_string(i) + ".GG");
  for (int i = 0; i < 1000; i++) Touch("notes" + std::to_string(i) + ".txt");
  for (int i = 0; i < 30; i++) Dir("dir" + std::to_string(100 + i));
  Dir("Alpha");
  ASSERT_EQ(symlink((root_ + "/dir100").c_str(), (root_ + "/zlink").c_str()), 0);
  ASSERT_EQ(symlink("/nonexistent/target.sms", (root_ + "/broken.sms").c_str()), 0);
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  EXPECT_TRUE(FileRequesterScanning(WinFileRequesterRom));
  EXPECT_EQ(FileRequesterEntries(WinFileRequesterRom).size(), 0u) << "nothing shown while scanning";
  EXPECT_TRUE(GuiBusy()) << "the busy pointer from the first step";
  const int passes = Scan();
  EXPECT_FALSE(GuiBusy());
  EXPECT_GE(passes, (1024 - 32) / RequesterFilesPerPass) << "at most 32 files per pass";
  const auto& entries = FileRequesterEntries(WinFileRequesterRom);
  ASSERT_EQ(entries.size(), 1024u);
  // Folders first, sorted without regard to case, links to folders included.
  EXPECT_EQ(entries[0].name, "Alpha");
  EXPECT_EQ(entries[1].name, "dir100");
  EXPECT_EQ(entries[31].name, "zlink");
  for (int i = 0; i < 32; i++) EXPECT_TRUE(entries[i].directory);
  // Then the files of the first pattern, sorted; the dangling link is left out.
  for (size_t i = 32; i < entries.size(); i++) {
    EXPECT_FALSE(entries[i].directory);
    EXPECT_EQ(entries[i].name.substr(entries[i].name.size() - 4), ".sms");
    EXPECT_NE(entries[i].name, "broken.sms");
    EXPECT_TRUE(i == 32 || strcasecmp(entries[i - 1].name.c_str(), entries[i].name.c_str()) < 0) << i;
  }
  EXPECT_EQ(GetSelectedRow(RequesterGadget(WinFileRequesterRom, RequesterList)), -1);
}

TEST_F(Requester, KeysJumpAndMoveAndTheLoadButtonAsksForTheFile) {
  for (const char* name : {"alpha.sms", "beta.gg", "bravo.zip", "Bird.SMS", "other.nes", "x.gba",
                           "skip.txt", "tune.vgm"})
    Touch(name);
  Dir("docs");
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  const auto& entries = FileRequesterEntries(WinFileRequesterRom);
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[0].name, "docs");
  EXPECT_EQ(entries[1].name, "alpha.sms");
  EXPECT_EQ(entries[2].name, "beta.gg");
  EXPECT_EQ(entries[3].name, "Bird.SMS");
  PressKey(0, 'b');
  EXPECT_EQ(Selected(), "beta.gg");
  PressKey(0, 'B');
  EXPECT_EQ(Selected(), "Bird.SMS");
  PressKey(0, 'b');
  EXPECT_EQ(Selected(), "bravo.zip");
  PressKey(0, 'b');
  EXPECT_EQ(Selected(), "beta.gg") << "wraps round";
  PressKey(KeyEnd);
  EXPECT_EQ(Selected(), "x.gba");
  PressKey(KeyUp);
  EXPECT_EQ(Selected(), "other.nes");
  PressKey(KeyHome);
  EXPECT_EQ(Selected(), "docs");
  PressKey(KeyPageDown);
  EXPECT_EQ(Selected(), "x.gba");
  PressKey(KeyPageUp);
  PressKey(KeyDown);
  EXPECT_EQ(Selected(), "alpha.sms");
  // Enter on a file posts the Load button's event; the answer is "load".
  DrainEvents();
  PressKey(KeyReturn);
  auto e = Events();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, EventActivated);
  EXPECT_EQ(e[0].id, RequesterGadget(WinFileRequesterRom, RequesterLoad));
  EXPECT_EQ(Dispatch(EventActivated, RequesterLoad), RequesterLoadFile);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), root_ + "/alpha.sms");
  // Enter on a folder goes into it; Parent comes back.
  PressKey(KeyHome);
  PressKey(KeyReturn);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_ + "/docs");
  Scan();
  EXPECT_TRUE(FileRequesterEntries(WinFileRequesterRom).empty());
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), "");
  EXPECT_EQ(Dispatch(EventActivated, RequesterParent), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_);
  Scan();
  EXPECT_EQ(Dispatch(EventActivated, RequesterRoot), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), "/");
  // Other windows' events are not the requester's.
  int window;
  EXPECT_EQ(FileRequesterEvent({EventActivated, 12345, false}, &window), RequesterNotMine);
  EXPECT_EQ(FileRequesterEvent({EventMenu, 104, false}, &window), RequesterNotMine);
}

TEST_F(Requester, ADoubleClickOnAFileRowLoadsItAndCloseAfterLoadCloses) {
  Touch("one.vgm");
  Touch("two.vgz");
  Touch("three.sms");
  Config.filerequester_vgm_close_after_load = true;
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterVgm, root_));
  Scan(WinFileRequesterVgm);
  ASSERT_EQ(FileRequesterEntries(WinFileRequesterVgm).size(), 2u);
  EXPECT_EQ(GetChecked(RequesterGadget(WinFileRequesterVgm, RequesterCloseAfterLoad)), 1);
  int wx, wy;
  WindowPosition(WinFileRequesterVgm, &wx, &wy);
  // The list starts at RequesterListTop; its rows are the GUI font's height.
  const int row_y = wy + ClientTop + RequesterListTop + (RequesterListHeight - 20 * 12) / 2 + 12 + 5;
  double_click_ = true;
  Click(wx + ClientLeft + 40, row_y);
  GuiEvent e;
  ASSERT_TRUE(NextGuiEvent(&e));
  int window = 0;
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterHandled);
  EXPECT_EQ(window, WinFileRequesterVgm);
  ASSERT_TRUE(NextGuiEvent(&e));
  EXPECT_EQ(e.id, RequesterGadget(WinFileRequesterVgm, RequesterLoad));
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterLoadFile);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterVgm), root_ + "/two.vgz");
  FileRequesterLoaded(WinFileRequesterVgm);
  EXPECT_FALSE(WindowOpen(WinFileRequesterVgm));
  EXPECT_FALSE(Config.window_opened[WinFileRequesterVgm]);
}

TEST_F(Requester, OddNamesAndUnreadableFolders) {
  EXPECT_EQ(DisplayFileName("plain name.sms"), "plain name.sms");
  EXPECT_EQ(DisplayFileName("caf\xc3\xa9.gg"), "caf?.gg");
  EXPECT_EQ(DisplayFileName("bad\xff\xfe.sms"), "bad??.sms");
  EXPECT_EQ(DisplayFileName("cut\xe2\x82"), "cut??");
  EXPECT_EQ(DisplayFileName("tab\there\x7f"), "tab?here?");
  const std::string long_name = std::string(240, 'L') + ".sms";
  Touch(long_name);
  Touch("bad\xff\xfe.sms");
  Dir(std::string(200, 'D'));
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  ASSERT_EQ(FileRequesterEntries(WinFileRequesterRom).size(), 3u);
  Pass(0, 470);  // draws the rows: cut with an ellipsis, folders keep their '/'
  EXPECT_EQ(FileRequesterEntries(WinFileRequesterRom)[0].name, std::string(200, 'D'));
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));  // open already: to the front
  // Closed in the middle of a scan: the busy pointer goes.
  CloseFileRequester(WinFileRequesterRom);
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  EXPECT_TRUE(GuiBusy());
  CloseWindow(WinFileRequesterRom);
  RunFileRequesters(GuiInput{});
  EXPECT_FALSE(GuiBusy());
  // A folder that cannot be read lists nothing but lets the user leave.
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_ + "/missing"));
  Scan();
  EXPECT_TRUE(FileRequesterEntries(WinFileRequesterRom).empty());
  EXPECT_EQ(Dispatch(EventActivated, RequesterParent), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_);
}

TEST_F(Requester, DotEntriesAreHiddenAndHomeGoesHome) {
  for (const char* name : {"game.sms", ".hidden.sms", ".config.gg"}) Touch(name);
  for (const char* name : {"roms", ".git", ".cache"}) Dir(name);
  FakeHome("roms");
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  const auto& entries = FileRequesterEntries(WinFileRequesterRom);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "roms");
  EXPECT_EQ(entries[1].name, "game.sms");
  EXPECT_EQ(Dispatch(EventActivated, RequesterHome), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_ + "/roms");
  Scan();
  EXPECT_EQ(Dispatch(EventActivated, RequesterParent), RequesterHandled) << "'..' was seen: Parent works";
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_);
  // The path line shows the folder; a long one keeps its end.
  EXPECT_STREQ(GetGadgetText(RequesterGadget(WinFileRequesterRom, RequesterPathLine)), root_.c_str());
  std::string deep = root_;
  for (int i = 0; i < 12; i++) {
    deep += "/folder" + std::to_string(i);
    mkdir(deep.c_str(), 0755);
  }
  CloseFileRequester(WinFileRequesterRom);
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, deep));
  const std::string shown = GetGadgetText(RequesterGadget(WinFileRequesterRom, RequesterPathLine));
  EXPECT_EQ((unsigned char)shown[0], EllipsisCode);
  EXPECT_EQ(shown.substr(shown.size() - 9), "/folder11");
  EXPECT_LE(TextWidth(GuiFont, shown.c_str()), RequesterClientWidth(WinFileRequesterRom));
  RestoreHome();
}

TEST_F(Requester, ATypedPathOpensAFolderLoadsAFileOrSaysItIsMissing) {
  Dir("sub");
  Dir("home");
  Touch("sub/deep.sms");
  Touch("top.gg");
  FakeHome("home");
  Touch("home/mine.sms");
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  EXPECT_EQ(TypePath("  sub "), RequesterHandled) << "relative to the folder, blanks around ignored";
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_ + "/sub");
  EXPECT_STREQ(GetGadgetText(RequesterGadget(WinFileRequesterRom, RequesterTyped)), "") << "done: emptied";
  Scan();
  EXPECT_EQ(TypePath("~"), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_ + "/home");
  Scan();
  // A file: the answer is "load", with that file.
  EXPECT_EQ(TypePath("~/mine.sms"), RequesterLoadFile);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), root_ + "/home/mine.sms");
  FileRequesterLoaded(WinFileRequesterRom);  // Close after load is ticked by default
  EXPECT_FALSE(WindowOpen(WinFileRequesterRom));
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  EXPECT_EQ(TypePath(root_ + "/sub/deep.sms"), RequesterLoadFile);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), root_ + "/sub/deep.sms");
  // Missing: a message, and the requester stays as it was.
  PressKey(0, 't');
  ASSERT_EQ(Selected(), "top.gg");
  EXPECT_EQ(TypePath("nowhere/at all.sms"), RequesterHandled);
  EXPECT_STREQ(StatusText, "Couldn't open 'nowhere/at all.sms'.");
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_);
  EXPECT_EQ(Selected(), "top.gg");
  EXPECT_STREQ(GetGadgetText(RequesterGadget(WinFileRequesterRom, RequesterTyped)), "nowhere/at all.sms");
  EXPECT_EQ(FocusedGadget(), RequesterGadget(WinFileRequesterRom, RequesterTyped)) << "back to put it right";
  // Leaving the field is no Return: nothing opens.
  SetGadgetText(RequesterGadget(WinFileRequesterRom, RequesterTyped), "sub");
  FocusGadget(-1);
  GuiEvent e;
  ASSERT_TRUE(NextGuiEvent(&e));
  int window;
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterRom), root_);
  // The Return that ends typing is not the list's Enter too: in the main
  // loop's pass the GUI takes the keys first, then the requesters.
  DrainEvents();
  FocusGadget(RequesterGadget(WinFileRequesterRom, RequesterTyped));
  RunFileRequesters(GuiInput{});  // a pass while typing
  GuiInput in{};
  in.keys[0] = {KeyReturn, 13, true, 0};
  in.key_count = 1;
  RunGui(in);
  RunFileRequesters(in);
  auto events = Events();
  ASSERT_EQ(events.size(), 1u) << "only the field's confirmation";
  EXPECT_EQ(events[0].id, RequesterGadget(WinFileRequesterRom, RequesterTyped));
  RunGui(in);
  RunFileRequesters(in);
  events = Events();
  ASSERT_EQ(events.size(), 1u) << "a later Return is the list's";
  EXPECT_EQ(events[0].id, RequesterGadget(WinFileRequesterRom, RequesterLoad));
  // The VGM requester has the same field.
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterVgm, root_));
  Scan(WinFileRequesterVgm);
  EXPECT_EQ(TypePath("sub", WinFileRequesterVgm), RequesterHandled);
  EXPECT_EQ(FileRequesterDirectory(WinFileRequesterVgm), root_ + "/sub");
  RestoreHome();
}

TEST_F(Requester, RecentCartridgesShowWhatIsThereAndLoadFromTheirList) {
  Dir("a");
  Dir("b");
  Touch("a/one.sms");
  Touch("b/two.gg");
  Touch("here.sms");
  Config.recent_roms[0] = root_ + "/b/two.gg";
  Config.recent_roms[1] = root_ + "/a/gone.sms";
  Config.recent_roms[2] = root_ + "/a/one.sms";
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Scan();
  EXPECT_EQ(Config.recent_roms[1], root_ + "/a/one.sms") << "the missing file is dropped";
  EXPECT_TRUE(Config.recent_roms[2].empty());
  const int recent = RequesterGadget(WinFileRequesterRom, RequesterRecentList);
  int wx, wy;
  WindowPosition(WinFileRequesterRom, &wx, &wy);
  const int row_top = wy + ClientTop + RequesterListTop + (RequesterListHeight - 20 * 12) / 2;
  const int recent_x = wx + ClientLeft + RequesterBrowserWidth + 20;
  Click(recent_x, row_top + 12 + 5);
  GuiEvent e;
  ASSERT_TRUE(NextGuiEvent(&e));
  int window;
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterHandled);
  EXPECT_EQ(FileRequesterRecentSelected(WinFileRequesterRom), 1);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), root_ + "/a/one.sms");
  EXPECT_EQ(Dispatch(EventActivated, RequesterLoad), RequesterLoadFile);
  // A file of the list takes over the choice, and the other way round.
  PressKey(KeyHome);
  EXPECT_EQ(FileRequesterRecentSelected(WinFileRequesterRom), -1);
  EXPECT_EQ(GetSelectedRow(recent), -1);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), "");  // the folder "a"
  double_click_ = true;
  Click(recent_x, row_top + 5);
  ASSERT_TRUE(NextGuiEvent(&e));
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterHandled);
  EXPECT_EQ(FileRequesterSelected(WinFileRequesterRom), -1);
  ASSERT_TRUE(NextGuiEvent(&e)) << "the double click asks for a load";
  EXPECT_EQ(FileRequesterEvent(e, &window), RequesterLoadFile);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), root_ + "/b/two.gg");
  // After a load the list is shown again, newest first.
  Config.filerequester_rom_close_after_load = false;
  RememberRecentRom(root_ + "/here.sms");
  FileRequesterLoaded(WinFileRequesterRom);
  EXPECT_EQ(FileRequesterRecentSelected(WinFileRequesterRom), -1);
  Pass(0, 470);
  EXPECT_EQ(FileRequesterSelectedPath(WinFileRequesterRom), "");
  // Empty rows and the VGM requester's lack of a list.
  for (std::string& path : Config.recent_roms) path.clear();
  CloseFileRequester(WinFileRequesterRom);
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterRom, root_));
  Click(recent_x, row_top + 5);
  EXPECT_EQ(GetSelectedRow(recent), -1) << "the 'none yet' row cannot be chosen";
  ASSERT_TRUE(OpenFileRequester(WinFileRequesterVgm, root_));
  EXPECT_EQ(ListRowCount(RequesterGadget(WinFileRequesterVgm, RequesterRecentList)), -1);
}

TEST_F(Requester, BothFitOnTheScreenBelowTheMenuBar) {
  for (int id : {WinFileRequesterRom, WinFileRequesterVgm}) {
    Config.window_x[id] = 500;  // remembered where a smaller window fitted
    Config.window_y[id] = 300;
    ASSERT_TRUE(OpenFileRequester(id, root_));
    int x, y;
    WindowPosition(id, &x, &y);
    const Surface* s = WindowSurface(id);
    ASSERT_NE(s, nullptr);
    EXPECT_GE(y, MenuBarHeight);
    EXPECT_GE(x, 0);
    EXPECT_LE(x + s->width, 640);
    EXPECT_LE(y + s->height, 480);
    EXPECT_EQ(s->height, RequesterClientHeight + WindowExtraHeight);
    EXPECT_EQ(s->width, RequesterClientWidth(id) + WindowExtraWidth);
  }
}

}  // namespace
