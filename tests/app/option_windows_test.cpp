// The option windows through the window registry on the real GUI and
// display (SDL's dummy driver): what can go wrong in applying the emulation
// options, assigning keys, the volume slider, the theme window's preview,
// cancel, apply and save, and the video options' mode change.
#include <sys/stat.h>

#include <string>

#include "app/option_windows.h"
#include "app/video_options_window.h"
#include "base/app_state.h"
#include "base/program_dir.h"
#include "config/config_file.h"
#include "debugger/debugger_state.h"
#include "lumo/audio_output.h"
#include "lumo/gui_fixture.h"
#include "lumo/gui_internal.h"
#include "lumo/key_capture.h"
#include "lumo/key_presser.h"
#include "lumo/theme_window.h"
#include "lumo/window_registry.h"
#include "machine/console.h"
#include "machine/options.h"
#include "machine/psg.h"
#include "scratch_folder.h"

namespace {

class OptionWindowsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    SetProgramDirectory(dir_.path());
    mkdir(dir_.Path("Themes").c_str(), 0755);
    ResetAppState();
    ResetThemes();
    ResetWindowRegistry();
    RegisterWindows();
  }
  void TearDown() override {
    ResetWindowRegistry();
    ResetThemes();
    ResetAppState();
    ResetAudio();
    BreakState = false;
    GuiTest::TearDown();
    ResetProgramDirectory();
    ApplyConfigDefaults();
  }
  static void Send(int type, int id) {
    GuiEvent event{type, id, false};
    ASSERT_TRUE(DispatchWindowEvent(event));
  }
  // One main-loop pass of the GUI: events dispatched, windows refreshed.
  void DispatchAll() {
    for (const GuiEvent& e : Events()) DispatchWindowEvent(e);
    RefreshOpenWindows();
  }
  ScratchFolder dir_{"options"};
};

TEST_F(OptionWindowsTest, EmulationApplyRebuildsTheOptionWordAndIsDisabledInTheDebugger) {
  ASSERT_TRUE(CreateConsoles());
  MachineOptions = OptInitial | OptLink;
  SetupConsoleTiming();
  ToggleWindowById(WinSystemOptions);
  ASSERT_TRUE(WindowOpen(WinSystemOptions));
  EXPECT_EQ(GetChecked(EmulationRadio(1, false)), 1);  // NTSC shown
  SetChecked(EmulationRadio(1, true), 1);               // PAL
  Send(EventActivated, EmulationGadget(EmulationApply));
  EXPECT_TRUE(MachineOptions & OptPalLines);
  EXPECT_FALSE(MachineOptions & OptNtscRate);
  EXPECT_FALSE(MachineOptions & OptLink);
  EXPECT_EQ(MachineOptions, (OptInitial & ~OptNtscRate) | OptPalLines);
  EXPECT_EQ(FrameRate, 50);

  BreakState = true;
  SetChecked(EmulationRadio(1, false), 1);
  RefreshOpenWindows();
  EXPECT_FALSE(FindGadget(EmulationGadget(EmulationApply))->enabled);
  Send(EventActivated, EmulationGadget(EmulationApply));
  EXPECT_TRUE(MachineOptions & OptPalLines);  // ignored while breaking
  BreakState = false;
  RefreshOpenWindows();
  EXPECT_TRUE(FindGadget(EmulationGadget(EmulationApply))->enabled);
  Send(EventActivated, EmulationGadget(EmulationApply));
  EXPECT_EQ(FrameRate, 60);
  // A cartridge of the other system changes the word: the window follows.
  MachineOptions = (MachineOptions & ~OptSystemGroup) | OptMasterSystemGroup;
  RefreshOpenWindows();
  EXPECT_EQ(GetChecked(EmulationRadio(0, true)), 1);
  EXPECT_EQ(GetChecked(EmulationRadio(3, false)), 0);
  ToggleWindowById(WinSystemOptions);
  EXPECT_FALSE(WindowOpen(WinSystemOptions));
  DestroyConsoles();
}

TEST_F(OptionWindowsTest, AKeyAlreadyAssignedCanBeAssignedAgainAndResetRestoresTheDefaults) {
  ASSERT_TRUE(StartTestInput());
  ToggleWindowById(WinControlOptions);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerKeyText + BindRight)), KeyCodeName(DefaultKeyBindings[BindRight]));
  Send(EventActivated, ControllerGadget(BindRight));
  EXPECT_TRUE(WaitingForKey);
  EXPECT_EQ(ControllerWaitingSlot(), BindRight);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerStatus)), "Waiting for new key");
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerKeyText + BindRight)), "");
  RefreshOpenWindows();  // the pass of the click
  PollTestInput();
  RefreshOpenWindows();  // nothing went down
  EXPECT_TRUE(WaitingForKey);

  const int d = DefaultKeyBindings[BindLeft];  // player 1's Left
  PressKeyCode(d, true);
  RefreshOpenWindows();
  EXPECT_FALSE(WaitingForKey);
  EXPECT_EQ(ControllerWaitingSlot(), -1);
  EXPECT_EQ(Config.keys[BindRight], d);
  EXPECT_EQ(Config.keys[BindLeft], d);
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerKeyText + BindRight)), KeyCodeName(d));
  EXPECT_STREQ(GetGadgetText(ControllerGadget(ControllerStatus)), "");

  // A held key is not taken again by the next wait.
  Send(EventActivated, ControllerGadget(KeyBindingsPerPlayer + BindA));
  RefreshOpenWindows();
  PollTestInput();
  RefreshOpenWindows();
  EXPECT_TRUE(WaitingForKey);
  ToggleWindowById(WinControlOptions);  // closing ends the wait
  EXPECT_FALSE(WaitingForKey);

  ToggleWindowById(WinControlOptions);
  Send(EventActivated, ControllerGadget(ControllerReset));
  EXPECT_EQ(0, memcmp(Config.keys, DefaultKeyBindings, sizeof Config.keys));
  StopTestInput();
}

