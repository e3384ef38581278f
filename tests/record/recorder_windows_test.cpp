// The recorder windows on the real GUI, headless: each opens with its title
// and size and toggles through the registry, the Pick state toggles choose
// the save slot, the movie window's buttons reach the movie commands, and
// the SDSC Console shows a printed character in its colours at its cell.
#include "lumo/gui_fixture.h"

#include "base/app_state.h"
#include "base/program_dir.h"
#include "debugger/console_window.h"
#include "debugger/sdsc.h"
#include "lumo/window_registry.h"
#include "lumo/window_table.h"
#include "machine/cartridge_files.h"
#include "record/movie.h"
#include "record/recorder_windows.h"
#include "record/save_state.h"
#include "record/state_support.h"

namespace {

class RecorderWindows : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ResetWindowRegistry();
    RegisterWindows();
    ResetSaveStates();
    ResetMovies();
    ResetMessages();
    for (int id = 0; id < WindowCount; ++id) Config.window_x[id] = Config.window_y[id] = 20;
  }
  void TearDown() override {
    ResetMovies();
    ResetWindowRegistry();
    ResetSaveStates();
    ResetConsole();
    ResetAppState();
    DestroyConsoles();
    ResetProgramDirectory();
    GuiTest::TearDown();
  }
  // Clicks a gadget at a client position and hands the events to their windows.
  void ClickClient(int window_id, int cx, int cy) {
    int x, y;
    Centre(window_id, cx, cy, &x, &y);
    Click(x, y);
    for (const GuiEvent& event : Events()) DispatchWindowEvent(event);
  }
};

TEST_F(RecorderWindows, EachOpensWithItsTitleAndSizeAndToggles) {
  for (int id : {WinPickState, WinMovieLogger, WinVgmLogger, WinVgmPlayer, WinVideoRecorder, WinConsole}) {
    SCOPED_TRACE(WindowNames[id]);
    ToggleWindowById(id);
    ASSERT_TRUE(WindowOpen(id));
    Surface* s = WindowSurface(id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, WindowLayouts[id].client_width + WindowExtraWidth);
    EXPECT_EQ(s->height, WindowLayouts[id].client_height + WindowExtraHeight);
    Pass(630, 470);
    RefreshOpenWindows();
    ToggleWindowById(id);
    EXPECT_FALSE(WindowOpen(id));
    ToggleWindowById(id);
    EXPECT_TRUE(DispatchWindowEvent({EventClose, id, false}));
    EXPECT_FALSE(WindowOpen(id));
  }
}

TEST_F(RecorderWindows, PickStateTogglesChooseTheSlotTheSaveWrites) {
  const std::string folder = MakeScratchFolder();
  SetProgramDirectory(folder);
  ASSERT_TRUE(CreateWorkingFolders());
  ASSERT_TRUE(StartFresh(TAVO_ROM_DIR "/demo.sms", OptInitial));
  StateSlot = 9;
  ToggleWindowById(WinPickState);
  Pass(630, 470);
  EXPECT_EQ(GetChecked(PickStateSlotId(9)), 1);
  EXPECT_STREQ(GetGadgetText(WinPickState * 100 + StateSlotCount), "No saved states of this game yet.");
  ClickClient(WinPickState, 12, 7);  // gadget "0"
  EXPECT_EQ(StateSlot, 0);
  EXPECT_EQ(GetChecked(PickStateSlotId(9)), 0);
  ASSERT_TRUE(SaveState(true));
  EXPECT_STREQ(StatusText, "Saved state as 'demo.sms.st0'.");
  EXPECT_EQ(ReadFile(folder + "/States/demo.sms.st0").size(), StateFileSize);
  StateSlot = 4;  // F5/F6 elsewhere: the window follows, and names the saved slots
  ASSERT_TRUE(SaveState(false));
  for (int pass = 0; pass < 30; pass++) RefreshOpenWindows();
  EXPECT_EQ(GetChecked(PickStateSlotId(4)), 1);
  EXPECT_STREQ(GetGadgetText(WinPickState * 100 + StateSlotCount), "Saved states in slots 0, 4.");
  RemoveFolder(folder);
}

TEST_F(RecorderWindows, MovieButtonsReachTheMovieCommands) {
  ToggleWindowById(WinMovieLogger);
  Pass(630, 470);
  ClickClient(WinMovieLogger, 5 * 30 + 12, 7);  // slot "5"
  EXPECT_EQ(MovieSlot, 5);
  ClickClient(WinMovieLogger, 365, 27);  // Send, nothing recorded
  EXPECT_STREQ(StatusText, "Can't send movie message while no movie is recorded.");
  ClickClient(WinMovieLogger, 60, 67);  // Record, no cartridge
  EXPECT_STREQ(StatusText, "Can't start movie recording.");
  EXPECT_STREQ(GetGadgetText(MovieStateTextId), "Idle");
}

TEST_F(RecorderWindows, ConsoleShowsAPrintedCharacterInItsColoursAtItsCell) {
  ResetConsole();
  ConsoleControl(3), ConsoleControl(0x1E);                      // blue ground, yellow text
  ConsoleControl(4), ConsoleControl(2), ConsoleControl(5);      // row 2, column 5
  ConsoleData('A');
  ToggleWindowById(WinConsole);
  Pass(630, 470);
  int x, y;
  Centre(WinConsole, 5 * ConsoleCellWidth, 2 * ConsoleCellHeight, &x, &y);
  const uint32_t text = ConsoleColours[14], ground = ConsoleColours[1];
  int ink = 0;
  const Font& f = GuiFixedFont;
  for (int row = 0; row < std::min<int>(f.height, ConsoleCellHeight - 1); ++row)
    for (int column = 0; column < std::min<int>(f.glyph_width['A'], ConsoleCellWidth - 1); ++column)
      ink += f.coverage[row * f.strip->width + f.glyph_x['A'] + column];
  ASSERT_GT(ink, 10);
  EXPECT_EQ(CountRgb(x, y, ConsoleCellWidth, ConsoleCellHeight, text), ink);
  EXPECT_EQ(CountRgb(x, y, ConsoleCellWidth, ConsoleCellHeight, ground), 63 - ink);
  EXPECT_EQ(CountRgb(x - ConsoleCellWidth, y, ConsoleCellWidth, ConsoleCellHeight, ConsoleColours[0]), 63);

  // A change reaches the window on the next refresh, not before.
  ConsoleData('B');
  Pass(630, 470);
  EXPECT_EQ(CountRgb(x + ConsoleCellWidth, y, ConsoleCellWidth, ConsoleCellHeight, text), 0);
  RefreshOpenWindows();
  Pass(630, 470);
  EXPECT_GT(CountRgb(x + ConsoleCellWidth, y, ConsoleCellWidth, ConsoleCellHeight, text), 10);
  EXPECT_FALSE(ConsoleChanged);
}

}  // namespace
