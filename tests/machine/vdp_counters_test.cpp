// Counters and line interrupts seen from a program: the vdp_counters
// cartridge records what it reads while whole frames run.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "machine/machine.h"
#include "machine/options.h"
#include "machine_harness.h"

namespace {

constexpr uint16_t Count = 0xC010;
constexpr uint16_t Complete = 0xC011;
constexpr uint16_t List = 0xC100;

class VdpCountersTest : public ::testing::Test {
 protected:
  void Start(uint8_t mode, uint8_t param1, uint8_t param2, uint32_t options) {
    harness_.StartRom("vdp_counters", options);
    PrimaryMachine.Ram[0] = mode;
    PrimaryMachine.Ram[1] = param1;
    PrimaryMachine.Ram[2] = param2;
  }
  std::vector<uint8_t> Recorded(int bytes) {
    std::vector<uint8_t> out;
    for (int i = 0; i < bytes; i++) out.push_back(harness_.Ram(uint16_t(List + i)));
    return out;
  }
  MachineHarness harness_;
};

// V counters of the line interrupts of the first two NTSC 192-line frames
// after reset, as far as the cartridge's 240-entry list goes. The counter
// starts at 1 after reset; from then on it is reloaded on every line below
// the picture, counted down on the frame's last line and on every active
// line, and interrupts when it was already 0.
std::vector<uint8_t> ExpectedLineInterrupts(int reload) {
  std::vector<uint8_t> lines;
  for (int first : {1, reload - 1}) {
    for (int line = first; line < 192; line += reload + 1)
      if (line >= 0) lines.push_back(uint8_t(line));  // -1: that was line 261
    if (reload == 0) lines.push_back(0xFF);  // line 261 reads 261 - 6
  }
  if (lines.size() > 240) lines.resize(240);
  return lines;
}

TEST_F(VdpCountersTest, LineInterruptsComeOnTheLinesR10Gives) {
  for (int reload : {0, 2, 5, 0x50, 0xFF}) {
    SCOPED_TRACE(reload);
    Start(0, uint8_t(reload), 0, OptMasterSystemGroup | OptNtscRate);
    harness_.Frames(2);
    std::vector<uint8_t> expected = ExpectedLineInterrupts(reload);
    ASSERT_EQ(harness_.Ram(Count), expected.size());
    EXPECT_EQ(Recorded(int(expected.size())), expected);
  }
}

TEST_F(VdpCountersTest, VCounterJumpsOfAllSixTables) {
  struct Case { uint32_t standard; uint8_t r0, r1; uint8_t from, to; };
  const Case cases[] = {
      {OptNtscRate, 0x00, 0x00, 0xDA, 0xD5}, {OptNtscRate, 0x02, 0x10, 0xEA, 0xE5},
      {OptNtscRate, 0x02, 0x08, 0x05, 0x00}, {OptPalLines, 0x00, 0x00, 0xF2, 0xBA},
      {OptPalLines, 0x02, 0x10, 0x02, 0xCA}, {OptPalLines, 0x02, 0x08, 0x0A, 0xD2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.from) << " -> " << int(c.to));
    Start(1, c.r0, c.r1, OptMasterSystemGroup | c.standard);
    harness_.Frames(4);
    int pairs = harness_.Ram(Count);
    ASSERT_GE(pairs, 3);
    // The first frame still ran with 192 lines; every later one jumps once.
    for (int i = 1; i < pairs; i++) {
      EXPECT_EQ(harness_.Ram(uint16_t(List + 2 * i)), c.from) << i;
      EXPECT_EQ(harness_.Ram(uint16_t(List + 2 * i + 1)), c.to) << i;
    }
  }
}

// The H counter at line position p, from its three linear pieces.
uint8_t HCounterAt(int p) {
  if (p <= 16) return uint8_t((11 * p) / 15 - 12);
  if (p <= 212) return uint8_t((147 * p - 2646) / 194);
  return uint8_t((10 * p - 2130) / 14 - 23);
}

TEST_F(VdpCountersTest, HCounterSamplesFollowTheLinePosition) {
  Start(2, 0, 0, OptMasterSystemGroup | OptNtscRate);
  harness_.Frames(1);
  ASSERT_EQ(harness_.Ram(Complete), 1);
  std::vector<uint8_t> samples = Recorded(64);
  // The samples are 24 cycles apart; exactly one starting position fits.
  std::vector<int> fits;
  for (int start = 0; start < 228; start++) {
    bool fit = true;
    for (int k = 0; k < 64 && fit; k++) fit = samples[k] == HCounterAt((start + 24 * k) % 228);
    if (fit) fits.push_back(start);
  }
  ASSERT_EQ(fits.size(), 1u) << "samples do not follow the H counter";
  // 64 samples span several lines, so both jumps of the counter were seen.
  bool saw_blank_jump = false;
  for (int k = 1; k < 64; k++)
    if (samples[k - 1] <= 0x93 && samples[k] >= 0xE9) saw_blank_jump = true;
  EXPECT_TRUE(saw_blank_jump);
}

}  // namespace
