// Patch files written and read back, their byte patches and syntax errors,
// and NO$GMB symbol files, through the menu commands with their messages.
#include "debugger/debugger_fixture.h"
#include "debugger/patch_file.h"

namespace {

class PatchFiles : public DebuggerFixture {
 protected:
  void SetUp() override {
    DebuggerFixture::SetUp();
    Install(MarkedBanks(4));  // game.sms, 64 KB
  }
  void WritePatch(const std::string& text) const { WriteText("Patches/game.sms.pat", text); }
};

TEST_F(PatchFiles, SavedListsReadBackInTheirOrder) {
  Config.var_overwrite = false;
  AddVariable(0xC010, VarWord, "score");
  AddVariable(0xC000, VarByte, "lives");
  AddVariable(0xC000, VarDword, "timer");
  AddBreakpoint(0x14100);
  AddBreakpoint(0x38);
  AddLabel(0x10000, "Far away");
  AddLabel(0x38, "Irq");
  AddComment(0x38, "frame interrupt; keep it short");
  AddLabel(0x100, "say \"hi\"");  // no escapes: the quotes become apostrophes
  ASSERT_TRUE(SavePatch());
  EXPECT_STREQ(StatusText, "Successfully saved patch 'game.sms.pat'.\n");
  EXPECT_EQ(ReadText("Patches/game.sms.pat"),
            "VarW $C010, \"score\"\nVarB $C000, \"lives\"\nVarD $C000, \"timer\"\n"
            "BP $14100\nBP $38\n"
            "LABEL $10000, \"Far away\"\nLABEL $38, \"Irq\"\nLABEL $100, \"say 'hi'\"\n"
            "COMMENT $38, \"frame interrupt; keep it short\"\n");
  EXPECT_FALSE(std::ifstream(Path("Patches/game.sms.pat.tmp")).good());

  ResetDebugLists();
  AddLabel(0x5555, "gone after loading");
  ASSERT_TRUE(LoadPatch(true));
  EXPECT_STREQ(StatusText, "Successfully loaded patch 'game.sms.pat'.");
  ASSERT_EQ(VariableCount(), 3);
  EXPECT_EQ(VariableEntry(0)->name, "score");
  EXPECT_EQ(VariableEntry(0)->kind, VarWord);
  EXPECT_EQ(VariableEntry(2)->kind, VarDword);
  EXPECT_EQ(VariableEntry(2)->address, 0xC000);
  ASSERT_EQ(BreakpointCount(), 2);
  EXPECT_EQ(BreakpointEntry(0)->address, 0x14100u);
  ASSERT_EQ(LabelCount(), 3);
  EXPECT_EQ(LabelEntry(0)->name, "Far away");
  EXPECT_EQ(LabelEntry(2)->name, "say 'hi'");
  EXPECT_EQ(FindComment(0x38)->text, "frame interrupt; keep it short");
  EXPECT_EQ(LabelNameAt(0x5555), nullptr);
}

TEST_F(PatchFiles, SavingKeepsThePreviousFileAsABackup) {
  const std::string old_patch = "ADDR $100\nWB 1, 2, 3\nLABEL $10, \"old\"\n";
  WritePatch(old_patch);
  AddLabel(0x20, "new");
  ASSERT_TRUE(SavePatch());
  EXPECT_EQ(ReadText("tavo.tmp"), old_patch);
  EXPECT_EQ(ReadText("Patches/game.sms.pat"), "LABEL $20, \"new\"\n");
  // A folder where the patch should be cannot be replaced: the save fails
  // with its message and nothing is lost.
  ASSERT_EQ(std::system(("rm -f '" + Path("Patches/game.sms.pat") + "' && mkdir '" +
                         Path("Patches/game.sms.pat") + "'").c_str()), 0);
  EXPECT_FALSE(SavePatch());
  EXPECT_STREQ(StatusText, "Couldn't save patch 'game.sms.pat'.");
}

TEST_F(PatchFiles, LoadingReplacesOrMergesAndAMissingFileChangesNothing) {
  AddLabel(0x100, "Keep");
  AddLabel(0x200, "Main");
  EXPECT_FALSE(LoadPatch(true));
  EXPECT_STREQ(StatusText, "Couldn't load patch 'game.sms.pat'.");
  EXPECT_EQ(LabelCount(), 2);

  WritePatch("label $300, Main ; moves the existing label\nbp $100\nVarB $1C000, \"wrapped\"\n");
  ASSERT_TRUE(LoadPatch(false));
  EXPECT_STREQ(StatusText, "Successfully added patch 'game.sms.pat'.");
  EXPECT_EQ(LabelCount(), 2);
  EXPECT_STREQ(LabelNameAt(0x300), "Main");
  EXPECT_STREQ(LabelNameAt(0x100), "Keep");
  EXPECT_TRUE(HasBreakpoint(0x100));
  EXPECT_EQ(VariableEntry(0)->address, 0xC000);  // variables are CPU addresses
  ASSERT_TRUE(LoadPatch(true));
  EXPECT_EQ(LabelCount(), 1);
  EXPECT_EQ(LabelNameAt(0x100), nullptr);
}

TEST_F(PatchFiles, WriteLinesPatchTheImageInMemoryAtTheWrappingPointer) {
  WritePatch("ADDR $8000\nWW $1234, $5678\nwb 9\nWD $AABBCCDD\n");
  ASSERT_TRUE(LoadPatch(false));
  const std::vector<uint8_t> want = {0x34, 0x12, 0x78, 0x56, 0x09, 0xDD, 0xCC, 0xBB, 0xAA};
  EXPECT_EQ(std::vector<uint8_t>(CartImage + 0x8000, CartImage + 0x8009), want);
  EXPECT_EQ(Read16(0x8000), 0x1234);  // slot 2 shows bank 2, patched in place

  // A 32 KB image: $8000 wraps to the start, and the copy of the first
  // three bytes behind the image follows.
  Install(MarkedBanks(2), "game.sms");
  WritePatch("ADDR $7FFF\nWB $11, $22, $33\nADDR $8000\nWW $1234, $5678\n");
  ASSERT_TRUE(LoadPatch(false));
  EXPECT_EQ(std::vector<uint8_t>(CartImage, CartImage + 4), (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56}));
  EXPECT_EQ(CartImage[0x7FFF], 0x11);
  EXPECT_EQ(std::vector<uint8_t>(CartImage + 0x8000, CartImage + 0x8003), (std::vector<uint8_t>{0x34, 0x12, 0x78}));
}