TEST_F(OptionWindowsTest, TheVolumeSliderAtItsEndsReadsZeroAndOneHundredPercent) {
  ToggleWindowById(WinSoundOptions);
  EXPECT_STREQ(GetGadgetText(SoundGadget(SoundVolumeText)), "100%");  // the default 75 is full volume
  int x, y;
  Centre(WinSoundOptions, 66, 27, &x, &y);
  Pass(x, y, true);
  Pass(x - 200, y, true);  // dragged past the left end
  Pass(x - 200, y, false);
  DispatchAll();
  EXPECT_STREQ(GetGadgetText(SoundGadget(SoundVolumeText)), "0%");
  EXPECT_EQ(sound_volume, 0);
  Pass(x, y, true);
  Pass(x + 200, y, true);
  Pass(x + 200, y, false);
  DispatchAll();
  EXPECT_STREQ(GetGadgetText(SoundGadget(SoundVolumeText)), "100%");
  EXPECT_EQ(sound_volume, 75);
  for (int v = 0; v <= 75; v++) EXPECT_EQ(SoundVolumeOfPercent(VolumePercent(v)), v);

  // "Enabled" stops and starts the output.
  ASSERT_EQ(AudioStart(), 0);
  SetChecked(SoundGadget(SoundEnabled), 0);
  Send(EventActivated, SoundGadget(SoundEnabled));
  EXPECT_FALSE(Config.sound_enabled);
  EXPECT_FALSE(AudioStarted());
  SetChecked(SoundGadget(SoundEnabled), 1);
  Send(EventActivated, SoundGadget(SoundEnabled));
  EXPECT_TRUE(AudioStarted());
}

TEST_F(OptionWindowsTest, ThePreviewShowsAtOnceCancelDropsItAndApplyKeepsItInTheConfiguration) {
  const uint32_t old = CurrentColours[ColMouseCursor];
  ToggleWindowById(WinGuiOptions);
  SelectRow(ThemeGadget(ThemeColourList), ColMouseCursor);
  Send(EventChanged, ThemeGadget(ThemeColourList));
  EXPECT_EQ(ThemeWindowEditedColour(), ColMouseCursor);
  const int parts[3] = {ThemeRed, ThemeGreen, ThemeBlue};
  const int values[3] = {255, 64, 64};
  for (int i = 0; i < 3; i++) {
    SetSlider(ThemeGadget(parts[i]), values[i], 255);
    Send(EventChanged, ThemeGadget(parts[i]));
  }
  EXPECT_EQ(WorkingColours[ColMouseCursor], 0xFF4040u);
  EXPECT_EQ(Gui.colours[ColMouseCursor], 0xFF4040u);  // the pointer changed at once
  EXPECT_STREQ(GetGadgetText(ThemeGadget(ThemeRedValue)), "255");
  Send(EventActivated, ThemeGadget(ThemeCancel));
  EXPECT_FALSE(WindowOpen(WinGuiOptions));
  EXPECT_EQ(Gui.colours[ColMouseCursor], old);
  EXPECT_EQ(WorkingColours[ColMouseCursor], old);
  EXPECT_EQ(CurrentColours[ColMouseCursor], old);

  ToggleWindowById(WinGuiOptions);
  SelectRow(ThemeGadget(ThemeColourList), ColMenu);
  Send(EventChanged, ThemeGadget(ThemeColourList));
  SetSlider(ThemeGadget(ThemeBlue), 0, 255);
  Send(EventChanged, ThemeGadget(ThemeBlue));
  Send(EventActivated, ThemeGadget(ThemeApply));
  EXPECT_EQ(CurrentColours[ColMenu], 0xFFFF00u);
  EXPECT_NE(ConfigText().find("color_menu                = $FFFF00\n"), std::string::npos);
  // Reset goes back to the configured colour, which Apply left alone.
  Send(EventActivated, ThemeGadget(ThemeReset));
  EXPECT_EQ(WorkingColours[ColMenu], Config.colours[ColMenu]);
  ToggleWindowById(WinGuiOptions);
  EXPECT_EQ(Gui.colours[ColMenu], 0xFFFF00u);
}

