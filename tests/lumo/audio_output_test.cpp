// Sound output on SDL's dummy audio driver, with a fake play cursor that the
// test moves block by block: which blocks each feed writes, from which
// source, and what happens when a source runs short.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "config/config.h"
#include "debugger/debugger_state.h"
#include "lumo/audio_output.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/psg.h"

namespace {

uint32_t g_cursor = 0;
uint32_t FakeCursor() { return g_cursor; }

// A stand-in VGM player: every block it gives is filled with its serial
// number, 1, 2, 3 ...; while `dry` it has nothing.
uint8_t g_serial = 0;
bool g_dry = false;
bool NumberedBlocks(void* buffer, uint32_t bytes) {
  if (g_dry) return false;
  std::memset(buffer, ++g_serial, bytes);
  return true;
}

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAudio();
    ResetAppState();
    BreakState = false;
    SamplesPerFrame = 735;
    g_cursor = 0;
    g_serial = 0;
    g_dry = false;
    ASSERT_EQ(AudioStart(), 0) << AudioError();
    AudioPlayCursor = FakeCursor;
  }
  void TearDown() override {
    ResetAudio();
    ResetAppState();
    BreakState = false;
    SamplesPerFrame = 735;
  }

  // Puts the play cursor somewhere inside block b and feeds.
  static void FeedAt(int block) {
    g_cursor = uint32_t(block) * AudioBlockSize() + 123;
    AudioFeed();
  }
  // The value every byte of block b holds, or -1 when they differ.
  static int BlockFill(int block) {
    const uint8_t* data = AudioRingData() + size_t(block) * AudioBlockSize();
    for (uint32_t i = 1; i < AudioBlockSize(); i++)
      if (data[i] != data[0]) return -1;
    return data[0];
  }
  static std::vector<int> Blocks() {
    std::vector<int> fills;
    for (int b = 0; b < AudioBlockCount; b++) fills.push_back(BlockFill(b));
    return fills;
  }
};

TEST_F(AudioTest, RefillsTheBlocksOneToThreeBehindTheCursor) {
  EXPECT_TRUE(AudioStarted());
  EXPECT_EQ(AudioBlockSize(), 2940u);
  AudioVgmSource = NumberedBlocks;
  FeedAt(0);  // nothing has been played yet
  EXPECT_EQ(Blocks(), (std::vector<int>{0, 0, 0, 0, 0, 0}));
  FeedAt(1);
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AudioNextBlock(), 1);
  FeedAt(4);  // three behind: up to the cursor's block, five ahead of it
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 2, 3, 4, 0, 0}));
  EXPECT_EQ(AudioNextBlock(), 4);
  FeedAt(0);  // around the ring
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(AudioNextBlock(), 0);
  FeedAt(0);
  EXPECT_EQ(g_serial, 6);
  // Overtaken by four or five blocks: the writer waits for the cursor to
  // come round, and the old blocks play again meanwhile.
  FeedAt(4);
  FeedAt(5);
  EXPECT_EQ(g_serial, 6);
  EXPECT_EQ(AudioNextBlock(), 0);
  FeedAt(1);
  EXPECT_EQ(Blocks(), (std::vector<int>{7, 2, 3, 4, 5, 6}));
}

TEST_F(AudioTest, SourcesInTheirOrder) {
  AudioVgmSource = NumberedBlocks;
  Paused = true;  // the VGM player plays on while the emulation is paused
  FeedAt(1);
  EXPECT_EQ(BlockFill(0), 1);
  AppActive = false;  // inactive: silence even for the VGM player
  FeedAt(2);
  EXPECT_EQ(BlockFill(1), 0);
  AppActive = true;
  AudioVgmSource = nullptr;
  FeedAt(3);  // paused
  EXPECT_EQ(BlockFill(2), 0);
  Paused = false;
  BreakState = true;
  std::memset(const_cast<uint8_t*>(AudioRingData()), 0x55, size_t(AudioBlockSize()) * AudioBlockCount);
  FeedAt(4);
  EXPECT_EQ(BlockFill(3), 0);
  BreakState = false;
  AudioVideoRecording = true;  // the recorder takes the machine's sound
  FeedAt(5);
  EXPECT_EQ(BlockFill(4), 0);
  EXPECT_EQ(BlockFill(5), 0x55);
}

