// The debug log of a short known program, entry by entry against the
// layout written out here with the C library's formatting, and its start,
// stop and clear commands with their messages and failures.
#include <signal.h>
#include <sys/resource.h>

#include <cstring>

#include "debugger/code_row.h"
#include "debugger/debugger_fixture.h"

namespace {

// di / ld sp,$DFF0 / ld a,$12 / ld hl,$C000 / ld (hl),a / ld ix,$1234 / jr $
const std::vector<uint8_t> Program = {0xF3, 0x31, 0xF0, 0xDF, 0x3E, 0x12, 0x21, 0x00, 0xC0,
                                      0x77, 0xDD, 0x21, 0x34, 0x12, 0x18, 0xFE};

class DebugLog : public DebuggerFixture {
 protected:
  void SetUp() override {
    DebuggerFixture::SetUp();
    ASSERT_TRUE(LoadOpcodes(TAVO_OPCODES_FILE));
    std::vector<uint8_t> image = MarkedBanks(4);
    std::copy(Program.begin(), Program.end(), image.begin());
    Install(image);
  }
  std::string Log() const { return ReadText("DebugLogs/game.sms.DebugLog"); }
};

// One entry as the layout describes it, for the state the machine is in.
std::string ExpectedEntry(const char* label, const char* instruction, bool breakpoint) {
  const Z80Registers& r = PrimaryMachine.SavedRegisters;
  const Machine& m = PrimaryMachine;
  char text[256];
  std::string entry = std::string(82, '-') + "\n";
  std::snprintf(text, sizeof text,
                "AF = %04X BC = %04X DE = %04X HL = %04X IX = %04X IY = %04X   PC = %04X SP = %04X\n", r.af, r.bc,
                r.de, r.hl, r.ix, r.iy, r.pc, r.sp);
  entry += text;
  std::snprintf(text, sizeof text, "Mapper: %2d:%2d:%2d         VBL: %1d  HBL: %1d  BLK: %1d  Line = %3d\n",
                m.RomBank0, m.RomBank1, m.RomBank2, (m.Vdp.regs[1] >> 5) & 1, (m.Vdp.regs[0] >> 4) & 1,
                (m.Vdp.regs[1] >> 6) & 1, m.Vdp.line);
  entry += text;
  std::string field(99, ' ');
  field.replace(0, std::min<size_t>(std::strlen(label), 15), label, std::min<size_t>(std::strlen(label), 15));
  std::snprintf(text, sizeof text, "%04X", r.pc);
  field.replace(17, 4, text);
  field.replace(26, std::strlen(instruction), instruction);
  return entry + (breakpoint ? "==== " : "     ") + field + "\n";
}

TEST_F(DebugLog, TracesEveryStepWithTheStateAfterIt) {
  AddLabel(0x0009, "store_the_value_now");  // 19 characters: cut to 15
  AddLabel(0x000E, "Forever");
  AddBreakpoint(0x000E);
  DebugLogOn = true;
  ASSERT_TRUE(StartDebugLog(false));
  EXPECT_STREQ(StatusText, "Started debug log 'game.sms.DebugLog'.");
  std::string expected = "\nTavo debug log for 'game.sms'\n\n" + ExpectedEntry("", "di", false);
  struct Step {
    const char* label;
    const char* instruction;
    bool breakpoint;
  };
  const Step steps[] = {
      {"", "ld   sp,$DFF0", false},   {"", "ld   a,$12", false},   {"", "ld   hl,$C000", false},
      {"store_the_value_now", "ld   (hl),a", false}, {"", "ld   ix,$1234", false},
      {"Forever", "jr   Forever", true}, {"Forever", "jr   Forever", true},
  };
  for (const Step& step : steps) {
    StepInstruction();
    expected += ExpectedEntry(step.label, step.instruction, step.breakpoint);
  }
  // The registers the program set, as the trace shows them.
  EXPECT_EQ(PrimaryMachine.SavedRegisters.af >> 8, 0x12);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.hl, 0xC000);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.ix, 0x1234);
  EXPECT_EQ(PrimaryMachine.Ram[0], 0x12);
  StopDebugLog();
  EXPECT_STREQ(StatusText, "Stopped debug log 'game.sms.DebugLog'.");
  const std::string log = Log();
  EXPECT_EQ(log, expected);
  EXPECT_NE(log.find("     store_the_value  0009     ld   (hl),a"), std::string::npos);
  EXPECT_NE(log.find("==== Forever          000E     jr   Forever"), std::string::npos);
  EXPECT_NE(log.find("HL = C000 IX = 1234 IY = FFFF   PC = 000E SP = DFF0"), std::string::npos);
  // Stepping without an open log writes nothing more.
  StepInstruction();
  EXPECT_EQ(Log(), expected);
}

