// tavo-headless --avi: the run recorded frame by frame with its sound, at
// the standard's frame rate and the console's picture size.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "machine/cartridge_files.h"
#include "record/avi_reader.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

class HeadlessAvi : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { RemoveFolder(folder_); }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  int Run(const std::string& args) {
    std::string command = std::string("'") + TAVO_HEADLESS + "' " + args + " >'" + Path("out.txt") + "' 2>'" +
                          Path("err.txt") + "'";
    int status = std::system(command.c_str());
    std::vector<uint8_t> out = ReadFile(Path("out.txt")), err = ReadFile(Path("err.txt"));
    out_.assign(out.begin(), out.end());
    err_.assign(err.begin(), err.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string folder_, out_, err_;
};

TEST_F(HeadlessAvi, PalRunKeepsEveryFrameAndTheSameSoundAsTheWav) {
  ASSERT_EQ(Run("--pal --frames 20 --wav " + Path("run.wav") + " --avi " + Path("run.avi") + " " + Demo), 0)
      << err_;
  AviContents avi;
  ASSERT_TRUE(ReadAvi(Path("run.avi"), &avi));
  EXPECT_EQ(avi.video_codec, AV_CODEC_ID_RAWVIDEO);
  EXPECT_EQ(avi.width, 256);
  EXPECT_EQ(avi.height, 192);
  EXPECT_DOUBLE_EQ(avi.frame_rate, 50);
  EXPECT_EQ(avi.video_packets, 20);
  EXPECT_EQ(avi.audio_samples, 20 * 882);
  EXPECT_EQ(ReadFile(Path("run.wav")).size(), 44u + 20 * 882 * 4);  // both got every sample
}

TEST_F(HeadlessAvi, GameGearPictureIsItsOwnWindow) {
  ASSERT_TRUE(WriteFile(Path("demo.gg"), ReadFile(Demo)));
  ASSERT_EQ(Run("--frames 4 --avi " + Path("gg.avi") + " " + Path("demo.gg")), 0) << err_;
  AviContents avi;
  ASSERT_TRUE(ReadAvi(Path("gg.avi"), &avi));
  EXPECT_EQ(avi.width, 160);
  EXPECT_EQ(avi.height, 144);
  EXPECT_DOUBLE_EQ(avi.frame_rate, 60);
}

TEST_F(HeadlessAvi, UnwritableFileFailsTheRun) {
  EXPECT_EQ(Run("--frames 4 --avi " + Path("none/x.avi") + " " + Demo), 1);
  EXPECT_EQ(err_, "Couldn't write '" + Path("none/x.avi") + "'.\n");
  EXPECT_NE(out_.find("avio_open(): No such file or directory"), std::string::npos) << out_;
  ASSERT_EQ(Run("--help"), 0);
  EXPECT_NE(out_.find("--avi FILE"), std::string::npos);
}

}  // namespace
