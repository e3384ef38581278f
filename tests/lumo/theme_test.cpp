// Theme files, the theme list, the theme pictures on the real display code
// (SDL's dummy driver), the first-start copy of the shipped themes, and the
// shipped themes themselves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "lumo/theme.h"
#include "scratch_folder.h"

namespace {

class ThemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramDirectory(dir_.path());
    ApplyConfigDefaults();
    // Configured colours that differ from the built-in ones, so that a
    // colour taken from them is told apart from a default.
    for (int i = 0; i < ColourCount; ++i) Config.colours[i] = 0x100000u + i;
    mkdir(dir_.Path("Themes").c_str(), 0755);
    ResetThemes();
    ResetMessages();
  }
  void TearDown() override {
    ResetThemes();
    CloseDisplay();
    ResetSurfaces();
    ResetProgramDirectory();
    ApplyConfigDefaults();
    ThemePicturesChanged = nullptr;
  }
  ScratchFolder dir_{"theme"};
};

const char kSavedTheme[] =
    "; Tavo theme\n"
    "\n"
    "name   = \"Sea Breeze\"\n"
    "author = \"A. Person\"\n"
    "\n"
    "; Colors\n"
    "color_background          = $000000\n"
    "color_background2         = $010101\n"
    "color_background3         = $020202\n"
    "color_background4         = $030303\n"
    "color_window              = $040404\n"
    "color_window_bar          = $050505\n"
    "color_window_bar_inactive = $060606\n"
    "color_menu                = $070707\n"
    "color_menu_selected       = $080808\n"
    "color_gadget              = $090909\n"
    "color_gadget_selected     = $0A0A0A\n"
    "color_gadget_rollover     = $0B0B0B\n"
    "color_list_gadget         = $0C0C0C\n"
    "color_input_gadget        = $0D0D0D\n"
    "color_mouse_cursor        = $0E0E0E\n"
    "\n"
    "; Pictures\n"
    "bg_picture  = \"Themes/sea bg.png\"\n"
    "bg_picture2 = \"\"\n"
    "win_picture = \"Themes/w.png\"\n";

TEST_F(ThemeTest, AThemeSettingOneColourTakesTheConfiguredOnesForTheRest) {
  const std::string path = dir_.Write("Themes/menu.theme",
      "name = \"Only menu\"\n"
      "color_menu = $123456\n"
      "Color_Window = $FFFFFF\n"      // keys are case-sensitive here
      "color_gadget $654321\n"        // no "=": not a setting
      "author = \"unclosed\n");
  ThemeRecord theme;
  ASSERT_TRUE(ReadThemeFile(path.c_str(), &theme));
  EXPECT_EQ(theme.name, "Only menu");
  EXPECT_EQ(theme.author, "");
  EXPECT_EQ(theme.file_name, "menu.theme");
  for (int i = 0; i < ColourCount; ++i)
    EXPECT_EQ(theme.colours[i], i == ColMenu ? 0x123456u : Config.colours[i]) << ColourKeys[i];
  LoadThemeColours(theme);
  EXPECT_EQ(WorkingColours[ColMenu], 0x123456u);
  EXPECT_FALSE(ReadThemeFile(dir_.Path("Themes/none.theme").c_str(), &theme));
}

