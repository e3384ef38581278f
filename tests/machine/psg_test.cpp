// The PSG driven directly through its ports and line steps, measured from
// the samples it renders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "machine/psg_probe.h"

namespace {

constexpr int16_t ToneBase[16] = {7025, 6850, 6500, 5987, 4903, 3912, 3182, 2545,
                                  2027, 1556, 1249, 966,  754,  589,  472,  0};
constexpr int16_t NoiseBase[16] = {8028, 7828, 7428, 6842, 5603, 4471, 3636, 2909,
                                   2316, 1778, 1427, 1104, 862,  673,  539,  0};

// Latch + data bytes that set tone `channel` to `period`.
void SetTone(PsgState* psg, int channel, int period) {
  Write(psg, {uint8_t(0x80 | channel << 5 | (period & 0x0F)), uint8_t((period >> 4) & 0x3F)});
}
void SetVolume(PsgState* psg, int channel, int attenuation) {
  Write(psg, {uint8_t(0x90 | channel << 5 | attenuation)});
}

TEST(PsgInit, ClockGivesStepLineRateAndFrameLength) {
  auto ntsc = NewPsg(true);
  EXPECT_EQ(ntsc->Step, 332896u);
  EXPECT_EQ(ntsc->LineIncrement, 183850u);
  EXPECT_EQ(ntsc->SamplesPerFrame, 735u);
  auto pal = NewPsg(false);
  EXPECT_EQ(pal->Step, 331413u);
  EXPECT_EQ(pal->LineIncrement, 184673u);
  EXPECT_EQ(pal->SamplesPerFrame, 882u);
  // A hostile VGM clock must not overflow the step.
  PsgInit(pal.get(), 0xFFFFFFFFu);
  EXPECT_GT(pal->Step, 0u);
  PsgInit(pal.get(), 0);
  EXPECT_GT(pal->Step, 0u);
  PsgReset(pal.get());
  SetTone(pal.get(), 0, 1);
  SetVolume(pal.get(), 0, 0);
  RunPsgFrames(pal.get(), 2, false);
  // A chip that was never given a clock renders without faulting.
  auto raw = std::make_unique<PsgState>();
  PsgReset(raw.get());
  SetTone(raw.get(), 0, 100);
  Write(raw.get(), {0x90, 0xE4, 0xF0});
  PsgRender(raw.get(), 735);
  EXPECT_EQ(raw->RingFill, 2940u);
}

TEST(PsgWrite, LatchAndDataBytes) {
  auto psg = NewPsg();
  Write(psg.get(), {0x80, 0x01});
  EXPECT_EQ(psg->Chip.Tone[0], 0x010);
  Write(psg.get(), {0x3F});
  EXPECT_EQ(psg->Chip.Tone[0], 0x3F0);
  Write(psg.get(), {0x85});
  EXPECT_EQ(psg->Chip.Tone[0], 0x3F5);
  // A data byte after a volume latch sets that volume.
  Write(psg.get(), {0xB3, 0x07});
  EXPECT_EQ(psg->Chip.Volume[1], 7);
  EXPECT_EQ(psg->Chip.Tone[1], 0);
  // Noise latch, then a data byte rewrites the noise register.
  Write(psg.get(), {0xE5});
  EXPECT_EQ(psg->Chip.NoiseWhite, 1);
  EXPECT_EQ(psg->Chip.NoisePeriod, 32);
  Write(psg.get(), {0x02});
  EXPECT_EQ(psg->Chip.NoiseWhite, 0);
  EXPECT_EQ(psg->Chip.NoiseRate, 2);
  EXPECT_EQ(psg->Chip.NoisePeriod, 64);
  // Rate 3 follows tone 2, also after later tone 2 writes.
  SetTone(psg.get(), 2, 0x123);
  Write(psg.get(), {0xE3});
  EXPECT_EQ(psg->Chip.NoisePeriod, 0x123);
  SetTone(psg.get(), 2, 0x045);
  EXPECT_EQ(psg->Chip.NoisePeriod, 0x045);
}

TEST(PsgSound, SilenceAfterFullAttenuation) {
  auto psg = NewPsg();
  for (int c = 0; c < 3; c++) SetTone(psg.get(), c, 100 + 37 * c);
  Write(psg.get(), {0x90, 0xB0, 0xD0, 0xF0, 0xE4});
  Stereo loud = RunPsgFrames(psg.get(), 1);
  EXPECT_GT(Peak(loud.left), 10000);
  Write(psg.get(), {0x9F, 0xBF, 0xDF, 0xFF});
  Stereo quiet = RunPsgFrames(psg.get(), 2);
  ASSERT_EQ(quiet.left.size(), 1470u);
  // The write lands at the start of the first frame's stream.
  for (size_t i = 2; i < quiet.left.size(); i++) {
    ASSERT_EQ(quiet.left[i], 0) << i;
    ASSERT_EQ(quiet.right[i], 0) << i;
  }
}

TEST(PsgSound, FrameLengths) {
  auto fresh = NewPsg(true);
  for (int i = 0; i < 262; i++) PsgLineTick(fresh.get(), true);
  PsgFrameEnd(fresh.get(), true);
  EXPECT_EQ(fresh->RingFill, 2940u);
  auto pal = NewPsg(false);
  for (int i = 0; i < 313; i++) PsgLineTick(pal.get(), true);
  PsgFrameEnd(pal.get(), true);
  EXPECT_EQ(pal->RingFill, 3528u);
  // Without sound nothing is rendered.
  auto mute = NewPsg(true);
  for (int i = 0; i < 262; i++) PsgLineTick(mute.get(), false);
  PsgFrameEnd(mute.get(), false);
  EXPECT_EQ(mute->RingFill, 0u);
}

TEST(PsgSound, ToneFrequencyOnEachChannel) {
  struct Case { bool ntsc; int channel; int period; };
  for (Case c : {Case{true, 0, 254}, Case{true, 1, 100}, Case{true, 2, 1000},
                 Case{false, 0, 57}, Case{false, 2, 400}}) {
    auto psg = NewPsg(c.ntsc);
    SetTone(psg.get(), c.channel, c.period);
    SetVolume(psg.get(), c.channel, 0);
    Stereo s = RunPsgFrames(psg.get(), c.ntsc ? 60 : 50, c.ntsc);
    double expected = (c.ntsc ? NtscClock : PalClock) / (32.0 * c.period);
    EXPECT_NEAR(MeasureFrequency(s.left), expected, expected * 0.002)
        << "channel " << c.channel << " period " << c.period;
    EXPECT_EQ(s.left, s.right);
  }
}

TEST(PsgSound, ChannelAmplitudesFollowTheTable) {
  for (int v = 0; v < 16; v++) {
    auto psg = NewPsg();
    SetTone(psg.get(), 1, 200);
    SetVolume(psg.get(), 1, v);
    Stereo s = RunPsgFrames(psg.get(), 2);
    EXPECT_EQ(Peak(s.left), ToneBase[v] * 75 / 100) << "tone attenuation " << v;
  }
  for (int v = 0; v < 16; v++) {
    auto psg = NewPsg();
    Write(psg.get(), {0xE4, uint8_t(0xF0 | v)});
    Stereo s = RunPsgFrames(psg.get(), 2);
    EXPECT_EQ(Peak(s.left), NoiseBase[v] * 75 / 100) << "noise attenuation " << v;
  }
  // Periods below 4 give a constant offset, not a tone.
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 3);
  SetVolume(psg.get(), 0, 2);
  Stereo s = RunPsgFrames(psg.get(), 1);
  for (size_t i = 1; i < s.left.size(); i++) ASSERT_EQ(s.left[i], 6500 * 75 / 100);
}

