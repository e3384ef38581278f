// tavo.cfg written and read back on real files: the exact default text, the
// reader's rules on hand-edited files, a round trip of every setting, and
// writes that fail without harming the file already there.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "config/config.h"
#include "config/config_file.h"
#include "config/recent_roms.h"
#include "machine/options.h"
#include "machine/psg.h"
#include "scratch_folder.h"

namespace {

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramDirectory(dir_.path());
    MachineOptions = OptInitial;
    ApplyConfigDefaults();
  }
  void TearDown() override {
    ResetProgramDirectory();
    ApplyConfigDefaults();
  }
  void ReadText(const std::string& text) {
    dir_.Write("tavo.cfg", text);
    ReadConfig();
  }
  ScratchFolder dir_{"config"};
};

// The whole default file, as users have it.
const char kDefaultText[] =
    ";-------------------------;\n"
    ";                         ;\n"
    "; Tavo configuration file ;\n"
    ";                         ;\n"
    ";-------------------------;\n"
    "\n"
    "; Video\n"
    "resolution_x           = 640\n"
    "resolution_y           = 480\n"
    "win_resolution_x       = 640\n"
    "win_resolution_y       = 480\n"
    "depth                  = 16\n"
    "windowed               = 0\n"
    "vsync                  = 0\n"
    "stretching             = 0\n"
    "fullscreen_video_mode  = normal\n"
    "fullscreen_motion_blur = 0\n"
    "gui_video_mode         = normal\n"
    "gui_motion_blur        = 0\n"
    "bg_picture             = \"\"\n"
    "bg_picture2            = \"\"\n"
    "win_picture            = \"\"\n"
    "\n"
    "; Sound\n"
    "sound_enabled        = 1\n"
    "sound_volume         = 75\n"
    "sound_reverse_stereo = 0\n"
    "\n"
    "; Colors\n"
    "color_background          = $80C0FF\n"
    "color_background2         = $6090C0\n"
    "color_background3         = $000000\n"
    "color_background4         = $000000\n"
    "color_window              = $C0D0E0\n"
    "color_window_bar          = $CCDCFF\n"
    "color_window_bar_inactive = $98A8DC\n"
    "color_menu                = $FFFFFF\n"
    "color_menu_selected       = $FFFF80\n"
    "color_gadget              = $B8B8D8\n"
    "color_gadget_selected     = $FFFF80\n"
    "color_gadget_rollover     = $B8D8F8\n"
    "color_list_gadget         = $FFFFFF\n"
    "color_input_gadget        = $FFFFFF\n"
    "color_mouse_cursor        = $C04040\n"
    "\n"
    "; Controller configuration\n"
    "key_1_left   = 32\n"
    "key_1_right  = 34\n"
    "key_1_up     = 19\n"
    "key_1_down   = 33\n"
    "key_1_a      = 29\n"
    "key_1_b      = 56\n"
    "key_1_l      = 16\n"
    "key_1_r      = 17\n"
    "key_1_start  = 57\n"
    "key_1_select = 42\n"
    "key_2_left   = 203\n"
    "key_2_right  = 205\n"
    "key_2_up     = 200\n"
    "key_2_down   = 208\n"
    "key_2_a      = 157\n"
    "key_2_b      = 184\n"
    "key_2_l      = 24\n"
    "key_2_r      = 25\n"
    "key_2_start  = 28\n"
    "key_2_select = 54\n"
    "key_rewind   = 44\n"
    "\n"
    "; Emulation\n"
    "sprite_flickering  = 1\n"
    "vram_access_wait   = 0\n"
    "link               = 0\n"
    "ntsc_pal           = ntsc\n"
    "country            = european\n"
    "codemasters_mapper = 0\n"
    "\n"
    "; Directories\n"
    "rom_directory = \"@DIR@\"\n"
    "vgm_directory = \"@DIR@\"\n"
    "\n"
    "; Windows\n"
    "\n"
    "\n"
    "; Debugger\n"
    "var_overwrite = 0\n"
    "\n"
    "; Misc\n"
    "filerequester_rom_close_after_load = 1\n"
    "filerequester_vgm_close_after_load = 1\n"
    "break_points_address_absolute      = 1\n"
    "labels_address_absolute            = 1\n"
    "\n"
    "; BIOS files\n"
    "bios0000 = \"\"\n";

std::string WithDirectory(std::string text, const std::string& dir) {
  for (size_t at; (at = text.find("@DIR@")) != std::string::npos;) text.replace(at, 5, dir);
  return text;
}