TEST_F(PatchFiles, SyntaxErrorsAreCountedByLineAndTheRestStillApplies) {
  const std::string long_line = "LABEL $10, \"" + std::string(300, 'x') + "\"\n";
  WritePatch("; a comment line\n"
             "\n"
             "LABEL $1 \"no comma\"\n"    // 3
             "BP\n"                       // 4
             "WB 1, 2 3\n"                // 5: 1 and 2 are written
             "WB 4,\n"                    // 6: 4 is written
             "LABEL $2, \"unclosed\n"     // 7
             "JUMP $5\n"                  // 8
             "BP $12G\r\n"                // 9: bad number
             "VarW $C000, \"\"\r\n"       // 10: no name
             + long_line +                // 11 and 12
             "COMMENT $3, \"fine; really\"\r\n"
             "LABEL $4, \"Fine\"");
  ASSERT_TRUE(LoadPatch(true));
  EXPECT_STREQ(StatusText, "Successfully loaded patch 'game.sms.pat', but it had at least one syntax error.");
  EXPECT_EQ(Scrollback(),
            "Line 3: Syntax error\nLine 4: Syntax error\nLine 5: Syntax error\nLine 6: Syntax error\n"
            "Line 7: Syntax error\n\nLine 8: Syntax error\nLine 9: Syntax error\nLine 10: Syntax error\n"
            "Line 11: Syntax error\n\nLine 12: Syntax error\n\n"
            "Successfully loaded patch 'game.sms.pat', but it had at lea\nst one syntax error.\n");
  EXPECT_EQ(std::vector<uint8_t>(CartImage, CartImage + 4), (std::vector<uint8_t>{1, 2, 4, 0}));
  EXPECT_EQ(FindComment(3)->text, "fine; really");
  EXPECT_STREQ(LabelNameAt(4), "Fine");
  EXPECT_EQ(LabelCount(), 1);
  EXPECT_EQ(BreakpointCount(), 0);
}

TEST_F(PatchFiles, SymbolFileLinesBecomeLabelsAtTheirBanksAbsoluteAddresses) {
  Install(MarkedBanks(8));
  WriteText("game.sms.sym",
            "; this file was written by the linker\n"
            "[labels]\n"
            "00:0000 Boot\n"
            "01:4000 Start\n"
            "04:4123 Far\n"
            "05:8000 Slot2\n"
            "00:C000 RamVar\n"
            "00:E010 Mirror\n"
            "0g:1000 BadBank\n"
            "01 4000 NoColon\n"
            "01:4000\n"
            "[definitions]\n"
            "00000010 _sizeof_thing\n");
  ASSERT_TRUE(LoadSymbolFile());
  EXPECT_STREQ(StatusText, "Successfully loaded symbols from 'game.sms.sym'.");
  EXPECT_EQ(LabelCount(), 6);
  EXPECT_STREQ(LabelNameAt(0x0000), "Boot");
  EXPECT_STREQ(LabelNameAt(0x4000), "Start");
  EXPECT_STREQ(LabelNameAt(0x10123), "Far");
  EXPECT_STREQ(LabelNameAt(0x14000), "Slot2");
  EXPECT_STREQ(LabelNameAt(0xC000), "RamVar");
  EXPECT_STREQ(LabelNameAt(0xC010), "Mirror");
  // The debugger finds them where the program runs with those banks.
  Write8(0xFFFE, 4);
  Write8(0xFFFF, 5);
  EXPECT_STREQ(LabelNameAt(ConsoleAbsoluteAddress(0x4123)), "Far");
  EXPECT_STREQ(LabelNameAt(ConsoleAbsoluteAddress(0x8000)), "Slot2");
  EXPECT_STREQ(LabelNameAt(ConsoleAbsoluteAddress(0xC000)), "RamVar");
  EXPECT_STREQ(LabelNameAt(ConsoleAbsoluteAddress(0xE010)), "Mirror");

  std::remove(Path("game.sms.sym").c_str());
  EXPECT_FALSE(LoadSymbolFile());
  EXPECT_STREQ(StatusText, "Couldn't load NO$GMB symbol file 'game.sms.sym'.");
}

TEST_F(PatchFiles, WithoutACartridgeTheCommandsDoNothing) {
  WritePatch("LABEL $1, \"x\"\n");
  CartName.clear();
  AddLabel(0x2, "y");
  EXPECT_FALSE(LoadPatch(true));
  EXPECT_FALSE(SavePatch());
  EXPECT_FALSE(LoadSymbolFile());
  EXPECT_STREQ(StatusText, "");
  EXPECT_EQ(Scrollback(), "");
  EXPECT_EQ(LabelCount(), 1);
  EXPECT_EQ(ReadText("Patches/game.sms.pat"), "LABEL $1, \"x\"\n");
}

}  // namespace