// Each edge sample carries the share-weighted average of the two levels.
TEST(PsgSound, EdgesAreSmoothed) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 200);
  SetVolume(psg.get(), 0, 0);
  Stereo s = RunPsgFrames(psg.get(), 2);
  const int a = 7025 * 75 / 100;
  int between = 0;
  for (size_t i = 1; i + 1 < s.left.size(); i++) {
    ASSERT_LE(std::abs(s.left[i]), a);
    if (std::abs(s.left[i]) != a) {
      between++;
      // Between the levels on either side of it.
      ASSERT_NE(s.left[i - 1], s.left[i + 1]) << i;
    }
  }
  // 1470 samples with an edge every 200 * 65536 / 332896 = 39.4 samples.
  EXPECT_GE(between, 33);
  EXPECT_LE(between, 38);
}

TEST(PsgSound, TonesMixAndStayInRange) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 123);
  SetTone(psg.get(), 1, 77);
  SetTone(psg.get(), 2, 301);
  Write(psg.get(), {0x90, 0xB0, 0xD0});
  Stereo s = RunPsgFrames(psg.get(), 10);
  int limit = 3 * 7025 * 75 / 100;
  long sum = 0;
  for (int16_t v : s.left) {
    ASSERT_LE(std::abs(v), limit);
    sum += v;
  }
  // Square waves around zero: the mean stays small.
  EXPECT_LT(std::abs(sum / long(s.left.size())), 200);
}

