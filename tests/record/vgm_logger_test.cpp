// The VGM logger on whole cartridge runs: the file it writes read back by
// the test's own reader, and played back through the player against the
// sound of the live run.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "base/program_dir.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "record/vgm_logger.h"
#include "record/vgm_player.h"
#include "record/vgm_test_files.h"

namespace {

constexpr uint32_t MachineClock = 3584160;  // 228 cycles x 262 lines x 60 frames

struct Registers {
  uint16_t tone[3];
  uint8_t volume[4];
  uint8_t noise;  // white << 2 | rate
  uint8_t stereo;
  bool operator==(const Registers&) const = default;
};

Registers Snapshot(const PsgState& psg) {
  Registers r{};
  for (int i = 0; i < 3; i++) r.tone[i] = psg.Chip.Tone[i];
  for (int i = 0; i < 4; i++) r.volume[i] = psg.Chip.Volume[i];
  r.noise = uint8_t(psg.Chip.NoiseWhite << 2 | psg.Chip.NoiseRate);
  r.stereo = psg.Chip.Stereo;
  return r;
}

int ChangeCalls = 0;
void CountChange() { ChangeCalls++; }

bool LastMessageIs(const char* text) { return std::strcmp(MessageLines[MessageLineCount - 1], text) == 0; }

// Long messages take several scrollback lines of 59 characters.
bool AnyMessageIs(const char* text) {
  std::string all;
  for (const auto& line : MessageLines) all += line;
  return all.find(text) != std::string::npos;
}

class VgmLogger : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder("vgm");
    ASSERT_FALSE(folder_.empty());
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
    ResetVgmLogger();
    ResetMessages();
    FreeVgm();
    MachineOptions = OptInitial;
    ASSERT_TRUE(CreateConsoles());
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

  // Installs an assembled test cartridge under `file` (".gg" runs it as a
  // Game Gear) and hard-resets.
  bool Load(const char* rom, const std::string& file) {
    std::vector<uint8_t> bytes = ReadFile(std::string(TAVO_ROM_DIR) + "/" + rom + ".sms");
    if (bytes.empty() || !WriteFile(folder_ + "/" + file, bytes)) return false;
    if (!LoadCartridge((folder_ + "/" + file).c_str())) return false;
    HardResetConsole();
    return true;
  }

  // Runs frames with sound and returns their samples (left, right, ...);
  // `chip` collects the registers after each frame.
  std::vector<int16_t> Run(int frames, std::vector<Registers>* chip = nullptr) {
    std::vector<int16_t> all, frame(size_t(SamplesPerFrame) * 2);
    for (int f = 0; f < frames; f++) {
      RunConsoleFrame(false, true);
      EXPECT_TRUE(ReadSoundSamples(frame.data(), uint32_t(frame.size() * 2)));
      all.insert(all.end(), frame.begin(), frame.end());
      if (chip) chip->push_back(Snapshot(PrimaryMachine.Psg));
    }
    return all;
  }

  // Plays `file` through the player for `frames` frames.
  std::vector<int16_t> Play(const std::string& file, int frames, std::vector<Registers>* chip = nullptr) {
    EXPECT_TRUE(LoadVgm(file.c_str()));
    PlayVgm();
    std::vector<int16_t> all, frame(size_t(SamplesPerFrame) * 2);
    for (int f = 0; f < frames; f++) {
      VgmPlayFrame();
      EXPECT_TRUE(VgmReadSamples(frame.data(), uint32_t(frame.size() * 2)));
      all.insert(all.end(), frame.begin(), frame.end());
      if (chip) chip->push_back(Snapshot(VgmPsg));
    }
    return all;
  }

  // The file with its chip clock set to the machine's own, so that playing
  // it reproduces the machine's pitch exactly.
  std::string AtMachineClock(const std::string& file) {
    std::vector<uint8_t> bytes = ReadFile(file);
    SetLe32(&bytes, 0x0C, MachineClock);
    std::string copy = folder_ + "/machine_clock.vgm";
    EXPECT_TRUE(WriteFile(copy, bytes));
    return copy;
  }

