// The FM unit through the recorders: its writes logged as 0x51 commands in
// a VGM 1.51 file that the project's reader checks against the published
// layout and the player plays back at the written pitch; PSG-only logs
// unchanged by a fitted but unused unit; FM-aware end trimming; and states
// that resume the chip exactly, or reset it when they have no FM part.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "base/program_dir.h"
#include "lumo/messages.h"
#include "machine/fm_unit.h"
#include "machine/pitch_measure.h"
#include "record/save_state.h"
#include "record/state_extras.h"
#include "record/state_support.h"
#include "record/vgm_logger.h"
#include "record/vgm_player.h"
#include "record/vgm_test_files.h"

namespace {

const std::string FmRom = TAVO_ROM_DIR "/fm_unit.sms";
const std::string PsgRom = TAVO_ROM_DIR "/psg_tones.sms";
constexpr uint32_t Fitted = OptInitial | OptFmUnit;
constexpr int FramesPerStep = 30;
constexpr size_t FmPartAt = 20 + 41029 + StateExtrasFmAt;  // in a file without link play

// The cartridge's script: (register, value) in the order it writes them.
const std::vector<std::pair<uint8_t, uint8_t>> ScriptWrites = {
    {0x30, 0x80}, {0x10, 0x22}, {0x20, 0x17}, {0x20, 0x07}, {0x16, 0x20}, {0x26, 0x05}, {0x17, 0x50},
    {0x27, 0x05}, {0x18, 0xC0}, {0x28, 0x01}, {0x36, 0x00}, {0x0E, 0x30}, {0x0E, 0x20}, {0x20, 0x00},
};

class FmRecording : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ReadFile(FmRom).empty()) GTEST_SKIP() << "fm_unit.sms is not assembled";
    folder_ = MakeScratchFolder("fm");
    ASSERT_FALSE(folder_.empty());
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
    ResetVgmLogger();
    ResetMessages();
    FreeVgm();
    PsgResetSettings();
  }
  void TearDown() override {
    ResetVgmLogger();
    FreeVgm();
    DestroyConsoles();
    ResetConsoleState();
    ResetProgramDirectory();
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }

  // The left side of `frames` frames of the running machine, or of the
  // player.
  static std::vector<int16_t> Run(int frames, bool player = false) {
    std::vector<int16_t> left, frame(size_t(SamplesPerFrame) * 2);
    for (int f = 0; f < frames; f++) {
      if (player) {
        VgmPlayFrame();
        EXPECT_TRUE(VgmReadSamples(frame.data(), uint32_t(frame.size() * 2)));
      } else {
        RunConsoleFrame(false, true);
        EXPECT_TRUE(ReadSoundSamples(frame.data(), uint32_t(frame.size() * 2)));
      }
      for (size_t i = 0; i < frame.size(); i += 2) left.push_back(frame[i]);
    }
    return left;
  }

  // A log of the cartridge from power-on, read back.
  std::vector<uint8_t> Log(const std::string& rom, uint32_t options, int frames, const std::string& name) {
    EXPECT_TRUE(StartFresh(rom, options));
    EXPECT_TRUE(StartVgmLog());
    Run(frames);
    const std::string path = folder_ + "/" + name;
    EXPECT_TRUE(StopVgmLogAs(path));
    return ReadFile(path);
  }

  std::string folder_;
};

std::vector<std::pair<uint8_t, uint8_t>> FmWrites(const ParsedVgm& v) {
  std::vector<std::pair<uint8_t, uint8_t>> writes;
  for (const ParsedCommand& c : v.commands)
    if (c.code == 0x51) writes.push_back({c.reg, c.value});
  return writes;
}

int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < to && i < s.size(); i++) peak = std::max(peak, std::abs(int(s[i])));
  return peak;
}

TEST_F(FmRecording, FmWritesMakeA151LogThatPlaysBack) {
  const int frames = 4 * FramesPerStep;
  std::vector<uint8_t> bytes = Log(FmRom, Fitted, frames, "fm.vgm");
  ParsedVgm v = ParseVgm(bytes);
  ASSERT_EQ(v.error, "");
  EXPECT_EQ(v.eof, bytes.size() - 4);
  EXPECT_EQ(v.version, 0x151u);
  EXPECT_EQ(v.clock, 3579545u);
  EXPECT_EQ(v.ym2413, 3579545u);
  EXPECT_EQ(v.sn_feedback, 0x0009u);
  EXPECT_EQ(v.sn_width, 16u);
  EXPECT_EQ(v.sn_flags, 0u);
  EXPECT_EQ(v.data_offset, 0x0Cu);
  EXPECT_EQ(v.gd3_offset, 64 + v.data.size() - 0x14);
  EXPECT_EQ(v.total, uint32_t(frames * 735));
  EXPECT_EQ(v.waited, v.total);
  // Every write in its order (from power-on there is nothing to dump), each
  // in the frame the program made it.
  EXPECT_EQ(FmWrites(v), ScriptWrites);
  // Step k's writes follow the interrupt that ends its wait, in frame 30k - 2,
  // and go out after the next frame's wait; the first come in frame 0.
  const int step_of_write[] = {0, 0, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3};
  size_t index = 0;
  for (const ParsedCommand& c : v.commands) {
    if (c.code != 0x51 || index >= std::size(step_of_write)) continue;
    const int step = step_of_write[index++];
    const uint64_t at = step ? uint64_t(step * FramesPerStep - 1) * 735 : 0;
    EXPECT_GE(c.time, at) << index;
    EXPECT_LE(c.time, at + 735) << index;
  }

  // The player's own YM2413: the organ at 220 Hz, its release, the drum.
  ASSERT_TRUE(LoadVgm((folder_ + "/fm.vgm").c_str()));
  PlayVgm();
  std::vector<int16_t> played = Run(frames, true);
  const size_t spf = 735;
  std::vector<int16_t> note(played.begin() + 3 * spf, played.begin() + 27 * spf);
  ASSERT_GT(Peak(note, 0, note.size()), 500);
  const double want = 290 * (3579545.0 / 72) / 65536.0;
  EXPECT_NEAR(PsgSampleRate / AutocorrelationPeriod(note, 0, PsgSampleRate / want) / want, 1.0, 0.005);
  EXPECT_GT(Peak(played, 30 * spf, 31 * spf), 500);  // fading at the key-off
  EXPECT_EQ(Peak(played, 46 * spf, 59 * spf), 0);
  EXPECT_GT(Peak(played, 59 * spf, 61 * spf), 500);
}