TEST_F(ConfigFileTest, MissingFileKeepsDefaultsAndAFullRunWritesTheDefaultText) {
  ASSERT_EQ(access(dir_.Path("tavo.cfg").c_str(), F_OK), -1);
  ReadConfig();
  EXPECT_TRUE(ConfigLoaded);
  EXPECT_EQ(Config.resolution_x, 640);
  EXPECT_EQ(Config.rom_directory, dir_.path());
  ASSERT_TRUE(WriteConfig());
  EXPECT_EQ(ReadWholeFile(dir_.Path("tavo.cfg")), WithDirectory(kDefaultText, dir_.path()));
  EXPECT_EQ(access(dir_.Path("tavo.cfg.tmp").c_str(), F_OK), -1);
}

TEST_F(ConfigFileTest, HandEditedFilesFollowTheReaderRules) {
  Config.gui_video_mode = FilterBilinear;
  ReadText(
      "RESOLUTION_X = 800\n"
      "Resolution_Y=600\n"
      "sound_volume = 200\n"
      "depth = 24\n"
      "color_menu = %111\n"
      "color_gadget = $ff\n"
      "color_window = 4210752\n"
      "color_window_bar = $1234567\n"
      "gui_video_mode = normal\n"
      "fullscreen_video_mode = DOUBLE\n"
      "country = Japanese\n"
      "ntsc_pal = PAL\n"
      "stretching = 4\n"
      "rom_directory = \"/games/my roms\n"
      "vgm_directory = \"/music/vgm files\"\n"
      "vgm_directory = /ignored/too many : tokens\n"
      "key_1_a = -1\n"
      "memory_viewer_x = -12\n"
      "game_opened = 1\n"
      "messages_opened = 7\n"
      "unknown_key = 5\n");
  EXPECT_EQ(Config.resolution_x, 800);
  EXPECT_EQ(Config.resolution_y, 600);
  EXPECT_EQ(sound_volume, 75);
  EXPECT_EQ(Config.depth, 24);
  EXPECT_EQ(Config.colours[7], 7u);
  EXPECT_EQ(Config.colours[9], 255u);
  EXPECT_EQ(Config.colours[4], 0x404040u);
  EXPECT_EQ(Config.colours[5], 0x234567u);  // six hex digits at most survive
  EXPECT_EQ(CurrentColours[7], 7u);
  EXPECT_EQ(Config.gui_video_mode, FilterBilinear);  // "normal" leaves the value
  EXPECT_EQ(Config.fullscreen_video_mode, FilterDouble);
  EXPECT_TRUE(MachineOptions & OptJapanese);
  EXPECT_FALSE(MachineOptions & OptNtscRate);
  EXPECT_TRUE(MachineOptions & OptPalLines);
  EXPECT_EQ(Config.stretching, 0);
  EXPECT_EQ(Config.rom_directory, dir_.path());  // unclosed quote: only that line dropped
  EXPECT_EQ(Config.vgm_directory, "/music/vgm files");
  EXPECT_EQ(Config.keys[4], 0xFFFF);
  EXPECT_EQ(Config.window_x[WinMemoryViewer], -12);
  EXPECT_EQ(Config.window_y[WinMemoryViewer], WindowPositionUnset);
  EXPECT_FALSE(Config.window_opened[WinGame]);
  EXPECT_TRUE(Config.window_opened[WinMessages]);

  // The odd depth stays as set but the display mode is a 16-bit one; a
  // window is always 16-bit.
  int width, height, bits;
  ConfiguredDisplayMode(&width, &height, &bits);
  EXPECT_EQ(bits, 16);
  ASSERT_TRUE(WriteConfig());
  const std::string text = ReadWholeFile(dir_.Path("tavo.cfg"));
  EXPECT_NE(text.find("\ndepth                  = 24\n"), std::string::npos);
  EXPECT_NE(text.find("\nntsc_pal           = pal\n"), std::string::npos);
  EXPECT_NE(text.find("\ncountry            = japanese\n"), std::string::npos);
  EXPECT_NE(text.find("\nfullscreen_video_mode  = double\n"), std::string::npos);
  // Only the position that was set, only the window left open.
  EXPECT_NE(text.find("\n; Windows\nmemory_viewer_x          = -12\n\nmessages_opened          = 1\n\n"),
            std::string::npos);
  EXPECT_EQ(text.find("memory_viewer_y"), std::string::npos);
  EXPECT_EQ(text.find("game_opened"), std::string::npos);

  // "ntsc" in any case gives one standard again, not both.
  ReadText("ntsc_pal = NTSC\n");
  EXPECT_TRUE(MachineOptions & OptNtscRate);
  EXPECT_FALSE(MachineOptions & OptPalLines);
}

