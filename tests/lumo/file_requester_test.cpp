// The file requesters on generated folders: order, limits, the scan spread
// over passes, keys, loading and odd names.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

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
    in.keys[0] = {(uint16_t)code, (uint8_t)character, true};
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
  std::string root_;
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
  // The list starts at client y 20; its rows are the GUI font's height.
  const int row_y = wy + ClientTop + 20 + (250 - 20 * 12) / 2 + 12 + 5;
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

}  // namespace