// The noise output bit once per shift, sampled mid-shift; noise clocked by
// tone 2 so that each shift lasts many samples.
std::vector<int> NoiseBits(bool white, int count) {
  auto psg = NewPsg();
  SetTone(psg.get(), 2, 0x3FF);
  Write(psg.get(), {0xDF, uint8_t(white ? 0xE7 : 0xE3), 0xF0});
  double samplesPerShift = 2.0 * 0x3FF * 65536.0 / psg->Step;
  int frames = int(std::ceil((count + 1) * samplesPerShift / 735)) + 1;
  Stereo s = RunPsgFrames(psg.get(), frames);
  std::vector<int> bits;
  // The register first shifts after 2 periods (counter starts at 0, flip-flop 0).
  for (int i = 0; i < count; i++) {
    size_t at = size_t((i + 0.5) * samplesPerShift + 0x3FF * 65536.0 / psg->Step);
    bits.push_back(s.left.at(at) > 0);
  }
  return bits;
}

TEST(PsgSound, PeriodicNoiseRepeatsEverySixteenShifts) {
  std::vector<int> bits = NoiseBits(false, 48);
  int ones = 0;
  for (int i = 0; i < 16; i++) ones += bits[i];
  EXPECT_EQ(ones, 1);
  for (int i = 0; i + 16 < 48; i++) EXPECT_EQ(bits[i], bits[i + 16]) << i;
}

TEST(PsgSound, WhiteNoiseDoesNotRepeatWithinSixteen) {
  std::vector<int> bits = NoiseBits(true, 48);
  bool differs = false;
  for (int i = 0; i + 16 < 48; i++) differs |= bits[i] != bits[i + 16];
  EXPECT_TRUE(differs);
  int ones = 0;
  for (int b : bits) ones += b;
  EXPECT_GT(ones, 3);
}

TEST(PsgSound, RateThreeFollowsToneTwo) {
  auto psg = NewPsg();
  SetTone(psg.get(), 2, 20);
  Write(psg.get(), {0xDF, 0xE3, 0xF0});
  Stereo a = RunPsgFrames(psg.get(), 60);
  // Periodic noise: one pulse every 16 shifts of 2 tone periods each.
  EXPECT_NEAR(MeasureFrequency(a.left), NtscClock / (512.0 * 20), 1.0);
  SetTone(psg.get(), 2, 13);
  Stereo b = RunPsgFrames(psg.get(), 60);
  EXPECT_NEAR(MeasureFrequency(b.left), NtscClock / (512.0 * 13), 1.0);
}

