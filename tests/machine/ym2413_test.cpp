// The YM2413 FM unit on its own: pitch from F-number, block and multiple,
// levels, envelopes, rhythm sounds, frame timing of writes, and the state
// block.
#include "machine/ym2413.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr double NativeRate = double(Ym2413Clock) / Ym2413ClocksPerSample;

std::unique_ptr<Ym2413> NewChip() {
  auto chip = std::make_unique<Ym2413>();
  Ym2413Reset(chip.get());
  return chip;
}

std::vector<int16_t> Render(Ym2413* chip, uint32_t count) {
  std::vector<int16_t> out(count);
  Ym2413Render(chip, out.data(), count);
  return out;
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
  int peak = 0;
  for (size_t i = from; i < s.size() && i < to; i++) peak = std::max(peak, std::abs(int(s[i])));
  return peak;
}

// A plain sine on the carrier: the modulator never attacks (AR 0), the
// carrier attacks at once and holds (sustained tone, SL 0).
void UserSine(Ym2413* chip, int mult, int rr = 8, bool rectified = false) {
  const uint8_t patch[8] = {0x21, uint8_t(0x20 | mult), 0x3F, uint8_t(rectified ? 0x10 : 0),
                            0x00, 0xF0, 0x00, uint8_t(rr)};
  for (int r = 0; r < 8; r++) Ym2413Write(chip, uint8_t(r), patch[r]);
}

void KeyOn(Ym2413* chip, int ch, int fnum, int block, int instrument = 0, int volume = 0,
           bool sustain = false) {
  Ym2413Write(chip, uint8_t(0x30 + ch), uint8_t(instrument << 4 | volume));
  Ym2413Write(chip, uint8_t(0x10 + ch), uint8_t(fnum & 0xFF));
  Ym2413Write(chip, uint8_t(0x20 + ch),
              uint8_t((sustain ? 0x20 : 0) | 0x10 | block << 1 | fnum >> 8));
}

void KeyOff(Ym2413* chip, int ch) {
  Ym2413Write(chip, uint8_t(0x20 + ch), uint8_t(chip->Regs[0x20 + ch] & ~0x10));
}

double Expected(int fnum, int block, double multiple) {
  return fnum * NativeRate * std::ldexp(1.0, block - 19) * multiple;
}

// Frequency of a sine from its rising zero crossings, interpolated.
double ZeroCrossingFrequency(const std::vector<int16_t>& s, size_t from, double rate) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < s.size(); i++) {
    if (s[i - 1] < 0 && s[i] >= 0) {
      double t = double(i - 1) + double(-s[i - 1]) / double(s[i] - s[i - 1]);
      if (first < 0) first = t;
      last = t;
      crossings++;
    }
  }
  if (crossings < 2) return 0;
  return rate * (crossings - 1) / (last - first);
}

