// tavo-headless --avi: the run recorded frame by frame with its sound, at
// the standard's frame rate and the console's picture size.
#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "record/avi_reader.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

class HeadlessAvi : public HeadlessFixture {};

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