TEST(PsgSound, StereoBitsRouteChannels) {
  auto psg = NewPsg();
  // Constant offsets make the routing easy to read.
  SetTone(psg.get(), 0, 0);
  SetTone(psg.get(), 1, 0);
  SetTone(psg.get(), 2, 0);
  Write(psg.get(), {0x90, 0xB4, 0xDA});
  const int a0 = 7025 * 75 / 100, a1 = 4903 * 75 / 100, a2 = 1249 * 75 / 100;
  PsgWriteStereo(psg.get(), 0x10 | 0x02 | 0x44);  // 0 left, 1 right, 2 both
  Stereo s = RunPsgFrames(psg.get(), 1);
  EXPECT_EQ(s.left.back(), a0 + a2);
  EXPECT_EQ(s.right.back(), a1 + a2);
  sound_reverse_stereo = true;
  s = RunPsgFrames(psg.get(), 1);
  EXPECT_EQ(s.left.back(), a1 + a2);
  EXPECT_EQ(s.right.back(), a0 + a2);
  // A channel on neither side stays off either way.
  PsgWriteStereo(psg.get(), 0x44);
  s = RunPsgFrames(psg.get(), 1);
  EXPECT_EQ(s.left.back(), a2);
  EXPECT_EQ(s.right.back(), a2);
  PsgResetSettings();
}

TEST(PsgSound, WriteTakesEffectAtItsLine) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 0);
  Stereo s;
  for (int line = 0; line < 262; line++) {
    if (line == 131) SetVolume(psg.get(), 0, 0);
    PsgLineTick(psg.get(), true);
  }
  PsgFrameEnd(psg.get(), true);
  std::vector<int16_t> buffer(735 * 2);
  ASSERT_TRUE(PsgReadSamples(psg.get(), buffer.data(), 2940));
  int first = -1;
  for (int i = 0; i < 735; i++)
    if (buffer[2 * i] != 0) {
      first = i;
      break;
    }
  // 131 lines of 183850 / 65536 samples each.
  EXPECT_EQ(first, int(131 * 183850 / 65536));
}

TEST(PsgSound, HeldStateWithoutWrites) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 300);
  SetVolume(psg.get(), 0, 0);
  RunPsgFrames(psg.get(), 1);
  uint32_t before = psg->LogCount;
  for (int i = 0; i < 262; i++) PsgLineTick(psg.get(), true);
  EXPECT_EQ(psg->LogCount, before);  // no writes: nothing logged per line
  PsgFrameEnd(psg.get(), true);
  EXPECT_EQ(psg->RingFill, 2940u);
  EXPECT_EQ(psg->LogCount, 0u);
  std::vector<int16_t> frame(1470);
  ASSERT_TRUE(PsgReadSamples(psg.get(), frame.data(), 2940));
  EXPECT_EQ(Peak(frame), 7025 * 75 / 100);
}

// The same tone rendered with the volume dipped to 0 for one frame resumes
// exactly where the undisturbed one is.
TEST(PsgSound, ZeroVolumeKeepsThePhase) {
  auto ref = NewPsg();
  SetTone(ref.get(), 0, 211);
  SetVolume(ref.get(), 0, 0);
  Write(ref.get(), {0xE4, 0xF3});
  auto dip = NewPsg();
  SetTone(dip.get(), 0, 211);
  SetVolume(dip.get(), 0, 0);
  Write(dip.get(), {0xE4, 0xF3});
  Stereo a, b;
  RunPsgFrame(ref.get(), &a);
  RunPsgFrame(dip.get(), &b);
  RunPsgFrame(ref.get(), &a);
  sound_volume = 0;
  RunPsgFrame(dip.get(), &b);
  for (size_t i = 735; i < b.left.size(); i++) ASSERT_EQ(b.left[i], 0);
  sound_volume = 75;
  RunPsgFrame(ref.get(), &a);
  RunPsgFrame(dip.get(), &b);
  ASSERT_EQ(a.left.size(), b.left.size());
  for (size_t i = 2 * 735; i < a.left.size(); i++) ASSERT_EQ(a.left[i], b.left[i]) << i;
  // Scaling truncates toward zero.
  sound_volume = 33;
  RunPsgFrame(ref.get(), &a);
  EXPECT_EQ(ref->ToneTable[0], 7025 * 33 / 100);
  EXPECT_EQ(ref->NoiseTable[3], 6842 * 33 / 100);
  PsgResetSettings();
}