TEST_F(AudioTest, ShortSourceKeepsTheOldBlock) {
  AudioVgmSource = NumberedBlocks;
  FeedAt(2);
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 2, 0, 0, 0, 0}));
  g_dry = true;
  FeedAt(5);  // blocks 2 to 4 are free but there is nothing to put there
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(AudioNextBlock(), 2);
  FeedAt(0);
  FeedAt(1);  // block 1 replays its old sound; block 2 is now 5 behind
  EXPECT_EQ(AudioNextBlock(), 2);
  g_dry = false;
  FeedAt(3);
  EXPECT_EQ(Blocks(), (std::vector<int>{1, 2, 3, 0, 0, 0}));
}

TEST_F(AudioTest, MachineSamplesInWholeBlocksOnly) {
  MachineOptions = OptInitial;
  ASSERT_TRUE(CreateConsoles());
  HardResetConsole();
  PsgResetSettings();  // full output volume
  PsgState* psg = &PrimaryMachine.Psg;
  PsgWrite(psg, 0x80);  // tone 0: period 0, a steady level, at full volume
  PsgWrite(psg, 0x00);
  PsgWrite(psg, 0x90);
  for (int line = 0; line < 262; line++) PsgLineTick(psg, true);
  PsgFrameEnd(psg, true);  // one frame of samples
  PsgRender(psg, 100);     // and a bit of the next
  std::vector<uint8_t> expected(2940);
  std::memcpy(expected.data(), reinterpret_cast<const uint8_t*>(psg->Ring) + psg->RingRead, 2940);
  ASSERT_NE(expected, std::vector<uint8_t>(2940, 0));
  FeedAt(3);
  EXPECT_EQ(std::memcmp(AudioRingData(), expected.data(), 2940), 0);
  EXPECT_EQ(BlockFill(1), 0) << "no partial block";
  EXPECT_EQ(AudioNextBlock(), 1);
  EXPECT_EQ(psg->RingFill, 400u);  // the rest waits for the next frame
  DestroyConsoles();
  ResetConsoleState();
  MachineOptions = OptInitial;
}

TEST_F(AudioTest, StandardChangeRestartsWithTheNewBlockSize) {
  AudioVgmSource = NumberedBlocks;
  FeedAt(3);
  SamplesPerFrame = 882;  // PAL
  g_cursor = 3528 + 1;
  AudioFeed();
  EXPECT_TRUE(AudioStarted());
  EXPECT_EQ(AudioBlockSize(), 3528u);
  EXPECT_EQ(Blocks(), (std::vector<int>{4, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AudioNextBlock(), 1);
}

TEST_F(AudioTest, SoundSettingStartsAndStops) {
  Config.sound_enabled = false;
  EXPECT_EQ(AudioApplySoundEnabled(), 0);
  EXPECT_FALSE(AudioStarted());
  EXPECT_EQ(AudioRingData(), nullptr);
  AudioFeed();  // stopped: nothing
  Config.sound_enabled = true;
  EXPECT_EQ(AudioApplySoundEnabled(), 0);
  EXPECT_TRUE(AudioStarted());
  EXPECT_EQ(AudioStart(), 0);  // already started
}

TEST_F(AudioTest, NoDeviceLeavesTheProgramSilent) {
  AudioStop();
  const char* old = getenv("SDL_AUDIODRIVER");
  const std::string saved = old ? old : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_NE(AudioStart(), 0);
  if (saved.empty())
    unsetenv("SDL_AUDIODRIVER");
  else
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  EXPECT_FALSE(AudioStarted());
  EXPECT_STRNE(AudioError(), "");
  AudioFeed();
  EXPECT_EQ(AudioStart(), 0) << AudioError();  // and the next try works
}

}  // namespace