// A fitted unit that no program writes changes nothing in the file.
TEST_F(FmRecording, PsgOnlyLogsAreTheSameWithTheUnitFitted) {
  if (ReadFile(PsgRom).empty()) GTEST_SKIP() << "psg_tones.sms is not assembled";
  std::vector<uint8_t> with = Log(PsgRom, Fitted, 200, "with.vgm");
  std::vector<uint8_t> without = Log(PsgRom, OptInitial, 200, "without.vgm");
  ASSERT_FALSE(without.empty());
  EXPECT_EQ(with, without);
  EXPECT_EQ(Le32At(with, 0x08), 0x101u);
  EXPECT_EQ(Le32At(with, 0x10), 0u);
}

// Waiting for sound, the first key-on starts the log: the file begins with
// the PSG's dump and then the FM registers as they stand, key-on included.
TEST_F(FmRecording, AKeyOnEndsTheWaitWithADumpOfTheRegisters) {
  ASSERT_TRUE(StartFresh(FmRom, Fitted));
  WaitForSound = true;
  ASSERT_TRUE(StartVgmLogging());
  Run(10);
  EXPECT_EQ(VgmLogState, VgmLogLogging);
  ASSERT_TRUE(StopVgmLogAs(folder_ + "/wait.vgm"));
  ParsedVgm v = ParseVgm(ReadFile(folder_ + "/wait.vgm"));
  ASSERT_EQ(v.error, "");
  std::vector<std::pair<uint8_t, uint8_t>> writes = FmWrites(v);
  ASSERT_EQ(writes.size(), 36u);
  uint8_t regs[0x40] = {};
  for (auto [reg, value] : writes) regs[reg] = value;
  EXPECT_EQ(regs[0x30], 0x80);
  EXPECT_EQ(regs[0x10], 0x22);
  EXPECT_EQ(regs[0x20], 0x17);
  EXPECT_EQ(writes.back().first, 0x0E);  // the rhythm register last
  EXPECT_EQ(v.commands[0].code, 0x4F);
}

// The closing silence of an FM tune starts after its last key-off, not
// where the (silent) PSG would put it.
TEST_F(FmRecording, EndTrimmerKeepsTheFmMusic) {
  TrimEnd = true;
  ParsedVgm v = ParseVgm(Log(FmRom, Fitted, 5 * FramesPerStep, "trimmed.vgm"));
  ASSERT_EQ(v.error, "");
  EXPECT_EQ(FmWrites(v), ScriptWrites);
  EXPECT_GE(v.total, uint32_t(3 * FramesPerStep * 735));
  EXPECT_LE(v.total, uint32_t((3 * FramesPerStep + 2) * 735));
}

TEST_F(FmRecording, StatesResumeTheChipOrResetIt) {
  ASSERT_TRUE(StartFresh(FmRom, Fitted));
  Run(10);  // the organ sounds
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  ASSERT_EQ(image.size(), StateFileSize);
  ASSERT_EQ(image[FmPartAt], 1);
  const std::vector<int16_t> straight = Run(60);  // its key-off included

  bool break_request = false;
  ASSERT_TRUE(InstallStateImage(image.data(), image.size(), &break_request));
  EXPECT_EQ(PrimaryMachine.FmControl, FmControlFm);
  EXPECT_EQ(Run(60), straight);

  // A state without the FM part loads with the unit reset.
  std::vector<uint8_t> old = image;
  std::memset(&old[FmPartAt], 0, StateExtrasFmSize);
  ASSERT_TRUE(InstallStateImage(old.data(), old.size(), &break_request));
  EXPECT_EQ(PrimaryMachine.FmControl, FmControlPsg);
  EXPECT_EQ(PrimaryMachine.Fm.Regs[0x20], 0);
  EXPECT_EQ(Peak(Run(5), 0, 5 * 735), 0);

  // An FM part the machine never writes is refused whole.
  for (auto [at, value] : {std::pair<size_t, uint8_t>{0, 2}, {1, 4}, {2, 0}}) {
    std::vector<uint8_t> bad = image;
    bad[FmPartAt + at] = value;
    EXPECT_FALSE(InstallStateImage(bad.data(), bad.size(), &break_request)) << at;
  }
}

}  // namespace