TEST_F(DebugLog, StartingTwiceDoesNothingAndClearingStartsOver) {
  ASSERT_TRUE(StartDebugLog(false));
  ResetMessages();
  EXPECT_FALSE(StartDebugLog(false));
  EXPECT_STREQ(StatusText, "");
  DebugLogOn = true;
  for (int i = 0; i < 3; ++i) StepInstruction();
  ClearDebugLog();
  EXPECT_STREQ(StatusText, "Restarted debug log 'game.sms.DebugLog'.");
  EXPECT_TRUE(DebugLogOpen());
  StopDebugLog();
  const std::string log = Log();
  EXPECT_EQ(log.rfind("\nTavo debug log for 'game.sms'\n\n---", 0), 0u);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3 + 4);  // header, one entry
  EXPECT_NE(log.find("PC = 0006"), std::string::npos);  // after di, ld sp,nn, ld a,n

  ClearDebugLog();
  EXPECT_STREQ(StatusText, "Cleared debug log 'game.sms.DebugLog'");
  EXPECT_EQ(Log(), "");
  EXPECT_FALSE(DebugLogOpen());
}

TEST_F(DebugLog, FailuresAreReportedAndNothingHappensWithoutACartridge) {
  ASSERT_EQ(std::system(("rm -rf '" + Path("DebugLogs") + "'").c_str()), 0);
  EXPECT_FALSE(StartDebugLog(false));
  EXPECT_STREQ(StatusText, "Couldn't start debug log 'game.sms.DebugLog'.");
  ClearDebugLog();
  EXPECT_STREQ(StatusText, "Couldn't clear debug log 'game.sms.DebugLog'");
  // A folder under the log's name stays; a pipe there is replaced by the
  // log, never opened (it would block).
  ASSERT_EQ(std::system(("mkdir -p '" + Path("DebugLogs/game.sms.DebugLog") + "'").c_str()), 0);
  EXPECT_FALSE(StartDebugLog(true));
  EXPECT_STREQ(StatusText, "Couldn't restart debug log 'game.sms.DebugLog'.");
  ASSERT_EQ(std::system(("rmdir '" + Path("DebugLogs/game.sms.DebugLog") + "' && mkfifo '" +
                         Path("DebugLogs/game.sms.DebugLog") + "'").c_str()), 0);
  EXPECT_TRUE(StartDebugLog(false));
  StopDebugLog();
  EXPECT_EQ(Log().rfind("\nTavo debug log for 'game.sms'", 0), 0u);

  ResetMessages();
  CartName.clear();
  EXPECT_FALSE(StartDebugLog(false));
  StopDebugLog();
  ClearDebugLog();
  EXPECT_STREQ(StatusText, "");
}

TEST_F(DebugLog, AWriteErrorStopsTheLogButNotTheEmulation) {
  // The file may not grow past 100 KB: writes beyond fail as on a full disk.
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = 100 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  DebugLogOn = true;
  ASSERT_TRUE(StartDebugLog(false));
  int steps = 0;
  while (DebugLogOn && steps < 5000) {
    StepInstruction();
    ++steps;
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_FALSE(DebugLogOn);
  EXPECT_FALSE(DebugLogOpen());
  EXPECT_STREQ(StatusText, "Couldn't write debug log 'game.sms.DebugLog'.");
  EXPECT_GT(steps, 100);
  StepInstruction();  // the program runs on
  EXPECT_EQ(GetPc(), 0x000Eu);
}

TEST_F(DebugLog, StepOverSkipsAnInstructionAndWindowRowsShowComments) {
  StepInstruction();  // di
  StepInstruction();  // ld sp,$DFF0
  SkipInstruction();  // ld a,$12 is not run
  EXPECT_EQ(GetPc(), 6u);
  EXPECT_EQ(PrimaryMachine.SavedRegisters.af >> 8, 0);
  StepInstruction();  // ld hl,$C000
  EXPECT_EQ(GetPc(), 9u);

  AddLabel(0x0004, "a_label_of_twenty_ch");
  AddComment(0x0004, "loads the value that the next instruction stores, and more");
  char row[CodeRowWidth + 1];
  uint32_t absolute = 0;
  EXPECT_EQ(BuildCodeRow(4, WindowRowLabelWidth, true, row, &absolute), 2);
  EXPECT_EQ(absolute, 4u);
  std::string want(CodeRowWidth, ' ');
  want.replace(0, 16, "a_label_of_twent");
  want.replace(17, 4, "0004");
  want.replace(26, 10, "ld   a,$12");
  want.replace(67, 1, ";");
  want.replace(69, 30, "loads the value that the next ");
  EXPECT_EQ(std::string(row), want);
  EXPECT_EQ(std::strlen(row), size_t(CodeRowWidth));
}

}  // namespace