  std::string Music(const std::string& name) { return folder_ + "/Music/" + name; }

  std::string folder_;
};

bool HaveTune() { return !ReadFile(TAVO_ROM_DIR "/vgm_tune.sms").empty(); }

// Frame-accurate logging of a Game Gear tune whose every write falls in
// line 0: the file reads back as a well-formed VGM 1.01 log, and played at
// the machine's clock it gives the live run's samples exactly. (The file
// names the chip's own 3579545 Hz; the emulated machine runs its chip at
// 3584160 Hz, 0.13 % higher, which is the only change the clock field
// makes.)
TEST_F(VgmLogger, FrameLogReadsBackAndPlaysLikeTheLiveRun) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  ASSERT_TRUE(Load("vgm_tune", "tune.gg"));
  VgmGd3 = VgmGd3Texts{"Tune Game", "Sega Game Gear", "2024", "Tune Title", "Composer", "Logger"};
  ASSERT_TRUE(StartVgmLog());
  EXPECT_TRUE(LastMessageIs("Started VGM logging."));
  const int frames = 600;
  std::vector<int16_t> live = Run(frames);
  ASSERT_TRUE(StopVgmLog());
  EXPECT_EQ(VgmLogState, VgmLogIdle);
  EXPECT_STREQ(StatusText, "Saved VGM log as 'tune.gg.0.vgm' (length = 10 sec.).");
  EXPECT_TRUE(AnyMessageIs("Stopped VGM logging."));
  EXPECT_TRUE(AnyMessageIs("No loop was was found in the VGM log."));

  std::vector<uint8_t> bytes = ReadFile(Music("tune.gg.0.vgm"));
  ParsedVgm v = ParseVgm(bytes);
  ASSERT_EQ(v.error, "");
  EXPECT_EQ(v.eof, bytes.size() - 4);
  EXPECT_EQ(v.version, 0x101u);
  EXPECT_EQ(v.clock, 3579545u);
  EXPECT_EQ(v.ym2413, 0u);
  EXPECT_EQ(v.gd3_offset, 64 + v.data.size() - 0x14);
  EXPECT_EQ(v.total, uint32_t(frames * 735));
  EXPECT_EQ(v.waited, v.total);
  EXPECT_EQ(v.loop_offset, 0u);
  EXPECT_EQ(v.loop_samples, 0u);
  EXPECT_EQ(v.rate, 60u);
  EXPECT_EQ(v.gd3_version, 0x100u);
  const std::vector<std::string> texts = {"Tune Title", "", "Tune Game", "", "Sega Game Gear", "",
                                          "Composer",   "", "2024",      "Logger", ""};
  EXPECT_EQ(v.gd3, texts);
  size_t text_bytes = 0;
  for (const std::string& t : texts) text_bytes += 2 * t.size() + 2;
  EXPECT_EQ(v.gd3_length, text_bytes);
  // The power-on state first: stereo, four volumes, three tones, noise.
  const std::vector<uint8_t> dump = {0x4F, 0xFF, 0x50, 0x9F, 0x50, 0xBF, 0x50, 0xDF, 0x50, 0xFF, 0x50, 0x80,
                                     0x50, 0x00, 0x50, 0xA0, 0x50, 0x00, 0x50, 0xC0, 0x50, 0x00, 0x50, 0xE0};
  ASSERT_GE(v.data.size(), dump.size());
  EXPECT_EQ(std::vector<uint8_t>(v.data.begin(), v.data.begin() + long(dump.size())), dump);
  int frame_waits = 0, stereo = 0;
  for (const ParsedCommand& c : v.commands) {
    frame_waits += c.code == 0x62;
    stereo += c.code == 0x4F;
    EXPECT_NE(c.code, 0x61);
  }
  EXPECT_EQ(frame_waits, frames);
  EXPECT_GT(stereo, 4);  // the tune's stereo changes


  std::vector<int16_t> played = Play(AtMachineClock(Music("tune.gg.0.vgm")), frames);
  EXPECT_EQ(VgmTitle, "Tune Title");
  EXPECT_EQ(VgmGameName, "Tune Game");
  ASSERT_EQ(played.size(), live.size());
  size_t differ = 0;
  for (size_t i = 0; i < live.size(); i++) differ += played[i] != live[i];
  EXPECT_EQ(differ, 0u);
  size_t loud = 0;
  for (int16_t s : live) loud += s != 0;
  EXPECT_GT(loud, live.size() / 2);
}