TEST_F(ConfigFileTest, NumbersFarOutOfRangeAreTruncatedToTheirField) {
  EXPECT_EQ(ParseConfigNumber("  -42x"), -42);
  EXPECT_EQ(ParseConfigNumber("+7"), 7);
  EXPECT_EQ(ParseConfigNumber("x"), 0);
  EXPECT_EQ(ParseConfigNumber("4294967297"), 1);  // kept modulo 2^32
  EXPECT_EQ(ParseConfigColour("$gg"), 0u);
  EXPECT_EQ(ParseConfigColour("%1021"), 2u);
  ReadText(
      "resolution_x = 65537\n"
      "sound_volume = 300\n"
      "stretching = 258\n"
      "debugger_x = 99999999999999999999999999\n"
      "color_menu = $FFFFFFFFFFFFFFFFFFFFFF\n");
  EXPECT_EQ(Config.resolution_x, 1);
  EXPECT_EQ(sound_volume, 44);  // 300 in a byte, within range
  EXPECT_EQ(Config.stretching, 2);
  EXPECT_EQ(Config.colours[7], 0xFFFFFFu);
  ASSERT_TRUE(WriteConfig());  // whatever came in, the file stays well formed
  const std::string text = ReadWholeFile(dir_.Path("tavo.cfg"));
  EXPECT_NE(text.find("\ncolor_menu                = $FFFFFF\n"), std::string::npos);
}

TEST_F(ConfigFileTest, EverySettingSurvivesAWriteAndARead) {
  ConfigValues& c = Config;
  c.resolution_x = 1024, c.resolution_y = 768, c.win_resolution_x = 800, c.win_resolution_y = 600;
  c.depth = 32, c.windowed = true, c.vsync = true, c.stretching = 3;
  c.fullscreen_video_mode = FilterMEagle, c.fullscreen_motion_blur = true;
  c.gui_video_mode = FilterBilinear, c.gui_motion_blur = true;
  c.bg_picture = "Themes/a b.png", c.bg_picture2 = "x.png", c.win_picture = "/abs/w.png";
  c.sound_enabled = false;
  sound_volume = 33;
  sound_reverse_stereo = true;
  for (int i = 0; i < ColourCount; ++i) c.colours[i] = CurrentColours[i] = 0x010203u * (i + 1);
  for (int i = 0; i < KeyBindingCount; ++i) c.keys[i] = uint16_t(300 + i * 11);
  c.key_rewind = 259;
  MachineOptions = (MachineOptions & OptSystemGroup) | OptVramAccessWait | OptLink | OptPalLines |
                   OptJapanese | OptCodemastersMapper;
  c.rom_directory = "/roms dir", c.vgm_directory = "/vgm";
  for (int i = 0; i < WindowCount; ++i) {
    c.window_x[i] = i * 10 - 50;
    c.window_y[i] = i % 3 ? -i : WindowPositionUnset;
    c.window_opened[i] = i % 2;
  }
  c.var_overwrite = true, c.filerequester_rom_close_after_load = false;
  c.filerequester_vgm_close_after_load = false, c.break_points_address_absolute = false;
  c.labels_address_absolute = false, c.bios0000 = "bios/gba.bin";
  const ConfigValues written = c;
  const uint32_t options = MachineOptions;
  ASSERT_TRUE(WriteConfig());
  const std::string text = ReadWholeFile(dir_.Path("tavo.cfg"));

  ApplyConfigDefaults();
  ReadConfig();
  EXPECT_EQ(c.resolution_x, written.resolution_x);
  EXPECT_EQ(c.resolution_y, written.resolution_y);
  EXPECT_EQ(c.win_resolution_x, written.win_resolution_x);
  EXPECT_EQ(c.win_resolution_y, written.win_resolution_y);
  EXPECT_EQ(c.depth, 32);
  EXPECT_TRUE(c.windowed && c.vsync && c.fullscreen_motion_blur && c.gui_motion_blur);
  EXPECT_EQ(c.stretching, 3);
  EXPECT_EQ(c.fullscreen_video_mode, FilterMEagle);
  EXPECT_EQ(c.gui_video_mode, FilterBilinear);
  EXPECT_EQ(c.bg_picture, written.bg_picture);
  EXPECT_EQ(c.bg_picture2, written.bg_picture2);
  EXPECT_EQ(c.win_picture, written.win_picture);
  EXPECT_FALSE(c.sound_enabled);
  EXPECT_EQ(sound_volume, 33);
  EXPECT_TRUE(sound_reverse_stereo);
  EXPECT_EQ(0, std::memcmp(c.colours, written.colours, sizeof c.colours));
  EXPECT_EQ(0, std::memcmp(CurrentColours, written.colours, sizeof c.colours));
  EXPECT_EQ(0, std::memcmp(c.keys, written.keys, sizeof c.keys));
  EXPECT_EQ(c.key_rewind, 259);
  EXPECT_EQ(MachineOptions, options);
  EXPECT_EQ(c.rom_directory, written.rom_directory);
  EXPECT_EQ(c.vgm_directory, written.vgm_directory);
  EXPECT_EQ(0, std::memcmp(c.window_x, written.window_x, sizeof c.window_x));
  EXPECT_EQ(0, std::memcmp(c.window_y, written.window_y, sizeof c.window_y));
  EXPECT_FALSE(c.window_opened[0]);  // the desktop window has no opened flag
  for (int i = 1; i < WindowCount; ++i) EXPECT_EQ(c.window_opened[i], written.window_opened[i]) << i;
  EXPECT_TRUE(c.var_overwrite);
  EXPECT_FALSE(c.filerequester_rom_close_after_load || c.filerequester_vgm_close_after_load ||
               c.break_points_address_absolute || c.labels_address_absolute);
  EXPECT_EQ(c.bios0000, written.bios0000);
  EXPECT_EQ(ConfigText(), text);
}