double Correlation(const std::vector<int16_t>& s, size_t from, size_t length, size_t lag) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = from; i < from + length; i++) {
    ab += double(s[i]) * s[i + lag];
    aa += double(s[i]) * s[i];
    bb += double(s[i + lag]) * s[i + lag];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// Period of any waveform near `expected` samples, by the autocorrelation peak
// within +-30% (parabola through the best lag and its neighbours).
double AutocorrelationPeriod(const std::vector<int16_t>& s, size_t from, double expected) {
  size_t lo = size_t(expected * 0.7), hi = size_t(expected * 1.3);
  size_t length = s.size() - from - hi - 2;
  size_t best = lo;
  double bestValue = -2;
  for (size_t lag = lo; lag <= hi; lag++) {
    double r = Correlation(s, from, length, lag);
    if (r > bestValue) bestValue = r, best = lag;
  }
  double a = Correlation(s, from, length, best - 1), c = Correlation(s, from, length, best + 1);
  double shift = 0.5 * (a - c) / (a - 2 * bestValue + c);
  return double(best) + shift;
}

TEST(Ym2413Pitch, FnumBlockAndMultipleGiveTheFrequency) {
  struct Note {
    int fnum, block, mult;
    double multiple;
  } notes[] = {{290, 4, 1, 1.0}, {172, 2, 1, 1.0}, {345, 5, 1, 1.0}, {290, 3, 2, 2.0},
               {290, 5, 0, 0.5}, {181, 3, 3, 3.0}, {400, 1, 1, 1.0}};
  for (const Note& n : notes) {
    auto chip = NewChip();
    UserSine(chip.get(), n.mult);
    KeyOn(chip.get(), 3, n.fnum, n.block);
    std::vector<int16_t> s = Render(chip.get(), 44100);
    double f = ZeroCrossingFrequency(s, 2000, Ym2413OutputRate);
    double want = Expected(n.fnum, n.block, n.multiple);
    EXPECT_NEAR(f / want, 1.0, 0.005) << n.fnum << " block " << n.block << " mult " << n.mult;
    // The native stream has the same pitch.
    std::vector<int16_t> native(49716);
    Ym2413RenderNative(chip.get(), native.data(), uint32_t(native.size()));
    EXPECT_NEAR(ZeroCrossingFrequency(native, 0, NativeRate) / want, 1.0, 0.005);
  }
}

TEST(Ym2413Pitch, RomInstrumentsSoundAtTheCarrierFrequency) {
  // Organ (8), clarinet (5) and violin (1, with vibrato) on every channel.
  const int instruments[] = {8, 5, 1};
  for (int instrument : instruments) {
    for (int ch = 0; ch < 9; ch += 4) {
      auto chip = NewChip();
      KeyOn(chip.get(), ch, 290, 3, instrument);
      std::vector<int16_t> s = Render(chip.get(), 30000);
      ASSERT_GT(Peak(s, 5000), 300) << instrument;
      double want = Expected(290, 3, 1.0);
      double period = AutocorrelationPeriod(s, 5000, Ym2413OutputRate / want);
      EXPECT_NEAR(Ym2413OutputRate / period / want, 1.0, 0.005) << "instrument " << instrument;
    }
  }
}

TEST(Ym2413Levels, VolumeStepsAndTheRectifiedSine) {
  auto loud = NewChip(), quiet = NewChip(), half = NewChip();
  UserSine(loud.get(), 1);
  UserSine(quiet.get(), 1);
  UserSine(half.get(), 1, 8, true);
  KeyOn(loud.get(), 0, 290, 4, 0, 0);
  KeyOn(quiet.get(), 0, 290, 4, 0, 2);  // 6 dB down
  KeyOn(half.get(), 0, 290, 4, 0, 0);
  std::vector<int16_t> a = Render(loud.get(), 8000), b = Render(quiet.get(), 8000);
  std::vector<int16_t> h = Render(half.get(), 8000);
  // A full-scale sine is the 9-bit DAC's range (about 510) times four.
  EXPECT_NEAR(Peak(a, 2000), 2040, 40);
  EXPECT_NEAR(double(Peak(b, 2000)) / Peak(a, 2000), 0.5, 0.02);
  int lowest = 0;
  for (size_t i = 2000; i < h.size(); i++) lowest = std::min(lowest, int(h[i]));
  EXPECT_GE(lowest, 0) << "the half-sine has no negative half";
  EXPECT_NEAR(Peak(h, 2000), Peak(a, 2000), 8);
}

TEST(Ym2413Levels, AmplitudeModulationDepth) {
  auto chip = NewChip();
  const uint8_t patch[8] = {0x21, 0xA1, 0x3F, 0x00, 0x00, 0xF0, 0x00, 0x08};  // carrier AM on
  for (int r = 0; r < 8; r++) Ym2413Write(chip.get(), uint8_t(r), patch[r]);
  KeyOn(chip.get(), 0, 290, 5);
  std::vector<int16_t> s = Render(chip.get(), 44100);
  // Peaks over 10 ms windows across more than one 3.7 Hz cycle.
  int lowest = 1 << 20, highest = 0;
  for (size_t w = 2000; w + 441 <= s.size(); w += 441) {
    int p = Peak(s, w, w + 441);
    lowest = std::min(lowest, p), highest = std::max(highest, p);
  }
  double depth = 20 * std::log10(double(highest) / lowest);
  EXPECT_GT(depth, 4.0);
  EXPECT_LT(depth, 5.5);
}

TEST(Ym2413Envelope, KeyOffReleasesToSilenceAtTheReleaseRate) {
  // Seconds until silence after key-off for a few release settings.
  auto releaseTime = [](int rr, bool sustainFlag) {
    auto chip = NewChip();
    UserSine(chip.get(), 1, rr);
    KeyOn(chip.get(), 2, 290, 4, 0, 0, sustainFlag);
    Render(chip.get(), 4410);
    KeyOff(chip.get(), 2);
    std::vector<int16_t> s = Render(chip.get(), 44100 * 30);
    size_t lastSound = 0;
    for (size_t i = 0; i < s.size(); i++)
      if (s[i] != 0) lastSound = i;
    EXPECT_GT(Peak(s, 0, 100), 1000) << "still sounding just after key-off";
    return double(lastSound) / Ym2413OutputRate;
  };
  double rr8 = releaseTime(8, false), rr12 = releaseTime(12, false);
  double rr4 = releaseTime(4, false), sustained = releaseTime(12, true);
  // 48 dB of release: RR 8 (at this key's rate scaling) takes about a
  // tenth of a second, and each step of RR halves the time.
  EXPECT_GT(rr8, 0.08);
  EXPECT_LT(rr8, 0.15);
  EXPECT_NEAR(rr8 / rr12, 16, 3);
  EXPECT_NEAR(rr4 / rr8, 16, 3);
  // The sustain flag releases at rate 5 whatever the instrument says.
  EXPECT_NEAR(sustained / releaseTime(5, false), 1.0, 0.1);
}

TEST(Ym2413Envelope, PercussiveToneDecaysWhileKeyed) {
  // Piano (3) is percussive: silent after a while even with the key held;
  // organ (8) is sustained and holds.
  auto piano = NewChip(), organ = NewChip();
  KeyOn(piano.get(), 0, 290, 4, 3);
  KeyOn(organ.get(), 0, 290, 4, 8);
  std::vector<int16_t> p = Render(piano.get(), 44100 * 12), o = Render(organ.get(), 44100 * 12);
  EXPECT_GT(Peak(p, 1000, 5000), 1000);
  EXPECT_EQ(Peak(p, p.size() - 4410), 0);
  EXPECT_GT(Peak(o, o.size() - 4410), 1000);
}

TEST(Ym2413Rhythm, EachDrumSoundsWhenKeyedOnly) {
  auto setUp = [](Ym2413* chip) {
    // Channels 6-8 tuned as for drums, volumes full.
    const uint8_t writes[][2] = {{0x16, 0x20}, {0x17, 0x50}, {0x18, 0xC0}, {0x26, 0x05},
                                 {0x27, 0x05}, {0x28, 0x01}, {0x36, 0x00}, {0x37, 0x00},
                                 {0x38, 0x00}, {0x0E, 0x20}};
    for (const auto& w : writes) Ym2413Write(chip, w[0], w[1]);
  };
  auto quiet = NewChip();
  setUp(quiet.get());
  EXPECT_EQ(Peak(Render(quiet.get(), 8000)), 0) << "rhythm mode without keys is silent";
  const char* names[] = {"hi-hat", "top cymbal", "tom-tom", "snare drum", "bass drum"};
  for (int bit = 0; bit < 5; bit++) {
    auto chip = NewChip();
    setUp(chip.get());
    Ym2413Write(chip.get(), 0x0E, uint8_t(0x20 | 1 << bit));
    std::vector<int16_t> s = Render(chip.get(), 4000);
    EXPECT_GT(Peak(s), 400) << names[bit];
    // Its own volume nibble at 15 makes it 45 dB quieter.
    auto soft = NewChip();
    setUp(soft.get());
    const uint8_t volumeReg[5] = {0x37, 0x38, 0x38, 0x37, 0x36};
    const uint8_t volumeValue[5] = {0xF0, 0x0F, 0xF0, 0x0F, 0x0F};
    Ym2413Write(soft.get(), volumeReg[bit], volumeValue[bit]);
    Ym2413Write(soft.get(), 0x0E, uint8_t(0x20 | 1 << bit));
    EXPECT_LT(Peak(Render(soft.get(), 4000)) * 20, Peak(s)) << names[bit];
  }
  // Without rhythm mode the drum keys do nothing.
  auto melodic = NewChip();
  setUp(melodic.get());
  Ym2413Write(melodic.get(), 0x0E, 0x1F);
  EXPECT_EQ(Peak(Render(melodic.get(), 4000)), 0);
}

TEST(Ym2413Registers, WritesOutsideTheMapAreHarmless) {
  auto plain = NewChip(), poked = NewChip();
  for (Ym2413* chip : {plain.get(), poked.get()}) {
    KeyOn(chip, 0, 290, 4, 1);
    KeyOn(chip, 5, 200, 3, 11);
  }
  for (int reg = 0; reg < 256; reg++) {
    bool mapped = reg < 0x08 || reg == 0x0E || reg == 0x0F || (reg >= 0x10 && reg <= 0x18) ||
                  (reg >= 0x20 && reg <= 0x28) || (reg >= 0x30 && reg <= 0x38);
    if (!mapped) Ym2413Write(poked.get(), uint8_t(reg), 0xFF);
  }
  EXPECT_EQ(Render(plain.get(), 5000), Render(poked.get(), 5000));
  for (int reg = 0x39; reg < 0x40; reg++) EXPECT_EQ(poked->Regs[reg], 0);
}

TEST(Ym2413Frames, WritesSoundFromTheirLine) {
  auto chip = NewChip();
  Ym2413SetFrame(chip.get(), 262, 735);
  UserSine(chip.get(), 1);
  for (int line = 0; line < 262; line++) {
    if (line == 131) {
      const uint8_t writes[][2] = {{0x30, 0x00}, {0x10, 0x22}, {0x20, 0x19}};
      for (const auto& w : writes) {
        Ym2413WriteAddress(chip.get(), w[0]);
        Ym2413WriteData(chip.get(), w[1]);
      }
    }
    Ym2413LineTick(chip.get(), true);
  }
  ASSERT_EQ(Ym2413FrameEnd(chip.get(), true), 735u);
  const uint32_t start = 131 * 735 / 262;
  std::vector<int16_t> frame(chip->Frame, chip->Frame + 735);
  EXPECT_EQ(Peak(frame, 0, start), 0);
  EXPECT_GT(Peak(frame, start, start + 40), 0) << "sounding within the damp and attack";
  EXPECT_GT(Peak(frame, start + 100), 1500);

  // Without sound no time passes and nothing is made.
  Ym2413SetFrame(chip.get(), 313, 882);
  uint16_t counter = chip->EgCounter;
  for (int line = 0; line < 313; line++) Ym2413LineTick(chip.get(), false);
  EXPECT_EQ(Ym2413FrameEnd(chip.get(), false), 0u);
  EXPECT_EQ(chip->EgCounter, counter);
  EXPECT_EQ(Ym2413FrameEnd(chip.get(), true), 882u);

  // Mixing beside the PSG's stereo saturates instead of wrapping.
  const int16_t mono[2] = {30000, -30000};
  int16_t stereo[4] = {10000, -5, -10000, 7};
  Ym2413AddToStereo(mono, stereo, 2);
  EXPECT_EQ(stereo[0], 32767);
  EXPECT_EQ(stereo[1], 29995);
  EXPECT_EQ(stereo[2], -32768);
  EXPECT_EQ(stereo[3], -29993);
}

// A busy chip: every melodic channel on a different instrument, vibrato,
// AM and feedback, then rhythm mode.
void Busy(Ym2413* chip) {
  UserSine(chip, 2);
  Ym2413Write(chip, 0x01, 0xE2);  // carrier with AM and vibrato
  Ym2413Write(chip, 0x03, 0x0D);  // modulator rectified, feedback 5
  Ym2413Write(chip, 0x04, 0xF0);  // and audible
  for (int ch = 0; ch < 9; ch++)
    KeyOn(chip, ch, 180 + 23 * ch, 2 + ch % 4, ch == 4 ? 0 : ch + 1, ch % 3);
  Render(chip, 3000);
  KeyOff(chip, 2);
  const uint8_t drums[][2] = {{0x36, 0x02}, {0x37, 0x11}, {0x38, 0x21}, {0x0E, 0x3F}};
  for (const auto& w : drums) Ym2413Write(chip, w[0], w[1]);
  Render(chip, 1237);
}

TEST(Ym2413State, RestoredChipMakesTheSameSamples) {
  auto chip = NewChip();
  Busy(chip.get());
  uint8_t block[Ym2413StateSize];
  Ym2413WriteState(chip.get(), block);
  EXPECT_LE(Ym2413StateSize, 160u);
  std::vector<int16_t> expected = Render(chip.get(), 20000);
  ASSERT_GT(Peak(expected), 1000);

  auto restored = std::make_unique<Ym2413>();
  Ym2413SetFrame(restored.get(), 262, 735);
  Ym2413Reset(restored.get());
  KeyOn(restored.get(), 4, 99, 1);  // whatever it played before goes
  ASSERT_TRUE(Ym2413ReadState(restored.get(), block, sizeof block));
  EXPECT_EQ(restored->SamplesPerFrame, 735) << "the frame geometry is the machine's";
  EXPECT_EQ(Render(restored.get(), 20000), expected);
  // And writing it again gives the same block.
  uint8_t again[Ym2413StateSize];
  Ym2413WriteState(chip.get(), block);
  Ym2413WriteState(restored.get(), again);
  EXPECT_EQ(0, std::memcmp(block, again, sizeof block));
}

TEST(Ym2413State, HostileBlocksAreRefused) {
  auto chip = NewChip();
  Busy(chip.get());
  uint8_t good[Ym2413StateSize];
  Ym2413WriteState(chip.get(), good);
  auto refused = [&](uint8_t* block, uint32_t size = Ym2413StateSize) {
    auto target = NewChip();
    KeyOn(target.get(), 0, 290, 4, 1);
    uint8_t before[Ym2413StateSize];
    Ym2413WriteState(target.get(), before);
    bool ok = Ym2413ReadState(target.get(), block, size);
    uint8_t after[Ym2413StateSize];
    Ym2413WriteState(target.get(), after);
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before)) << "a refused block changes nothing";
    return !ok;
  };
  uint8_t block[Ym2413StateSize];
  EXPECT_TRUE(refused(good, Ym2413StateSize - 1));
  std::memcpy(block, good, sizeof block);
  block[0] = 99;  // version
  EXPECT_TRUE(refused(block));
  std::memcpy(block, good, sizeof block);
  block[Ym2413StateSize - 1] |= 0x80;  // spare bits
  EXPECT_TRUE(refused(block));
  std::memset(block, 0, sizeof block);
  block[0] = Ym2413StateVersion;  // noise register 0, every operator in damp unkeyed
  EXPECT_TRUE(refused(block));

  // Random damage: refused, or else a chip that plays within range.
  std::mt19937 random(2413);
  int accepted = 0;
  for (int round = 0; round < 3000; round++) {
    std::memcpy(block, good, sizeof block);
    int flips = 1 + int(random() % 4);
    for (int f = 0; f < flips; f++) block[random() % sizeof block] ^= uint8_t(1u << (random() % 8));
    auto target = NewChip();
    if (!Ym2413ReadState(target.get(), block, sizeof block)) continue;
    accepted++;
    Render(target.get(), 64);
  }
  EXPECT_GT(accepted, 0);
  // Noise of the right version: the same.
  for (int round = 0; round < 300; round++) {
    for (uint8_t& b : block) b = uint8_t(random());
    block[0] = Ym2413StateVersion;
    auto target = NewChip();
    if (Ym2413ReadState(target.get(), block, sizeof block)) Render(target.get(), 64);
  }
}

}  // namespace