// Renders one frame of constant level `volume` on channel 0.
void ConstantFrame(PsgState* psg, int attenuation) {
  SetTone(psg, 0, 0);
  SetVolume(psg, 0, attenuation);
  for (int i = 0; i < 262; i++) PsgLineTick(psg, true);
  PsgFrameEnd(psg, true);
}

TEST(PsgRing, FullRingLosesTheNewestFrame) {
  auto psg = NewPsg();
  ConstantFrame(psg.get(), 0);
  ConstantFrame(psg.get(), 4);
  EXPECT_EQ(psg->RingFill, 5880u);
  ConstantFrame(psg.get(), 8);  // no room: replaces the frame of attenuation 4
  EXPECT_EQ(psg->RingFill, 5880u);
  std::vector<int16_t> frame(1470);
  ASSERT_TRUE(PsgReadSamples(psg.get(), frame.data(), 2940));
  EXPECT_EQ(frame[1000], 7025 * 75 / 100);
  ASSERT_TRUE(PsgReadSamples(psg.get(), frame.data(), 2940));
  EXPECT_EQ(frame[1000], 2027 * 75 / 100);
  EXPECT_EQ(psg->RingFill, 0u);
  // Reading across the wrap of the ring keeps the order.
  for (int f = 0; f < 7; f++) {
    ConstantFrame(psg.get(), f);
    ASSERT_TRUE(PsgReadSamples(psg.get(), frame.data(), 2940));
    EXPECT_EQ(frame[0], ToneBase[f] * 75 / 100);
    EXPECT_EQ(frame[1469], ToneBase[f] * 75 / 100);
  }
}

TEST(PsgRing, ReadRefusesMoreThanItHolds) {
  auto psg = NewPsg();
  ConstantFrame(psg.get(), 0);
  std::vector<uint8_t> dest(4096, 0xAA);
  EXPECT_FALSE(PsgReadSamples(psg.get(), dest.data(), 2944));
  EXPECT_EQ(psg->RingFill, 2940u);
  EXPECT_EQ(dest[0], 0xAA);
  EXPECT_TRUE(PsgReadSamples(psg.get(), dest.data(), 1000));
  EXPECT_TRUE(PsgReadSamples(psg.get(), dest.data(), 1940));
  EXPECT_FALSE(PsgReadSamples(psg.get(), dest.data(), 4));
  EXPECT_FALSE(PsgReadSamples(psg.get(), dest.data(), 100000));
}

TEST(PsgLog, StaysBoundedWhenNotRendered) {
  auto psg = NewPsg();
  // Line steps with writes but no frame end: logging pauses at the limit.
  for (int i = 0; i < 5000; i++) {
    SetTone(psg.get(), i % 3, i & 0x3FF);
    PsgWriteStereo(psg.get(), uint8_t(i));
    Write(psg.get(), {uint8_t(0xE0 | (i & 7))});
    PsgLineTick(psg.get(), true);
    ASSERT_LT(psg->LogCount, PsgLogLimit + 32);
  }
  // Frame ends without sound (the link partner's) never run the log over.
  for (int i = 0; i < 10000; i++) {
    PsgFrameEnd(psg.get(), false);
    ASSERT_LE(psg->LogCount, PsgLogBytes);
  }
  // The log still replays as whole commands and drains.
  for (int i = 0; i < 2000 && psg->LogCount > 0; i++) {
    PsgRender(psg.get(), 735);
    std::vector<int16_t> sink(1470);
    PsgReadSamples(psg.get(), sink.data(), 2940);
  }
  EXPECT_EQ(psg->LogCount, 0u);
  for (uint16_t t : psg->Synth.Tone) EXPECT_LT(t, 0x400);
}

TEST(PsgLog, NoiseChangeWithoutSoundReachesTheSynthesiser) {
  auto psg = NewPsg();
  Write(psg.get(), {0xE7, 0xF0});
  for (int i = 0; i < 262; i++) PsgLineTick(psg.get(), false);
  PsgFrameEnd(psg.get(), false);
  RunPsgFrames(psg.get(), 1);
  EXPECT_EQ(psg->Synth.NoiseWhite, 1);
  EXPECT_EQ(psg->Synth.NoiseRate, 3);
  EXPECT_EQ(psg->Synth.Volume[3], 0);
}