// Sample-accurate logging writes every line: a change the program makes in
// line g is placed before that line's wait, at sample floor((g - 1) x
// 183850 / 65536), one line early; the player starts a command in the line
// its time falls in, so the change plays from line g - 2. For this tune
// (writes in line 0) that is 6 samples before the live run. The player's
// chip is also given the four volumes every line, and the synthesiser
// restarts its edge smoothing wherever the log has a change, so a tone edge
// falling on a line start loses its averaged sample there: all other samples
// equal the live run's.
TEST_F(VgmLogger, SampleAccurateLogPlacesEachLinesChanges) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  SampleAccurate = true;
  ASSERT_TRUE(StartVgmLog());
  const int frames = 200;
  std::vector<Registers> live_chip;
  std::vector<int16_t> live = Run(frames, &live_chip);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm v = ParseVgm(ReadFile(Music("tune.sms.0.vgm")));
  ASSERT_EQ(v.error, "");
  const uint64_t lines = uint64_t(frames) * 262;
  EXPECT_EQ(v.total, (lines - 1) * 183850 / 65536);
  EXPECT_EQ(v.waited, v.total);
  int waits = 0;
  for (const ParsedCommand& c : v.commands) waits += c.code == 0x61;
  EXPECT_EQ(waits, int(lines));
  // Every tone write sits where a write of line 0 of some frame belongs.
  std::set<uint64_t> line_zero;
  for (uint64_t k = 1; k < uint64_t(frames); k++) line_zero.insert((262 * k - 1) * 183850 / 65536);
  int tone_writes = 0;
  for (const ParsedCommand& c : v.commands) {
    if (c.code != 0x50 || (c.value & 0x90) != 0x80 || c.position < 24) continue;
    tone_writes++;
    EXPECT_EQ(line_zero.count(c.time), 1u) << "tone write at sample " << c.time;
  }
  EXPECT_GT(tone_writes, 10);

  std::vector<Registers> played_chip;
  std::vector<int16_t> played = Play(AtMachineClock(Music("tune.sms.0.vgm")), frames, &played_chip);
  // Two lines early: after the player's frame k the chip holds what the
  // live chip held after frame k + 1.
  for (int k = 0; k + 1 < frames; k++) ASSERT_EQ(played_chip[size_t(k)], live_chip[size_t(k) + 1]) << k;
  // Sample by sample the run cannot match as a whole: the generators run on
  // from power-on, so a change that comes 6 samples early meets them at
  // another phase (a tone edge in those samples already takes the new
  // period; a noise write restarts the shift register elsewhere in its
  // step). Up to the tune's first noise write (frame 43) the tones' edges
  // are untouched here, and the samples are the live ones 6 samples early,
  // but for the smoothed edge samples on line starts.
  std::set<uint32_t> line_starts;
  for (uint64_t l = 0; l < 262; l++) line_starts.insert(uint32_t(l * 183850 / 65536));
  const size_t shift = 6, count = 43 * 735;
  size_t same = 0;
  for (size_t t = 0; t + shift < count; t++) {
    if (played[2 * t] == live[2 * (t + shift)]) {
      same++;
      continue;
    }
    bool ring_wrap = t % 2048 == 0 || (t + shift) % 2048 == 0;
    EXPECT_TRUE(line_starts.count(uint32_t(t % 735)) || ring_wrap) << "sample " << t;
  }
  EXPECT_GT(same, count * 95 / 100);
}

