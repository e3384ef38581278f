// PSG frames written to a WAV file and read back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine/psg_probe.h"
#include "record/wav_writer.h"
#include "scratch_folder.h"

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

TEST(PsgWav, FramesRoundTripThroughTheFile) {
  std::string path = ::testing::TempDir() + "psg_wav_test.wav";
  auto psg = NewPsg();
  Write(psg.get(), {0x8E, 0x0F, 0x90, 0xE4, 0xF2});
  Stereo s = RunPsgFrames(psg.get(), 5);
  std::vector<int16_t> interleaved;
  for (size_t i = 0; i < s.left.size(); i++) {
    interleaved.push_back(s.left[i]);
    interleaved.push_back(s.right[i]);
  }
  WavWriter wav;
  ASSERT_TRUE(WavOpen(&wav, path.c_str()));
  uint32_t half = uint32_t(interleaved.size()) / 4 * 4;  // two writes, whole frames
  ASSERT_TRUE(WavWrite(&wav, interleaved.data(), half));
  ASSERT_TRUE(WavWrite(&wav, interleaved.data() + half / 2, uint32_t(interleaved.size() * 2 - half)));
  ASSERT_TRUE(WavClose(&wav));

  std::vector<uint8_t> file = ReadFile(path);
  uint32_t data = uint32_t(interleaved.size() * 2);
  ASSERT_EQ(file.size(), WavHeaderBytes + data);
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32(&file[4]), 36 + data);
  EXPECT_EQ(std::memcmp(&file[8], "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le16(&file[20]), 1);       // PCM
  EXPECT_EQ(Le16(&file[22]), 2);       // stereo
  EXPECT_EQ(Le32(&file[24]), 44100u);
  EXPECT_EQ(Le32(&file[28]), 44100u * 4);
  EXPECT_EQ(Le16(&file[32]), 4);
  EXPECT_EQ(Le16(&file[34]), 16);
  EXPECT_EQ(std::memcmp(&file[36], "data", 4), 0);
  EXPECT_EQ(Le32(&file[40]), data);
  for (size_t i = 0; i < interleaved.size(); i++)
    ASSERT_EQ(int16_t(Le16(&file[44 + 2 * i])), interleaved[i]) << i;
  std::remove(path.c_str());
}

TEST(PsgWav, FailuresAreReported) {
  WavWriter wav;
  EXPECT_FALSE(WavOpen(&wav, "/nonexistent-folder/x.wav"));
  int16_t zero[2] = {};
  EXPECT_FALSE(WavWrite(&wav, zero, 4));
  EXPECT_FALSE(WavClose(&wav));
  // An empty recording is still a valid file.
  std::string path = ::testing::TempDir() + "psg_wav_empty.wav";
  ASSERT_TRUE(WavOpen(&wav, path.c_str()));
  ASSERT_TRUE(WavClose(&wav));
  std::vector<uint8_t> file = ReadFile(path);
  ASSERT_EQ(file.size(), WavHeaderBytes);
  EXPECT_EQ(Le32(&file[40]), 0u);
  std::remove(path.c_str());
}

}  // namespace