TEST(PsgLog, ChangesMadeDuringALongSilenceAreHeardWhenSoundReturns) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 254);
  SetVolume(psg.get(), 0, 0);
  EXPECT_GT(Peak(RunPsgFrames(psg.get(), 2).left), 0);
  // Sound off for longer than the log could hold frame-end waits, and the
  // game silences the note meanwhile.
  for (int frame = 0; frame < 8000; frame++) {
    if (frame == 100) SetVolume(psg.get(), 0, 15);
    for (int line = 0; line < 262; line++) PsgLineTick(psg.get(), false);
    PsgFrameEnd(psg.get(), false);
  }
  RunPsgFrames(psg.get(), 1);
  EXPECT_EQ(psg->Synth.Volume[0], 15);
  EXPECT_EQ(Peak(RunPsgFrames(psg.get(), 2).left), 0);
}

TEST(PsgState, BlockRoundTrips) {
  auto psg = NewPsg();
  SetTone(psg.get(), 0, 0x155);
  SetTone(psg.get(), 1, 0x2AA);
  SetTone(psg.get(), 2, 0x3C3);
  Write(psg.get(), {0x93, 0xB5, 0xD7, 0xF9, 0xE6});
  PsgWriteStereo(psg.get(), 0x5A);
  Write(psg.get(), {0xC0});  // leave tone 2 latched
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(PsgSaveState(psg.get(), file));
  EXPECT_EQ(std::ftell(file), long(PsgSaveStateSize));

  auto copy = NewPsg();
  std::rewind(file);
  ASSERT_TRUE(PsgLoadState(copy.get(), file));
  EXPECT_EQ(std::memcmp(&copy->Chip, &psg->Chip, sizeof(PsgRegisters)), 0);
  EXPECT_EQ(copy->Latched, psg->Latched);
  // The restored registers sound from the next frame.
  RunPsgFrames(copy.get(), 1);
  EXPECT_EQ(std::memcmp(&copy->Synth, &psg->Chip, sizeof(PsgRegisters)), 0);

  // Saving the copy gives the same bytes.
  FILE* again = std::tmpfile();
  ASSERT_TRUE(PsgSaveState(copy.get(), again));
  std::rewind(file);
  std::rewind(again);
  uint8_t x[PsgSaveStateSize], y[PsgSaveStateSize];
  ASSERT_EQ(std::fread(x, 1, sizeof x, file), sizeof x);
  ASSERT_EQ(std::fread(y, 1, sizeof y, again), sizeof y);
  EXPECT_EQ(std::memcmp(x, y, sizeof x), 0);
  std::fclose(again);

  // A short block is refused and changes nothing.
  std::rewind(file);
  FILE* shorter = std::tmpfile();
  std::fwrite(x, 1, 100, shorter);
  std::rewind(shorter);
  auto untouched = NewPsg();
  SetTone(untouched.get(), 1, 0x99);
  PsgRegisters before = untouched->Chip;
  EXPECT_FALSE(PsgLoadState(untouched.get(), shorter));
  EXPECT_EQ(std::memcmp(&before, &untouched->Chip, sizeof before), 0);
  std::fclose(shorter);
  std::fclose(file);
}

TEST(PsgState, HostileBlockIsMasked) {
  uint8_t block[PsgSaveStateSize];
  std::memset(block, 0xFF, sizeof block);
  FILE* file = std::tmpfile();
  std::fwrite(block, 1, sizeof block, file);
  std::rewind(file);
  auto psg = NewPsg();
  ASSERT_TRUE(PsgLoadState(psg.get(), file));
  std::fclose(file);
  EXPECT_LT(psg->Latched, 16);
  Write(psg.get(), {0x12});  // a data byte to the latched register
  RunPsgFrames(psg.get(), 2);
  for (uint8_t v : psg->Synth.Volume) EXPECT_LT(v, 16);
}

}  // namespace