// The tune repeats a 96-frame pattern after a 60-frame intro: the loop
// trimmer ends the file after one pass of a whole number of patterns, the
// loop point restores the chip, and the player repeats the pass.
TEST_F(VgmLogger, LoopTrimmerFindsTheRepeatingPattern) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  TrimLoops = true;
  ASSERT_TRUE(StartVgmLog());
  Run(1500);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm v = ParseVgm(ReadFile(Music("tune.sms.0.vgm")));
  ASSERT_EQ(v.error, "");
  ASSERT_NE(v.loop_offset, 0u);
  const uint32_t pattern = 96 * 735;
  EXPECT_EQ(v.loop_samples % pattern, 0u);
  EXPECT_GE(v.loop_samples, pattern);
  EXPECT_EQ(v.total, v.waited);
  const uint32_t loop_start = v.total - v.loop_samples;
  EXPECT_EQ(loop_start % 735, 0u);
  EXPECT_LE(loop_start, (60 + 96) * 735u);
  EXPECT_EQ(TotalSamples, v.total);
  char text[100];
  std::snprintf(text, sizeof text, "The loops of the VGM log were trimmed (loop start point at %d sec.).",
                int(loop_start / 44100));
  EXPECT_TRUE(AnyMessageIs(text));
  // The loop offset points at the command that follows the wait at the
  // loop start; the file ends with a full dump, then 0x66.
  const uint32_t loop_position = v.loop_offset + 0x1C - 64;
  bool found = false;
  for (const ParsedCommand& c : v.commands)
    if (c.position == loop_position) found = c.time == loop_start;
  EXPECT_TRUE(found);
  ASSERT_GE(v.commands.size(), 13u);
  EXPECT_EQ(v.commands[v.commands.size() - 13].code, 0x4F);
  EXPECT_EQ(v.commands.back().code, 0x66);

  // Played past the end, each pass of the loop repeats the chip's registers.
  const int loop_frames = int(v.loop_samples / 735), first = int(loop_start / 735);
  std::vector<Registers> chip;
  Play(Music("tune.sms.0.vgm"), first + 2 * loop_frames + 10, &chip);
  for (int f = first; f < first + loop_frames + 10; f++)
    ASSERT_EQ(chip[size_t(f)], chip[size_t(f + loop_frames)]) << "frame " << f;
}

// The end trimmer cuts the closing silence at its first frame, and only the
// closing one: a silence inside the music stays.
TEST_F(VgmLogger, EndTrimmerCutsOnlyTheClosingSilence) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  TrimEnd = true;
  // Frames 149-156 are silent (the end of the first pattern).
  ASSERT_TRUE(StartVgmLog());
  Run(154);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm cut = ParseVgm(ReadFile(Music("tune.sms.0.vgm")));
  ASSERT_EQ(cut.error, "");
  EXPECT_EQ(cut.total, 150u * 735);
  EXPECT_EQ(cut.waited, cut.total);
  EXPECT_TRUE(AnyMessageIs("No loop was was found in the VGM log."));

  ASSERT_TRUE(StartVgmLog());
  Run(170);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm whole = ParseVgm(ReadFile(Music("tune.sms.1.vgm")));
  ASSERT_EQ(whole.error, "");
  EXPECT_EQ(whole.total, 170u * 735);
}

// PAL: 882-sample frames, 313 lines, a rate of 50.
TEST_F(VgmLogger, PalLogsUseThePalFrame) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  MachineOptions = (OptInitial & ~OptNtscRate) | OptPalLines;
  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  ASSERT_TRUE(StartVgmLog());
  Run(50);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm frame = ParseVgm(ReadFile(Music("tune.sms.0.vgm")));
  ASSERT_EQ(frame.error, "");
  EXPECT_EQ(frame.rate, 50u);
  EXPECT_EQ(frame.total, 50u * 882);
  for (const ParsedCommand& c : frame.commands) EXPECT_TRUE(c.code != 0x62 && c.code != 0x61);

  SampleAccurate = true;
  ASSERT_TRUE(StartVgmLog());
  ASSERT_TRUE(StartVgmLog());  // already logging: the log goes on
  Run(50);
  ASSERT_TRUE(StopVgmLog());
  ParsedVgm lines = ParseVgm(ReadFile(Music("tune.sms.1.vgm")));
  ASSERT_EQ(lines.error, "");
  EXPECT_EQ(lines.total, (50u * 313 - 1) * 184673 / 65536);
  EXPECT_EQ(lines.waited, lines.total);
}

