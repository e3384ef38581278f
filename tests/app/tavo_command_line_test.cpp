// The windowed program's command line: --help and --version answer without a
// display, an unknown option is an error rather than a start, and -sym adds
// a symbol file's labels after the cartridge has loaded.
#include <sys/wait.h>

#include <cstdlib>

#include "app/tavo_options.h"
#include "debugger/debug_lists.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "program_fixture.h"

namespace {

struct Output {
  int status;
  std::string out, err;
};

// Runs a program with no display in the environment (SDL's dummy driver
// unset too), from a scratch folder; a program that started anyway is ended.
Output RunWithoutDisplay(const std::string& program, const std::string& args) {
  ScratchFolder folder("cli");
  const std::string command = "cd '" + folder.path() +
                              "' && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 '" + program + "' " +
                              args + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  Output result{WIFEXITED(status) ? WEXITSTATUS(status) : 128, ReadWholeFile(folder.Path("out.txt")),
                ReadWholeFile(folder.Path("err.txt"))};
  return result;
}

TEST(TavoCommandLine, HelpAndVersionAnswerWithoutADisplay) {
  const Output help = RunWithoutDisplay(TAVO_PROGRAM, "--help");
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out, TavoUsage);
  EXPECT_EQ(help.err, "");
  for (const char* option : {"-debug", "-sym FILE", "--help", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  EXPECT_EQ(RunWithoutDisplay(TAVO_PROGRAM, "-h demo.sms").out, TavoUsage);
  const Output version = RunWithoutDisplay(TAVO_PROGRAM, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tavo " TAVO_VERSION "\n");
  const Output headless = RunWithoutDisplay(TAVO_HEADLESS, "--version");
  EXPECT_EQ(headless.status, 0);
  EXPECT_EQ(headless.out, "tavo-headless " TAVO_VERSION "\n");
  const Output headless_help = RunWithoutDisplay(TAVO_HEADLESS, "--help");
  EXPECT_EQ(headless_help.status, 0);
  EXPECT_NE(headless_help.out.find("--version"), std::string::npos);
}

// Exit 2 with the option named, before the display is even looked for (that
// would be exit 1); a plain missing file name is no option error.
TEST(TavoCommandLine, AnUnknownOptionEndsWithAnError) {
  const Output unknown = RunWithoutDisplay(TAVO_PROGRAM, "-fast demo.sms");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "tavo: unknown option -fast (tavo --help lists the options)\n");
  const Output no_file = RunWithoutDisplay(TAVO_PROGRAM, "demo.sms -sym");
  EXPECT_EQ(no_file.status, 2);
  EXPECT_EQ(no_file.err, "tavo: option -sym needs a file (tavo --help lists the options)\n");
  EXPECT_EQ(RunWithoutDisplay(TAVO_PROGRAM, "--versions").status, 2);
  EXPECT_EQ(RunWithoutDisplay(TAVO_PROGRAM, "missing.sms").status, 1) << "no display: a start that fails";

  std::string error;
  const char* fine[] = {"tavo", "-debug", "-sym", "-odd.sym", "game.sms"};
  EXPECT_EQ(CheckTavoOptions(5, fine, &error), TavoCommand::Run) << "the value of -sym is a file name";
  const char* empty_file[] = {"tavo", "-sym", ""};
  EXPECT_EQ(CheckTavoOptions(3, empty_file, &error), TavoCommand::Bad);
}

TEST_F(ProgramTest, ASymbolFileOnTheCommandLineLabelsTheLoadedCartridge) {
  ASSERT_TRUE(Start());
  StartupDirectory = TAVO_ROM_DIR;
  const std::string symbols = folder_ + "/demo.sym";
  ASSERT_TRUE(WriteFile(symbols, {'0', '1', ':', '4', '0', '0', '0', ' ', 'S', 't', 'a', 'r', 't', '\n'}));
  std::string sym_path = symbols;
  char program[] = "tavo", sym[] = "-sym", rom[] = "demo.sms";
  char* words[] = {program, sym, sym_path.data(), rom};
  HandleCommandLine(4, words);
  EXPECT_EQ(CartName, "demo.sms") << "the file after -sym is no cartridge";
  ASSERT_EQ(LabelCount(), 1);
  EXPECT_EQ(LabelEntry(0)->name, "Start");
  EXPECT_EQ(LabelEntry(0)->address, 0x4000u);
  EXPECT_EQ(std::string(StatusText), "Successfully loaded NO$GMB symbol file '" + symbols + "'.");

  EXPECT_FALSE(LoadSymbolsAtStart(folder_ + "/none.sym"));
  EXPECT_EQ(std::string(StatusText), "Couldn't load NO$GMB symbol file '" + folder_ + "/none.sym'.");
  EXPECT_EQ(LabelCount(), 1);
}

}  // namespace
