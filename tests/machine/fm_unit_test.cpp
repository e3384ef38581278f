// The FM unit in the machine: found through port $F2 only when fitted, its
// register writes sounding through the PSG's output ring at the pitch the
// F-number and block give, key-off and rhythm, and the control register's
// choice of PSG, FM, both or neither.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "machine/fm_unit.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/pitch_measure.h"
#include "machine/ports.h"
#include "machine/psg_probe.h"
#include "machine_harness.h"

namespace {

const uint32_t Sms = OptMasterSystemGroup | OptNtscRate | OptSpriteFlickering;
const uint32_t GameGear = OptGameGearGroup | OptNtscRate | OptSpriteFlickering;
constexpr int FramesPerStep = 30;

bool HaveRom() { return !ReadTestRom("fm_unit").empty(); }

// Runs frames with sound, appending both sides of their samples.
Stereo RunSounding(int frames) {
  Stereo s;
  for (int f = 0; f < frames; f++) {
    RunFrame(&PrimaryMachine, false, true);
    EXPECT_TRUE(DrainRing(&PrimaryMachine.Psg, &s));
  }
  return s;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& all, int first_frame, int frames) {
  const size_t from = size_t(first_frame) * 735, to = from + size_t(frames) * 735;
  if (to > all.size()) return {};
  return std::vector<int16_t>(all.begin() + long(from), all.begin() + long(to));
}

TEST(FmUnit, FoundThroughTheControlPortOnlyWhenFitted) {
  if (!HaveRom()) GTEST_SKIP() << "fm_unit.sms is not assembled";
  struct Case {
    uint32_t options;
    uint8_t found, second_read;
  } cases[] = {{Sms | OptFmUnit, 1, 0x01}, {Sms, 0, 0xFF}, {GameGear | OptFmUnit, 0, 0xFF}};
  for (const Case& c : cases) {
    MachineHarness harness;
    harness.StartRom("fm_unit", c.options);
    harness.Frames(2);
    EXPECT_EQ(harness.Ram(0xC001), c.found) << std::hex << c.options;
    EXPECT_EQ(harness.Ram(0xC003), c.second_read) << std::hex << c.options;
  }

  // Only bit 0 reads back; the address and data ports are write-only.
  MachineHarness harness;
  harness.Start({0x18, 0xFE}, Sms | OptFmUnit);  // jr $
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF2), 0x00);  // power-on: the PSG alone
  PortOut(&PrimaryMachine, 0xF2, 0xFF);
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF2), 0x01);
  EXPECT_EQ(PrimaryMachine.FmControl, 0x03);
  PortOut(&PrimaryMachine, 0xF2, 0x02);
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF2), 0x00);
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF0), 0xFF);
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF1), 0xFF);
  PortOut(&PrimaryMachine, 0xF0, 0x30);
  PortOut(&PrimaryMachine, 0xF1, 0x85);
  EXPECT_EQ(PrimaryMachine.Fm.Regs[0x30], 0x85);
  // A reset puts the unit back to power-on.
  SoftReset(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.Fm.Regs[0x30], 0x00);
  EXPECT_EQ(PrimaryMachine.FmControl, 0x00);

  // Without the unit nothing is decoded there.
  MachineOptions = Sms;
  PortOut(&PrimaryMachine, 0xF2, 0x01);
  PortOut(&PrimaryMachine, 0xF0, 0x31);
  PortOut(&PrimaryMachine, 0xF1, 0x85);
  EXPECT_EQ(PortIn(&PrimaryMachine, 0xF2), 0xFF);
  EXPECT_EQ(PrimaryMachine.FmControl, 0x00);
  EXPECT_EQ(PrimaryMachine.Fm.Regs[0x31], 0x00);
}

// The cartridge's script through the ports: an organ note at 290 / block 3,
// 290 x 49,715.9 / 2^16 = 220.0 Hz; silence after its key-off; a bass drum.
TEST(FmUnit, ScriptedNotesSoundThroughThePorts) {
  if (!HaveRom()) GTEST_SKIP() << "fm_unit.sms is not assembled";
  MachineHarness harness;
  harness.StartRom("fm_unit", Sms | OptFmUnit);
  PsgResetSettings();
  Stereo s = RunSounding(4 * FramesPerStep);
  ASSERT_EQ(harness.Ram(0xC001), 1);
  EXPECT_EQ(s.left, s.right);  // the unit is mono

  const std::vector<int16_t> note = Slice(s.left, 2, FramesPerStep - 4);
  ASSERT_GT(Peak(note), 500);
  const double want = 290 * (3579545.0 / 72) / 65536.0;
  const double period = AutocorrelationPeriod(note, 0, PsgSampleRate / want);
  EXPECT_NEAR(PsgSampleRate / period / want, 1.0, 0.005);

  // The organ releases at rate 7: gone well within the step.
  const std::vector<int16_t> off = Slice(s.left, FramesPerStep + 20, 8);
  ASSERT_FALSE(off.empty());
  EXPECT_EQ(Peak(off), 0);
  EXPECT_GT(Peak(Slice(s.left, FramesPerStep, 1)), 0);  // still fading at the key-off

  EXPECT_GT(Peak(Slice(s.left, 2 * FramesPerStep, 6)), 500);  // the drum
  EXPECT_EQ(Peak(Slice(s.left, 4 * FramesPerStep - 4, 4)), 0);
}