TEST_F(OptionWindowsTest, SavingNeedsAFileNameAndTheSavedThemeLoadsBack) {
  ToggleWindowById(WinGuiOptions);
  Send(EventActivated, ThemeGadget(ThemeSave));
  EXPECT_STREQ(StatusText, "Couldn't save theme as ''.");

  SetGadgetText(ThemeGadget(ThemeName), "Grey Day");
  SetGadgetText(ThemeGadget(ThemeFileName), "grey.theme");
  SetGadgetText(ThemeGadget(ThemeBgPicture2), "Themes/grey.png");
  WorkingColours[ColWindow] = 0x808080;
  Send(EventActivated, ThemeGadget(ThemeSave));
  EXPECT_STREQ(StatusText, "Successfully saved theme as 'grey.theme'.");
  ASSERT_EQ(Themes.size(), 1u);
  EXPECT_STREQ(FindGadget(ThemeGadget(ThemeList))->rows[0].text, "Grey Day");
  ToggleWindowById(WinGuiOptions);

  ToggleWindowById(WinGuiOptions);
  EXPECT_EQ(WorkingColours[ColWindow], CurrentColours[ColWindow]);
  SelectRow(ThemeGadget(ThemeList), 0);
  Send(EventChanged, ThemeGadget(ThemeList));
  Send(EventActivated, ThemeGadget(ThemeLoad));
  EXPECT_EQ(WorkingColours[ColWindow], 0x808080u);
  EXPECT_STREQ(GetGadgetText(ThemeGadget(ThemeName)), "Grey Day");
  EXPECT_STREQ(GetGadgetText(ThemeGadget(ThemeBgPicture2)), "Themes/grey.png");
  // A list row past the last theme is not selectable.
  SelectRow(ThemeGadget(ThemeList), 1);
  Send(EventChanged, ThemeGadget(ThemeList));
  Send(EventActivated, ThemeGadget(ThemeLoad));
  EXPECT_STREQ(GetGadgetText(ThemeGadget(ThemeName)), "Grey Day");
}

TEST_F(OptionWindowsTest, TheWheelOverTheThemeListScrollsIt) {
  for (int i = 0; i < 60; i++)
    dir_.Write("Themes/t" + std::to_string(100 + i) + ".theme", "name = \"T" + std::to_string(100 + i) + "\"\n");
  ScanThemes();
  ToggleWindowById(WinGuiOptions);
  const Gadget* list = FindGadget(ThemeGadget(ThemeList));
  const std::string first = list->rows[0].text;
  int x, y;
  Centre(WinGuiOptions, 300, 300, &x, &y);  // over the pictures: nothing moves
  Pass(x, y);
  EXPECT_TRUE(WheelOverWindow(WinGuiOptions, -2));
  EXPECT_EQ(list->rows[0].text, first);
  Centre(WinGuiOptions, 470, 200, &x, &y);
  Pass(x, y);
  WheelOverWindow(WinGuiOptions, -2);  // towards the user: down the list
  EXPECT_EQ(GetListFirst(ThemeGadget(ThemeList)), 10);
  EXPECT_EQ(list->rows[0].text, Themes[10].name);
  EXPECT_EQ(GetScrollFirst(ThemeGadget(ThemeListScroll)), 10);
  WheelOverWindow(WinGuiOptions, 5);
  EXPECT_EQ(GetListFirst(ThemeGadget(ThemeList)), 0);
}

TEST_F(OptionWindowsTest, VideoApplyStoresTheChoicesAndSetsTheNewWindowSize) {
  Config.windowed = true;
  ToggleWindowById(WinVideoOptions);
  SetChecked(VideoGadget(VideoFilterGui + 3), 1);
  SetChecked(VideoGadget(VideoStretching + 3), 1);
  SetChecked(VideoGadget(VideoBlurNoGui), 1);
  Send(EventActivated, VideoGadget(VideoApply));
  EXPECT_EQ(Config.gui_video_mode, FilterMEagle);
  EXPECT_EQ(Config.fullscreen_video_mode, FilterNormal);
  EXPECT_EQ(Config.stretching, 3);
  EXPECT_TRUE(Config.fullscreen_motion_blur);
  EXPECT_EQ(ScreenWidth(), 640);  // no mode change asked

  SetGadgetText(VideoGadget(VideoWidth), "800");
  SetGadgetText(VideoGadget(VideoHeight), "100");  // too small: raised
  Send(EventActivated, VideoGadget(VideoApply));
  EXPECT_EQ(ScreenWidth(), 800);
  EXPECT_EQ(ScreenHeight(), VideoWindowMinHeight);
  EXPECT_EQ(Config.win_resolution_x, 800);
  EXPECT_EQ(Config.win_resolution_y, VideoWindowMinHeight);
  EXPECT_STREQ(GetGadgetText(VideoGadget(VideoHeight)), "240");
  EXPECT_EQ(WindowSurface(WinVideoOptions)->format.bits, 16);
  EXPECT_TRUE(WindowOpen(WinVideoOptions));
}

}  // namespace
