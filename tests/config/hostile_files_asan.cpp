// Hostile configuration and theme files under AddressSanitizer and
// UndefinedBehaviorSanitizer: binary junk, NUL bytes, endless lines, runs
// of quotes, numbers far out of range, and a file of several megabytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "base/tokenizer.h"
#include "config/config.h"
#include "config/config_file.h"
#include "config/recent_roms.h"
#include "lumo/theme.h"
#include "machine/psg.h"
#include "scratch_folder.h"

namespace {

struct Junk {
  uint32_t state = 0x12345678;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// Texts that look partly like settings: real keys, odd values, every kind
// of damage between them.
std::string HostileText(uint32_t seed, size_t size) {
  static const char* pieces[] = {
      "sound_volume", "depth", "color_menu", "rom_directory", "messages_opened", "debugger_x",
      "ntsc_pal", "gui_video_mode", "name", "bg_picture", "color_window_bar_inactive", "=", "=",
      "recent_rom_0", "recent_rom_7", "\"/", "/",
      "\"", "\"\"", ";", ":", ",", "$", "%", "-", "99999999999999999999", "$FFFFFFFFFFFFFFFFF",
      "%10101010101010101010101010101010101", " ", "\t", "\r", "\n", "\n", ""};
  Junk junk{seed};
  std::string out;
  while (out.size() < size) {
    const uint32_t pick = junk.Next();
    if (pick % 7 == 0) {
      out += char(junk.Next());  // any byte, NUL included
    } else if (pick % 97 == 1) {
      out += std::string(300 + junk.Next() % 4000, "a\"x;= "[junk.Next() % 6]);
    } else {
      const char* piece = pieces[pick % (sizeof pieces / sizeof *pieces)];
      out += piece[0] ? std::string(piece) : std::string(1, '\0');
    }
  }
  return out;
}

// The text without its quoted values, which can be too long for one line.
std::string WithoutTexts(const std::string& text) {
  std::string out;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    if (line.find('"') == std::string::npos) out += line + "\n";
  }
  return out;
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramDirectory(dir_.path());
    ApplyConfigDefaults();
  }
  void TearDown() override {
    ResetThemes();
    ResetProgramDirectory();
  }
  ScratchFolder dir_{"hostile"};
};

TEST_F(HostileFiles, TokensStayWithinTheirLine) {
  for (uint32_t seed = 1; seed <= 20; seed++) {
    const std::string path = dir_.Write("junk.txt", HostileText(seed, 20000));
    ASSERT_TRUE(OpenTokenFile(path.c_str()));
    int lines = 0;
    for (int n; (n = NextLine()) != TokenEndOfFile; lines++) {
      ASSERT_GE(n, TokenUnclosedQuote);
      ASSERT_LE(n, TokenLineLength);
      size_t total = 0;
      for (int i = 0; i < n; i++) total += std::strlen(NextToken());
      ASSERT_LE(total, size_t(TokenLineLength));
      ASSERT_EQ(NextToken(), nullptr);
    }
    CloseTokenFile();
    EXPECT_GT(lines, 0);
  }
}

TEST_F(HostileFiles, ConfigurationReadsIntoRangeAndWritesAWellFormedFile) {
  for (uint32_t seed = 1; seed <= 20; seed++) {
    ApplyConfigDefaults();
    dir_.Write("tavo.cfg", HostileText(seed, 30000));
    ReadConfig();
    EXPECT_LE(Config.stretching, 3);
    EXPECT_LE(sound_volume, 75);
    EXPECT_FALSE(Config.rom_directory.empty());
    for (uint32_t c : Config.colours) EXPECT_LE(c, 0xFFFFFFu);
    // Recent cartridges: absolute, one line each, packed to the front.
    for (int i = 0; i < RecentRomCount; i++) {
      const std::string& path = Config.recent_roms[i];
      if (path.empty()) {
        if (i + 1 < RecentRomCount) {
          EXPECT_TRUE(Config.recent_roms[i + 1].empty());
        }
        continue;
      }
      EXPECT_EQ(path[0], '/');
      EXPECT_LE(path.size(), size_t(RecentRomPathMax));
      EXPECT_EQ(path.find_first_of("\"\r\n"), std::string::npos);
    }
    ASSERT_TRUE(WriteConfig());
    // The file written is read again without loss of any number.
    const std::string text = WithoutTexts(ConfigText());
    ReadConfig();
    EXPECT_EQ(WithoutTexts(ConfigText()), text);
  }
  // Several megabytes, one line after another.
  std::string big;
  while (big.size() < (4u << 20)) big += HostileText(uint32_t(big.size()) + 1, 65536);
  dir_.Write("tavo.cfg", big);
  ReadConfig();
  EXPECT_LE(sound_volume, 75);
}

TEST_F(HostileFiles, ThemesFromJunkAreReadOrSkipped) {
  mkdir(dir_.Path("Themes").c_str(), 0755);
  for (uint32_t seed = 1; seed <= 20; seed++)
    dir_.Write("Themes/junk" + std::to_string(seed) + ".theme", HostileText(seed * 7, 5000));
  // Too large to be a theme: skipped.
  dir_.Write("Themes/huge.theme", std::string(2u << 20, 'x'));
  ScanThemes();
  EXPECT_EQ(Themes.size(), 20u);
  for (const ThemeRecord& theme : Themes) {
    for (uint32_t c : theme.colours) EXPECT_LE(c, 0xFFFFFFu);
    ThemeRecord copy = theme;
    copy.file_name = "copy.theme";
    EXPECT_TRUE(SaveTheme(copy));
  }
}

}  // namespace