TEST_F(ConfigFileTest, RecentCartridgesComeNewestFirstOnceEachAndAtMostEight) {
  std::string files[10];
  for (int i = 0; i < 10; ++i) files[i] = dir_.Write("game" + std::to_string(i) + ".sms", "x");
  for (int i = 0; i < 10; ++i) RememberRecentRom(files[i]);
  for (int i = 0; i < RecentRomCount; ++i) EXPECT_EQ(Config.recent_roms[i], files[9 - i]) << i;
  RememberRecentRom(files[5]);  // listed already: moves up, nothing falls off
  EXPECT_EQ(Config.recent_roms[0], files[5]);
  EXPECT_EQ(Config.recent_roms[1], files[9]);
  EXPECT_EQ(Config.recent_roms[7], files[2]);
  ASSERT_EQ(mkdir(dir_.Path("sub").c_str(), 0755), 0);
  RememberRecentRom(dir_.path() + "/./sub/../game2.sms");  // the same file by another name
  EXPECT_EQ(Config.recent_roms[0], files[2]);
  EXPECT_EQ(Config.recent_roms[7], files[3]);
  // Paths the file could not hold are not kept.
  const std::string quoted = dir_.Write("say \"hi\".sms", "x");
  RememberRecentRom(quoted);
  RememberRecentRom("/" + std::string(RecentRomPathMax, 'p') + ".sms");
  EXPECT_EQ(Config.recent_roms[0], files[2]);
  // A missing file goes when the list is shown.
  std::remove(files[9].c_str());
  DropMissingRecentRoms();
  EXPECT_EQ(Config.recent_roms[2], files[8]);
  EXPECT_TRUE(Config.recent_roms[7].empty());
}

TEST_F(ConfigFileTest, RecentCartridgesAreWrittenLastAndReadBack) {
  // Without any the file is as it always was, and an older file reads.
  ReadText("resolution_x = 800\n");
  for (const std::string& path : Config.recent_roms) EXPECT_TRUE(path.empty());
  EXPECT_EQ(ConfigText().find("recent"), std::string::npos);
  const std::string a = dir_.Write("a b.sms", "x"), b = dir_.Write("b;c.gg", "x");
  RememberRecentRom(b);
  RememberRecentRom(a);
  ASSERT_TRUE(WriteConfig());
  const std::string text = ReadWholeFile(dir_.Path("tavo.cfg"));
  const std::string tail = "\nbios0000 = \"\"\n\n; Recent cartridges\nrecent_rom_0 = \"" + a +
                           "\"\nrecent_rom_1 = \"" + b + "\"\n";
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  ApplyConfigDefaults();
  ReadConfig();
  EXPECT_EQ(Config.recent_roms[0], a);
  EXPECT_EQ(Config.recent_roms[1], b);
  EXPECT_TRUE(Config.recent_roms[2].empty());
  // A hand-edited list closes up: gaps, repeats, relative paths and
  // numbers past the last go.
  ApplyConfigDefaults();
  ReadText("recent_rom_7 = \"/x/last.sms\"\nrecent_rom_2 = \"/x/first.sms\"\nrecent_rom_3 = \"/x/first.sms\"\n"
           "recent_rom_4 = \"relative.sms\"\nrecent_rom_8 = \"/x/ninth.sms\"\n");
  EXPECT_EQ(Config.recent_roms[0], "/x/first.sms");
  EXPECT_EQ(Config.recent_roms[1], "/x/last.sms");
  EXPECT_TRUE(Config.recent_roms[2].empty());
}

