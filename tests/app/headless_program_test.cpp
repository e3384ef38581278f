// tavo-headless as a program: exit codes, outputs, the shared homebrew
// games and their zipped copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "headless_fixture.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/cartridge_files.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

class HeadlessProgram : public HeadlessFixture {};

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

int CountColours(const std::string& png) {
  Surface* picture = LoadPng(png.c_str(), nullptr, 0);
  if (!picture) return 0;
  std::set<uint32_t> colours;
  for (int y = 0; y < picture->height; ++y)
    for (int x = 0; x < picture->width; ++x) {
      const uint8_t* p = picture->pixels + y * picture->pitch + x * picture->format.bytes;
      colours.insert(p[0] | p[1] << 8 | p[2] << 16);
    }
  DestroySurface(picture);
  return static_cast<int>(colours.size());
}

TEST_F(HeadlessProgram, WritesPictureSoundAndBenchLine) {
  ASSERT_EQ(Run("--frames 120 --bench --screenshot " + Path("shot.png") + " --wav " + Path("run.wav") + " " +
                Demo),
            0)
      << err_;
  EXPECT_EQ(out_.rfind("frames=120 seconds=", 0), 0u) << out_;
  EXPECT_NE(out_.find(" fps="), std::string::npos);
  EXPECT_NE(out_.find(" realtime="), std::string::npos);
  EXPECT_GE(CountColours(Path("shot.png")), 6);
  Surface* shot = LoadPng(Path("shot.png").c_str(), nullptr, 0);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->width, 256);
  EXPECT_EQ(shot->height, 192);
  DestroySurface(shot);
  std::vector<uint8_t> wav = ReadFile(Path("run.wav"));
  ASSERT_EQ(wav.size(), 44u + 120 * 735 * 4);
  size_t loud = 0;
  for (size_t i = 44; i + 1 < wav.size(); i += 2) loud += (wav[i] | wav[i + 1] << 8) != 0;
  EXPECT_GT(loud, wav.size() / 8);  // the tune plays
}

TEST_F(HeadlessProgram, PalRunsGive882SamplesPerFrame) {
  ASSERT_EQ(Run("--pal --frames 10 --wav " + Path("pal.wav") + " " + Demo), 0) << err_;
  EXPECT_EQ(ReadFile(Path("pal.wav")).size(), 44u + 10 * 882 * 4);
}

TEST_F(HeadlessProgram, ControllerScriptMovesThePlayer) {
  ASSERT_TRUE(WriteFile(Path("moves.txt"), {'0', '-', '9', '9', ' ', 'r', 'i', 'g', 'h', 't', '\n'}));
  ASSERT_EQ(Run("--frames 100 --screenshot " + Path("still.png") + " " + Demo), 0) << err_;
  ASSERT_EQ(Run("--frames 100 --input " + Path("moves.txt") + " --screenshot " + Path("moved.png") + " " + Demo), 0)
      << err_;
  EXPECT_NE(ReadFile(Path("still.png")), ReadFile(Path("moved.png")));
  ASSERT_TRUE(WriteFile(Path("bad.txt"), {'1', ' ', 'f', 'l', 'y', '\n'}));
  EXPECT_EQ(Run("--input " + Path("bad.txt") + " " + Demo), 2);
  EXPECT_NE(err_.find("line 1"), std::string::npos) << err_;
}

TEST_F(HeadlessProgram, FailuresExitWithTheirCodes) {
  EXPECT_EQ(Run(Path("missing.sms")), 1);
  EXPECT_EQ(err_, "Couldn't load ROM '" + Path("missing.sms") + "'.\n");
  ASSERT_TRUE(WriteFile(Path("tiny.sms"), {1, 2, 3}));
  EXPECT_EQ(Run(Path("tiny.sms")), 1);
  EXPECT_EQ(Run("--frames"), 2);
  EXPECT_NE(err_.find("Usage: tavo-headless"), std::string::npos);
  EXPECT_EQ(Run("--speed 3 " + Demo), 2);
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(out_.find("--screenshot FILE"), std::string::npos);
  EXPECT_EQ(Run("--frames 5 --screenshot /nonexistent/dir/x.png " + Demo), 1);
}

TEST_F(HeadlessProgram, LogsTheRunAsVgm) {
  ASSERT_EQ(Run("--frames 120 --vgm " + Path("run.vgm") + " " + Demo), 0) << err_;
  std::vector<uint8_t> vgm = ReadFile(Path("run.vgm"));
  ASSERT_GE(vgm.size(), 64u);
  EXPECT_EQ(std::string(vgm.begin(), vgm.begin() + 4), "Vgm ");
  auto le32 = [&](size_t at) { return uint32_t(vgm[at] | vgm[at + 1] << 8 | vgm[at + 2] << 16 | vgm[at + 3] << 24); };
  EXPECT_EQ(le32(0x04), vgm.size() - 4);
  EXPECT_EQ(le32(0x18), 120u * 735);  // total samples
  EXPECT_EQ(Run("--frames 5 --vgm /nonexistent/dir/x.vgm " + Demo), 1);
  EXPECT_EQ(err_, "Couldn't write '/nonexistent/dir/x.vgm'.\n");
}

TEST_F(HeadlessProgram, HomeFolderGetsTheWorkingFolders) {
  ASSERT_EQ(Run("--frames 5 --home " + Path("home") + " " + Demo), 0) << err_;
  EXPECT_TRUE(std::filesystem::is_directory(Path("home/SRAM")));
  ASSERT_EQ(Run("--frames 5 " + Demo), 0);
}

TEST_F(HeadlessProgram, SharedGamesRunAndTheirZipsGiveTheSameFrame) {
  std::filesystem::path roms = TAVO_SHARED_DIR "/roms";
  if (!std::filesystem::is_directory(roms)) GTEST_SKIP() << "no shared games at " << roms;
  int games = 0;
  for (const auto& entry : std::filesystem::directory_iterator(roms)) {
    if (entry.path().extension() != ".sms") continue;
    std::string rom = entry.path().string(), name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ++games;
    std::string shot = Path(name + ".png"), zipped_shot = Path(name + ".zip.png");
    ASSERT_EQ(Run("--frames 600 --screenshot " + shot + " " + rom), 0) << err_;
    EXPECT_GT(CountColours(shot), 1) << "the last picture is a single colour";

    std::string zip = Path(name + ".zip");
    ASSERT_TRUE(WriteZip(zip, {{"notes.txt", {'h', 'i'}}, {entry.path().filename().string(), ReadFile(rom)}}));
    ASSERT_EQ(Run("--frames 600 --screenshot " + zipped_shot + " " + zip), 0) << err_;
    EXPECT_EQ(ReadFile(shot), ReadFile(zipped_shot)) << "the zipped copy ends on another picture";
  }
  EXPECT_GT(games, 0);
}

}  // namespace