TEST_F(ThemeTest, SavedThemesHaveTheExactTextAndComeBackFromTheScan) {
  ThemeRecord theme;
  theme.name = "Sea Breeze", theme.author = "A. Person", theme.file_name = "sea.theme";
  theme.bg_picture = "Themes/sea bg.png", theme.win_picture = "Themes/w.png";
  for (int i = 0; i < ColourCount; ++i) theme.colours[i] = 0x010101u * i;
  ASSERT_TRUE(SaveTheme(theme));
  EXPECT_EQ(ReadWholeFile(dir_.Path("Themes/sea.theme")), kSavedTheme);
  theme.author = "B. Person";
  ASSERT_TRUE(SaveTheme(theme));  // saving again replaces the file

  // Only regular "*.theme" files count; a pipe so named never blocks.
  dir_.Write("Themes/notes.txt", "name = \"not a theme\"\n");
  mkdir(dir_.Path("Themes/folder.theme").c_str(), 0755);
  ASSERT_EQ(mkfifo(dir_.Path("Themes/pipe.theme").c_str(), 0600), 0);
  dir_.Write("Themes/other.THEME", "name = \"Other\"\n");
  ScanThemes();
  ASSERT_EQ(Themes.size(), 2u);
  const ThemeRecord& found = Themes[0].file_name == "sea.theme" ? Themes[0] : Themes[1];
  const ThemeRecord& other = &found == &Themes[0] ? Themes[1] : Themes[0];
  EXPECT_EQ(found.file_name, "sea.theme");
  EXPECT_EQ(found.name, theme.name);
  EXPECT_EQ(found.author, "B. Person");
  EXPECT_EQ(found.bg_picture, theme.bg_picture);
  EXPECT_EQ(found.bg_picture2, "");
  EXPECT_EQ(found.win_picture, theme.win_picture);
  EXPECT_EQ(0, std::memcmp(found.colours, theme.colours, sizeof theme.colours));
  EXPECT_EQ(other.name, "Other");
  EXPECT_EQ(access(dir_.Path("Themes/sea.theme.tmp").c_str(), F_OK), -1);

  // Names that are empty or would leave the Themes folder are refused.
  for (const char* name : {"", ".", "..", "../escape.theme", "sub/x.theme"}) {
    theme.file_name = name;
    EXPECT_FALSE(SaveTheme(theme)) << name;
  }
  EXPECT_EQ(access(dir_.Path("escape.theme").c_str(), F_OK), -1);
}

// A PNG of the given size in the Themes folder.
std::string WritePicture(ScratchFolder& dir, const char* name, int width, int height) {
  Surface* s = CreateSurface(width, height, 16, SurfaceClear);
  FillRect(0, 0, width / 2, height, s, 0xF800);
  const std::string path = dir.Path(std::string("Themes/") + name);
  EXPECT_TRUE(SavePng(path.c_str(), s));
  DestroySurface(s);
  return path;
}

int g_pictures_changed = 0;

