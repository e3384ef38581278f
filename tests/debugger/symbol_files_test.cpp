// Symbol files found beside a cartridge file when it loads, named on the
// command line, and read by the menu command: which name wins, what each
// outcome says, and that a refused file leaves the labels alone.
#include <sys/stat.h>

#include "debugger/debugger_fixture.h"
#include "debugger/patch_file.h"
#include "debugger/symbol_files.h"
#include "machine/cartridge_files.h"

namespace {

class SymbolFiles : public DebuggerFixture {
 protected:
  void SetUp() override {
    DebuggerFixture::SetUp();
    ASSERT_EQ(mkdir(Path("carts").c_str(), 0755), 0);
    WriteBytes("carts/game.sms", PatternBytes(0x8000));
  }
  void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(relative), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  // Loads the cartridge as the program does, then looks for its symbols.
  bool LoadBeside(const std::string& relative) {
    EXPECT_TRUE(LoadCartridge(Path(relative).c_str()));
    ResetMessages();
    return LoadSymbolsBesideCartridge(Path(relative));
  }
};

TEST_F(SymbolFiles, TheFileNamedAfterTheWholeCartridgeNameWinsOverTheStem) {
  EXPECT_EQ(SymbolFileNames("game.sms", ""), (std::vector<std::string>{"game.sms.sym", "game.sym"}));
  EXPECT_EQ(SymbolFileNames("game", ""), (std::vector<std::string>{"game.sym"}));
  EXPECT_EQ(SymbolFileNames("game.sms", "pack.zip"),
            (std::vector<std::string>{"game.sms.sym", "game.sym", "pack.zip.sym", "pack.sym"}));

  WriteText("carts/game.sym", "[labels]\n00:0150 Main\n01:4000 Bank1\n");
  ASSERT_TRUE(LoadBeside("carts/game.sms"));
  EXPECT_STREQ(StatusText, "Successfully loaded symbols from 'game.sym'.");
  EXPECT_EQ(Scrollback(), "Successfully loaded symbols from 'game.sym'.\n");
  EXPECT_STREQ(LabelNameAt(0x150), "Main");
  EXPECT_STREQ(LabelNameAt(0x4000), "Bank1");

  // With both files, game.sms.sym alone is read.
  ResetDebugLists();
  WriteText("carts/game.sms.sym", "00:0200 Other\n");
  ASSERT_TRUE(LoadBeside("carts/game.sms"));
  EXPECT_STREQ(StatusText, "Successfully loaded symbols from 'game.sms.sym'.");
  EXPECT_EQ(LabelCount(), 1);
  EXPECT_STREQ(LabelNameAt(0x200), "Other");
}

TEST_F(SymbolFiles, NoFileSaysNothingAndABadOneLeavesTheLabels) {
  AddLabel(0x150, "Kept");
  EXPECT_FALSE(LoadBeside("carts/game.sms"));
  EXPECT_STREQ(StatusText, "");
  EXPECT_EQ(Scrollback(), "");

  // Found but unreadable (a folder under the name): reported, and the next
  // name is not tried.
  ASSERT_EQ(mkdir(Path("carts/game.sms.sym").c_str(), 0755), 0);
  WriteText("carts/game.sym", "00:0150 Replaced\n");
  EXPECT_FALSE(LoadBeside("carts/game.sms"));
  EXPECT_EQ(Scrollback(), "Couldn't load NO$GMB symbol file 'game.sms.sym'.\n");
  EXPECT_STREQ(LabelNameAt(0x150), "Kept");

  // A file without a single symbol line is no symbol file.
  rmdir(Path("carts/game.sms.sym").c_str());
  WriteText("carts/game.sym", "this is not\na symbol file 01:02\n\x01\x02\x03\n");
  EXPECT_FALSE(LoadBeside("carts/game.sms"));
  EXPECT_EQ(Scrollback(), "Couldn't find any symbols in 'game.sym'.\n");
  EXPECT_EQ(LabelCount(), 1);
  EXPECT_STREQ(LabelNameAt(0x150), "Kept");
}

TEST_F(SymbolFiles, AZippedCartridgeTriesItsMemberNamesThenTheArchives) {
  ASSERT_TRUE(WriteZip(Path("carts/pack.zip"), {{"game.gg", PatternBytes(0x8000)}}));
  WriteText("carts/pack.sym", "00:0300 FromPack\n");
  ASSERT_TRUE(LoadBeside("carts/pack.zip"));
  EXPECT_EQ(CartName, "game.gg");
  EXPECT_STREQ(LabelNameAt(0x300), "FromPack");
  WriteText("carts/game.sym", "00:0300 FromMember\n");
  ASSERT_TRUE(LoadBeside("carts/pack.zip"));
  EXPECT_STREQ(LabelNameAt(0x300), "FromMember");
}

TEST_F(SymbolFiles, ANamedFileAndTheMenuCommand) {
  WriteText("carts/mine.txt", "00:0150 Named\n");
  EXPECT_TRUE(LoadSymbolsFile(Path("carts/mine.txt")));
  EXPECT_STREQ(StatusText, "Successfully loaded symbols from 'mine.txt'.");
  EXPECT_STREQ(LabelNameAt(0x150), "Named");
  EXPECT_FALSE(LoadSymbolsFile(Path("carts/missing.sym")));
  EXPECT_STREQ(StatusText, "Couldn't load NO$GMB symbol file 'missing.sym'.");

  // The menu reads the ROM directory; game.sym serves when game.sms.sym
  // is not there, and the failure names the first of the two.
  ResetDebugLists();
  Install(MarkedBanks(2));
  Config.rom_directory = Path("carts");
  EXPECT_FALSE(LoadSymbolFile());
  EXPECT_STREQ(StatusText, "Couldn't load NO$GMB symbol file 'game.sms.sym'.");
  WriteText("carts/game.sym", "00:0160 Menu\n");
  EXPECT_TRUE(LoadSymbolFile());
  EXPECT_STREQ(StatusText, "Successfully loaded symbols from 'game.sym'.");
  EXPECT_STREQ(LabelNameAt(0x160), "Menu");
}

}  // namespace
