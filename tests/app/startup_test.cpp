// Start-up and shutdown of the whole program in a scratch folder: the
// failures that must leave the user's files alone, the files a normal run
// leaves, windows reopened, and the command line.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/commands.h"
#include "debugger/debugger_state.h"
#include "lumo/gui.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "program_fixture.h"

namespace {

TEST_F(ProgramTest, ASecondInstanceSaysSoAndWritesNothing) {
  // The first instance holds the lock of the folder.
  const int first = open((folder_ + "/.tavo.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(first, 0);
  ASSERT_EQ(flock(first, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(Start());
  Stop();
  close(first);
  ASSERT_EQ(StartupMessages.size(), 1u);
  EXPECT_EQ(StartupMessages[0], "Tavo seems to be running already.");
  struct stat info;
  EXPECT_NE(stat(ConfigPath().c_str(), &info), 0) << "no tavo.cfg may appear";
  EXPECT_NE(stat((folder_ + "/States").c_str(), &info), 0) << "no working folder may appear";
}

TEST_F(ProgramTest, AMissingOpcodesFileLeavesTheConfigurationUntouched) {
  WriteConfigLines("; my own settings\nsound_volume = 33\n");
  const std::string before = ReadText(ConfigPath());
  const std::string empty = MakeScratchFolder();
  DataDirectory = empty;
  EXPECT_FALSE(Start());
  Stop();
  RemoveFolder(empty);
  ASSERT_EQ(StartupMessages.size(), 1u);
  EXPECT_EQ(StartupMessages[0], "Couldn't load opcodes.dat.");
  EXPECT_EQ(ReadText(ConfigPath()), before);
}

TEST_F(ProgramTest, ARunLeavesAWholeConfigurationFolderAndThemes) {
  ASSERT_TRUE(Start()) << (StartupMessages.empty() ? "" : StartupMessages[0]);
  EXPECT_TRUE(StartupMessages.empty());
  EXPECT_TRUE(GuiVisible);
  EXPECT_EQ(DesktopTitle(), "Tavo");
  Passes(3);
  Stop();
  const std::string text = ReadText(ConfigPath());
  EXPECT_EQ(text.rfind(";-------------------------;\n", 0), 0u) << text.substr(0, 80);
  const std::string last = "; BIOS files\nbios0000 = \"\"\n";
  ASSERT_GT(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  for (const char* name : WorkingFolderNames) {
    struct stat info;
    EXPECT_EQ(stat((folder_ + "/" + name).c_str(), &info), 0) << name;
  }
  struct stat info;
  EXPECT_EQ(stat((folder_ + "/Themes/dark.theme").c_str(), &info), 0) << "the shipped themes are installed";
}

TEST_F(ProgramTest, WindowsOpenAtStartWhenTheyWereOpenAtTheEnd) {
  WriteConfigLines("info_opened = 1\nmessages_opened = 1\ninfo_x = 40\ninfo_y = 30\n");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(WindowOpen(WinInfo));
  EXPECT_TRUE(WindowOpen(WinMessages));
  EXPECT_TRUE(WindowOpen(WinGame));
  int x, y;
  WindowPosition(WinInfo, &x, &y);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  RunMenuCommand(CmdMessages);  // closed before the end: stays closed next time
  Stop();
  const std::string text = ReadText(ConfigPath());
  EXPECT_NE(text.find("info_opened"), std::string::npos);
  EXPECT_EQ(text.find("messages_opened"), std::string::npos);
  EXPECT_NE(text.find("info_x                   = 40\n"), std::string::npos);
}

TEST_F(ProgramTest, ACartridgeOnTheCommandLineStartsAtOnceAndDebugBreaks) {
  ASSERT_TRUE(Start());
  // Relative names are taken from the folder the program was started in.
  StartupDirectory = TAVO_ROM_DIR;
  char program[] = "tavo", debug[] = "-debug", rom[] = "demo.sms", other[] = "-fast";
  char* words[] = {program, other, debug, rom};
  HandleCommandLine(4, words);
  EXPECT_EQ(CartName, "demo.sms");
  EXPECT_TRUE(BreakState);
  EXPECT_TRUE(GuiVisible) << "-debug shows the debugger's window at once";
  EXPECT_TRUE(WindowOpen(WinDebugger));
  EXPECT_EQ(DesktopTitle(), "Tavo - demo.sms");
  // Without -debug the game plays with the GUI hidden.
  char* plain[] = {program, rom};
  ClearRunFlags();
  HandleCommandLine(2, plain);
  EXPECT_FALSE(BreakState);
  EXPECT_FALSE(GuiVisible);
}

TEST_F(ProgramTest, ABadCartridgeOnTheCommandLineKeepsTheGuiAndSaysWhy) {
  ASSERT_TRUE(Start());
  char program[] = "tavo", rom[] = "/nonexistent/none.sms";
  char* words[] = {program, rom};
  HandleCommandLine(2, words);
  EXPECT_TRUE(CartName.empty());
  EXPECT_TRUE(GuiVisible);
  EXPECT_STREQ(StatusText, "Couldn't load ROM 'none.sms'.");
  EXPECT_GT(StatusCounter, 0);
  EXPECT_TRUE(WindowOpen(WinMessages));
}

}  // namespace