TEST_F(VgmLogger, WaitsForSoundAndReportsEachState) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  // Without a cartridge nothing starts.
  EXPECT_FALSE(StartVgmLog());
  EXPECT_STREQ(StatusText, "Can't start VGM logging.");
  EXPECT_FALSE(StartVgmWait());
  EXPECT_EQ(VgmLogState, VgmLogIdle);
  EXPECT_FALSE(StopVgmLog());

  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  ChangeCalls = 0;
  VgmLoggerChanged = CountChange;
  WaitForSound = true;
  ASSERT_TRUE(StartVgmLogging());
  EXPECT_EQ(VgmLogState, VgmLogWaiting);
  EXPECT_STREQ(StatusText, "Started to wait for VGM logging.");
  Run(1);  // the tune starts in line 0 of the second frame
  EXPECT_EQ(VgmLogState, VgmLogWaiting);
  Run(1);
  EXPECT_EQ(VgmLogState, VgmLogLogging);
  Run(58);
  ASSERT_TRUE(StopVgmLog());
  EXPECT_EQ(ChangeCalls, 3);  // waiting, logging, idle
  ParsedVgm v = ParseVgm(ReadFile(Music("tune.sms.0.vgm")));
  ASSERT_EQ(v.error, "");
  // The dump holds the first notes: tone 0 C4 (428) at volume 1.
  ASSERT_GE(v.data.size(), 24u);
  EXPECT_EQ(v.data[3], 0x91);
  EXPECT_EQ(v.data[11], 0x8C);
  EXPECT_EQ(v.data[13], 0x1A);
  EXPECT_EQ(v.total, 59u * 735);

  // Stopped while waiting: a silent file with nothing but its end.
  ASSERT_TRUE(StartVgmWait());
  StopVgmLog();
  EXPECT_TRUE(AnyMessageIs("Stopped to wait for VGM logging."));
  ParsedVgm empty = ParseVgm(ReadFile(Music("tune.sms.1.vgm")));
  ASSERT_EQ(empty.error, "");
  EXPECT_EQ(empty.data, std::vector<uint8_t>{0x66});
  EXPECT_EQ(empty.total, 0u);
  EXPECT_EQ(empty.gd3_length, 22u);

  char text[40];
  TotalSamples = 2646000;
  VgmLogTimeText(text, sizeof text);
  EXPECT_STREQ(text, "Log time:    0:01:00");
}

TEST_F(VgmLogger, FileNamesAndSaveFailures) {
  if (!HaveTune()) GTEST_SKIP() << "vgm_tune.sms is not assembled";
  ASSERT_TRUE(Load("vgm_tune", "tune.sms"));
  // The first free number is taken; the temporary never stays behind.
  ASSERT_TRUE(WriteFile(Music("tune.sms.0.vgm"), {1, 2, 3}));
  ASSERT_TRUE(StartVgmLog());
  Run(3);
  ASSERT_TRUE(StopVgmLog());
  EXPECT_EQ(ReadFile(Music("tune.sms.0.vgm")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(ParseVgm(ReadFile(Music("tune.sms.1.vgm"))).error, "");
  EXPECT_TRUE(ReadFile(Music("tune.sms.1.vgm.tmp")).empty());

  for (int n = 2; n < 256; n++) ASSERT_TRUE(WriteFile(Music("tune.sms." + std::to_string(n) + ".vgm"), {0}));
  ASSERT_TRUE(StartVgmLog());
  Run(1);
  EXPECT_FALSE(StopVgmLog());
  EXPECT_STREQ(StatusText, "Couldn't save VGM.");

  // A folder that cannot be written: the message names the file.
  RemoveFolder(folder_ + "/Music");
  ASSERT_TRUE(StartVgmLog());
  Run(1);
  EXPECT_FALSE(StopVgmLog());
  EXPECT_STREQ(StatusText, "Couldn't save VGM as 'tune.sms.0.vgm'.");
}

}  // namespace