// The same PSG tone and FM note on four fresh machines that differ only in
// the control register.
std::vector<int16_t> Mixed(uint8_t control, uint32_t options = Sms | OptFmUnit) {
  MachineHarness harness;
  harness.Start({0x18, 0xFE}, options);
  PsgResetSettings();
  for (uint8_t b : {0x80 | 0x0E, 0x0F, 0x92}) PortOut(&PrimaryMachine, 0x7F, b);  // tone 0, level 2
  const uint8_t fm[][2] = {{0x30, 0x50}, {0x10, 0x22}, {0x20, 0x19}};  // clarinet at block 4
  for (const auto& w : fm) PortOut(&PrimaryMachine, 0xF0, w[0]), PortOut(&PrimaryMachine, 0xF1, w[1]);
  PortOut(&PrimaryMachine, 0xF2, control);
  return RunSounding(10).left;
}

TEST(FmUnit, ControlRegisterChoosesPsgFmBothOrNeither) {
  const std::vector<int16_t> psg = Mixed(0), fm = Mixed(1), none = Mixed(2), both = Mixed(3);
  // The PSG alone is what a console without the unit plays.
  EXPECT_EQ(psg, Mixed(0, Sms));
  EXPECT_EQ(Peak(none), 0);
  ASSERT_GT(Peak(fm), 1000);
  ASSERT_GT(Peak(psg), 1000);
  ASSERT_EQ(both.size(), psg.size());
  size_t differ = 0;
  for (size_t i = 0; i < both.size(); i++) differ += both[i] != psg[i] + fm[i];
  EXPECT_EQ(differ, 0u);

  // The volume setting scales the FM as it scales the PSG.
  sound_volume = 30;
  MachineHarness harness;
  harness.Start({0x18, 0xFE}, Sms | OptFmUnit);
  const uint8_t writes[][2] = {{0x30, 0x50}, {0x10, 0x22}, {0x20, 0x19}};
  for (const auto& w : writes) PortOut(&PrimaryMachine, 0xF0, w[0]), PortOut(&PrimaryMachine, 0xF1, w[1]);
  PortOut(&PrimaryMachine, 0xF2, 1);
  const std::vector<int16_t> quiet = RunSounding(10).left;
  PsgResetSettings();
  ASSERT_EQ(quiet.size(), fm.size());
  for (size_t i = 0; i < fm.size(); i++) ASSERT_NEAR(quiet[i], fm[i] * 30.0 / 75, 1.0) << i;
}

// A homebrew game that looks for the unit the same way: with it, it plays
// its music on the FM unit and mutes the PSG; without, it never writes the
// FM ports.
TEST(FmUnit, BocksBirthdayFindsTheUnitAndPlaysFmMusic) {
  const std::string rom = std::string(TAVO_SHARED_DIR) + "/roms/bocksbirthday2003.sms";
  FILE* file = std::fopen(rom.c_str(), "rb");
  if (!file) GTEST_SKIP() << rom << " is not there";
  std::vector<uint8_t> bytes(1 << 20);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  static int writes;
  FmWriteHook = [](uint8_t, uint8_t) { writes++; };
  for (bool fitted : {true, false}) {
    writes = 0;
    MachineHarness harness;
    harness.Start(bytes, Sms | (fitted ? uint32_t(OptFmUnit) : 0u));
    PsgResetSettings();
    Stereo s = RunSounding(600);
    if (fitted) {
      EXPECT_GT(writes, 100);
      EXPECT_EQ(PrimaryMachine.FmControl, FmControlFm);
      EXPECT_GT(Peak(Slice(s.left, 300, 300)), 1000);
    } else {
      EXPECT_EQ(writes, 0);
    }
  }
  FmWriteHook = nullptr;
}

}  // namespace
