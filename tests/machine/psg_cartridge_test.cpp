// The psg_tones cartridge run on the whole machine: its Z80 program writes
// the PSG through the ports, the scheduler steps it per line, and each
// frame's samples are measured.
#include <gtest/gtest.h>

#include <vector>

#include "machine/machine.h"
#include "machine/options.h"
#include "machine/psg_probe.h"
#include "machine_harness.h"

namespace {

constexpr int FramesPerStep = 20;
constexpr int Steps = 8;

struct Recording {
  Stereo sound;
  std::vector<int> steps;  // the cartridge's step number after each frame
};

Recording Play(uint32_t options) {
  Recording r;
  MachineHarness harness;
  harness.StartRom("psg_tones", options);
  PsgResetSettings();
  for (int f = 0; f < FramesPerStep * Steps; f++) {
    RunFrame(&PrimaryMachine, false, true);
    EXPECT_TRUE(DrainRing(&PrimaryMachine.Psg, &r.sound));
    r.steps.push_back(harness.Ram(0xC000));
  }
  return r;
}

// The samples of one step, leaving out the frames around its changes.
std::vector<int16_t> StepSamples(const std::vector<int16_t>& all, int step, int samplesPerFrame) {
  size_t from = size_t(step * FramesPerStep + 2) * samplesPerFrame;
  size_t to = size_t(step * FramesPerStep + FramesPerStep - 2) * samplesPerFrame;
  if (to > all.size()) return {};
  return std::vector<int16_t>(all.begin() + long(from), all.begin() + long(to));
}

const uint32_t Sms = OptMasterSystemGroup | OptNtscRate | OptSpriteFlickering;
const uint32_t GameGear = OptGameGearGroup | OptNtscRate | OptSpriteFlickering;

TEST(PsgCartridge, TonesAndNoiseOnEachChannel) {
  if (ReadTestRom("psg_tones").empty()) GTEST_SKIP() << "psg_tones.sms is not assembled";
  for (bool ntsc : {true, false}) {
    uint32_t options = ntsc ? Sms : (Sms & ~OptNtscRate) | OptPalLines;
    Recording r = Play(options);
    int spf = ntsc ? 735 : 882;
    double clock = ntsc ? NtscClock : PalClock;
    ASSERT_EQ(r.sound.left.size(), size_t(spf) * FramesPerStep * Steps);
    EXPECT_EQ(r.steps[FramesPerStep * 3 + 10], 4);  // the script keeps pace

    const int loud = 7025 * 75 / 100;
    struct Tone { int step; int period; };
    for (Tone t : {Tone{0, 254}, Tone{1, 100}, Tone{2, 500}}) {
      std::vector<int16_t> s = StepSamples(r.sound.left, t.step, spf);
      double expected = clock / (32.0 * t.period);
      EXPECT_NEAR(MeasureFrequency(s), expected, expected * 0.003) << "step " << t.step;
      EXPECT_EQ(Peak(s), loud) << "step " << t.step;
    }
    // Periodic noise clocked by tone 2: one pulse per 16 shifts.
    std::vector<int16_t> noise = StepSamples(r.sound.left, 3, spf);
    EXPECT_NEAR(MeasureFrequency(noise), clock / (512.0 * 20), 2.0);
    EXPECT_EQ(Peak(noise), 8028 * 75 / 100);
    noise = StepSamples(r.sound.left, 4, spf);
    EXPECT_NEAR(MeasureFrequency(noise), clock / (512.0 * 13), 2.0);
    // White noise: busy, unipolar, and not one clean pulse train.
    noise = StepSamples(r.sound.left, 5, spf);
    int lows = 0;
    for (int16_t v : noise) {
      ASSERT_GE(v, 0);
      lows += v == 0;
    }
    EXPECT_GT(lows, int(noise.size()) / 4);
    EXPECT_LT(lows, int(noise.size()) * 3 / 4);
    // The Master System ignores the stereo port: both levels on both sides.
    std::vector<int16_t> left = StepSamples(r.sound.left, 6, spf);
    std::vector<int16_t> right = StepSamples(r.sound.right, 6, spf);
    EXPECT_EQ(left.front(), loud + 4903 * 75 / 100);
    EXPECT_EQ(right.back(), loud + 4903 * 75 / 100);
    EXPECT_EQ(Peak(StepSamples(r.sound.left, 7, spf)), 0);
    EXPECT_EQ(r.sound.left, r.sound.right);
  }
}

TEST(PsgCartridge, GameGearStereoPort) {
  if (ReadTestRom("psg_tones").empty()) GTEST_SKIP() << "psg_tones.sms is not assembled";
  Recording r = Play(GameGear);
  std::vector<int16_t> left = StepSamples(r.sound.left, 6, 735);
  std::vector<int16_t> right = StepSamples(r.sound.right, 6, 735);
  for (int16_t v : left) ASSERT_EQ(v, 7025 * 75 / 100);
  for (int16_t v : right) ASSERT_EQ(v, 4903 * 75 / 100);
  // Before the stereo write both sides carried every channel.
  EXPECT_EQ(StepSamples(r.sound.left, 0, 735), StepSamples(r.sound.right, 0, 735));
}

}  // namespace