TEST_F(ConfigFileTest, TheRomRequesterStartsWhereTheUserWasElseAtHome) {
  const char* saved = getenv("HOME");
  const std::string saved_home = saved ? saved : "";
  ScratchFolder home("home"), roms("roms");
  setenv("HOME", home.path().c_str(), 1);
  // A first run, and every older file: rom_directory is the program directory.
  EXPECT_EQ(Config.rom_directory, dir_.path());
  EXPECT_EQ(RomRequesterFolder(), home.path());
  Config.rom_directory = roms.path();
  EXPECT_EQ(RomRequesterFolder(), roms.path());
  Config.rom_directory = roms.Path("gone");
  EXPECT_EQ(RomRequesterFolder(), home.path());
  // A cartridge from the command line: its folder.
  RememberRecentRom(roms.Write("cli.sms", "x"));
  EXPECT_EQ(RomRequesterFolder(), roms.path());
  // Loaded from the program directory itself: that folder was chosen.
  Config.rom_directory = dir_.path();
  RememberRecentRom(dir_.Write("here.sms", "x"));
  EXPECT_EQ(RomRequesterFolder(), dir_.path());
  setenv("HOME", "relative/home", 1);
  for (std::string& path : Config.recent_roms) path.clear();
  EXPECT_EQ(RomRequesterFolder(), HomeFolder()) << "a useless HOME: the account's folder";
  EXPECT_EQ(HomeFolder()[0], '/');
  if (!saved_home.empty()) setenv("HOME", saved_home.c_str(), 1);
}

TEST_F(ConfigFileTest, AFailedWriteKeepsTheOldFile) {
  const std::string old_text = "resolution_x = 320\n";
  dir_.Write("tavo.cfg", old_text);
  Config.resolution_x = 1234;
  // The temporary file's name is taken by a folder: the write cannot start.
  ASSERT_EQ(mkdir(dir_.Path("tavo.cfg.tmp").c_str(), 0755), 0);
  EXPECT_FALSE(WriteConfig());
  EXPECT_EQ(ReadWholeFile(dir_.Path("tavo.cfg")), old_text);
  rmdir(dir_.Path("tavo.cfg.tmp").c_str());

  // The disk fills up part way: nothing is renamed, nothing is left over.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteConfig();
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadWholeFile(dir_.Path("tavo.cfg")), old_text);
  EXPECT_EQ(access(dir_.Path("tavo.cfg.tmp").c_str(), F_OK), -1);

  // A stale link under the temporary name is removed, never written through.
  const std::string victim = dir_.Write("victim", "keep");
  ASSERT_EQ(symlink(victim.c_str(), dir_.Path("tavo.cfg.tmp").c_str()), 0);
  EXPECT_TRUE(WriteConfig());
  EXPECT_EQ(ReadWholeFile(victim), "keep");
  EXPECT_NE(ReadWholeFile(dir_.Path("tavo.cfg")).find("resolution_x           = 1234\n"), std::string::npos);

  // A program directory that is gone: nothing is written, nothing is made.
  SetProgramDirectory(dir_.Path("gone"));
  EXPECT_FALSE(WriteConfig());
  EXPECT_EQ(access(dir_.Path("gone").c_str(), F_OK), -1);

  // Not root: a read-only folder refuses the temporary file.
  SetProgramDirectory(dir_.path());
  dir_.Write("tavo.cfg", old_text);
  if (geteuid() != 0) {
    chmod(dir_.path().c_str(), 0555);
    EXPECT_FALSE(WriteConfig());
    chmod(dir_.path().c_str(), 0755);
    EXPECT_EQ(ReadWholeFile(dir_.Path("tavo.cfg")), old_text);
  }
}

}  // namespace