TEST_F(ThemeTest, PicturesLoadScaledAndAHostileOneIsReportedWithoutHarmingTheOthers) {
  ASSERT_TRUE(SetDisplayMode(320, 240, 16, false));
  const int display_surfaces = LiveSurfaceCount();
  WritePicture(dir_, "desk.png", 64, 48);
  WritePicture(dir_, "win.png", 32, 16);
  dir_.Write("Themes/bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(5000, '\xff'));
  Config.bg_picture = "Themes/desk.png";
  Config.bg_picture2 = "Themes/bad.png";
  Config.win_picture = dir_.Path("Themes/win.png");  // an absolute path works too
  ThemePicturesChanged = [] { g_pictures_changed++; };
  g_pictures_changed = 0;
  LoadPictures();
  EXPECT_EQ(g_pictures_changed, 1);
  ASSERT_NE(ThemeBackground, nullptr);
  EXPECT_EQ(ThemeBackground->width, 320);
  EXPECT_EQ(ThemeBackground->height, 240);
  EXPECT_TRUE(SamePixelLayout(ThemeBackground->format, DisplayFormat()));
  EXPECT_EQ(ThemeBackgroundNoGui, nullptr);
  ASSERT_NE(ThemeWindowPicture, nullptr);
  EXPECT_EQ(ThemeWindowPicture->width, 32);
  EXPECT_STREQ(StatusText, "Couldn't load background picture (without GUI) 'Themes/bad.png'.");

  // Reloading replaces the pictures without keeping the old ones alive.
  Config.bg_picture = "Themes/missing.png";
  Config.bg_picture2.clear();
  LoadPictures();
  EXPECT_EQ(ThemeBackground, nullptr);
  EXPECT_STREQ(StatusText, "Couldn't load background picture (with GUI) 'Themes/missing.png'.");
  Config.win_picture = "Themes/bad.png";
  LoadPictures();
  EXPECT_STREQ(StatusText, "Couldn't load window background picture 'Themes/bad.png'.");
  // A pipe under a picture's name is refused at once, never opened.
  ASSERT_EQ(mkfifo(dir_.Path("Themes/pipe.png").c_str(), 0600), 0);
  Config.win_picture = "Themes/pipe.png";
  LoadPictures();
  EXPECT_STREQ(StatusText, "Couldn't load window background picture 'Themes/pipe.png'.");
  EXPECT_EQ(LiveSurfaceCount(), display_surfaces);
}

TEST_F(ThemeTest, ShippedThemesAreCopiedOnlyIntoAFolderWithoutThemes) {
  ScratchFolder shipped("shipped");
  shipped.Write("a.theme", "name = \"A\"\n");
  shipped.Write("a.png", "picture");
  mkdir(shipped.Path("sub").c_str(), 0755);
  dir_.Write("Themes/a.png", "mine");  // a user's file is never overwritten
  ASSERT_TRUE(InstallShippedThemes(shipped.path()));
  EXPECT_EQ(ReadWholeFile(dir_.Path("Themes/a.theme")), "name = \"A\"\n");
  EXPECT_EQ(ReadWholeFile(dir_.Path("Themes/a.png")), "mine");
  EXPECT_EQ(access(dir_.Path("Themes/sub").c_str(), F_OK), -1);

  shipped.Write("b.theme", "name = \"B\"\n");
  dir_.Write("Themes/a.theme", "name = \"Edited\"\n");
  ASSERT_TRUE(InstallShippedThemes(shipped.path()));  // themes there: nothing to do
  EXPECT_EQ(access(dir_.Path("Themes/b.theme").c_str(), F_OK), -1);
  EXPECT_EQ(ReadWholeFile(dir_.Path("Themes/a.theme")), "name = \"Edited\"\n");

  // A missing Themes folder is made; a missing source is a failure.
  ScratchFolder fresh("fresh");
  SetProgramDirectory(fresh.path());
  EXPECT_FALSE(InstallShippedThemes(fresh.Path("nowhere")));
  ASSERT_TRUE(InstallShippedThemes(shipped.path()));
  EXPECT_EQ(ReadWholeFile(fresh.Path("Themes/b.theme")), "name = \"B\"\n");
}

// Luminance as the GUI weighs it to choose black or white text.
double Luminance(uint32_t c) {
  return 0.299 * (c >> 16 & 255) + 0.587 * (c >> 8 & 255) + 0.114 * (c & 255);
}

TEST_F(ThemeTest, ShippedThemesAreCompleteAndReadable) {
  ScratchFolder program("program");
  SetProgramDirectory(program.path());
  ASSERT_TRUE(InstallShippedThemes(TAVO_THEME_DIR));
  ScanThemes();
  ASSERT_EQ(Themes.size(), 3u);
  for (const ThemeRecord& theme : Themes) {
    SCOPED_TRACE(theme.file_name);
    EXPECT_FALSE(theme.name.empty());
    // The shipped file is exactly what the program would save for it.
    EXPECT_EQ(ThemeText(theme), ReadWholeFile(program.Path("Themes/" + theme.file_name)));
    for (const std::string* picture : {&theme.bg_picture, &theme.bg_picture2, &theme.win_picture}) {
      if (picture->empty()) continue;
      EXPECT_EQ(picture->rfind("Themes/", 0), 0u) << *picture;
      Surface* s = LoadPng(program.Path(*picture).c_str(), nullptr, 0);
      EXPECT_NE(s, nullptr) << *picture;
      if (s) DestroySurface(s);
    }
    EXPECT_FALSE(theme.bg_picture.empty());
    EXPECT_FALSE(theme.bg_picture2.empty());
    // Colours behind text are clearly light or clearly dark.
    for (int i : {ColWindow, ColWindowBar, ColWindowBarInactive, ColMenu, ColMenuSelected, ColGadget,
                  ColGadgetSelected, ColGadgetRollover, ColListGadget, ColInputGadget}) {
      EXPECT_GE(std::fabs(Luminance(theme.colours[i]) - 127.5), 45.0) << ColourKeys[i];
    }
    for (uint32_t c : theme.colours) EXPECT_NE(c, 0xFF00FFu);  // the colour key
  }
}

}  // namespace
