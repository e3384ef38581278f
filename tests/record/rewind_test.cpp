// The rewind ring: going back gives exactly the state and picture the run
// had at that frame and plays on from there as the run did; it keeps 30
// seconds under its memory limit, dropping the oldest first, even when every
// frame changes every byte; it is off (and empty) with the debugger, movies
// and without a cartridge.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "lumo/surface.h"
#include "machine/cartridge_files.h"
#include "machine/fm_unit.h"
#include "machine/ports.h"
#include "record/movie.h"
#include "record/rewind.h"
#include "record/save_state.h"
#include "record/screenshot.h"
#include "record/state_support.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

class Rewind : public ::testing::Test {
 protected:
  void SetUp() override { ResetRewind(); }
  void TearDown() override {
    ResetRewind();
    ResetMovies();
    DebugRun = BreakState = false;
    LineEndHook = nullptr;
    FmWriteHook = nullptr;
    DestroyConsoles();
    ResetControllerInput();
    ResetConsole();
    MachineOptions = OptInitial;
  }
};

// The pads of a frame: moving and pressing, so the run depends on them.
void SetPads(int frame) {
  ControllerInput[0] = (frame / 40) % 3 == 0 ? PadRight | PadButton1 : (frame % 50 < 5 ? PadStart : PadLeft);
  ControllerInput[1] = frame % 70 < 20 ? PadUp : 0;
}

// One frame as the program runs it: pads, recorded, picture and sound.
void RunRecorded(int frame) {
  SetPads(frame);
  RecordRewindFrame(true);
  RunConsoleFrame(true, true);
  uint8_t samples[882 * 4];
  ReadSoundSamples(samples, uint32_t(SamplesPerFrame) * 4);
}

std::vector<uint8_t> Image() {
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  return image;
}

std::vector<uint8_t> Picture() {
  std::vector<uint8_t> pixels;
  if (Surface* picture = CopyEmulatedPicture()) {
    pixels.assign(picture->pixels, picture->pixels + picture->pitch * picture->height);
    DestroySurface(picture);
  }
  return pixels;
}

int g_line_ends = 0;
void CountLineEnd() { g_line_ends++; }
int g_fm_writes = 0;
void CountFmWrite(uint8_t, uint8_t) { g_fm_writes++; }

// 300 frames to get going, then 120 recorded with the state and picture
// after each; then back by
// one, three and four frames (both sides of an image frame), each landing
// exactly on the frame's state and picture, silently and unseen by the
// line and FM write hooks; then the frames played again give the same
// states.
void ExpectExactSteps(const std::string& rom, uint32_t options, bool picture_moves = true) {
  SCOPED_TRACE(rom);
  ASSERT_TRUE(StartFresh(rom, options));
  for (int frame = -300; frame < 0; frame++) {
    SetPads(frame + 300);
    RunConsoleFrame(true, true);
  }
  ResetRewind();
  std::map<int, std::vector<uint8_t>> state, picture;  // after n recorded frames
  for (int frame = 0; frame < 120; frame++) {
    RunRecorded(frame);
    state[frame + 1] = Image();
    picture[frame + 1] = Picture();
  }
  if (picture_moves) {
    ASSERT_NE(picture[100], picture[120]) << "the frames look different";
  }
  ASSERT_NE(state[119], state[120]);
  EXPECT_EQ(RewindFramesKept(), 119);
  LineEndHook = CountLineEnd;
  FmWriteHook = CountFmWrite;
  g_line_ends = g_fm_writes = 0;
  int at = 120;
  for (int step : {1, 3, 4, 1, 1}) {
    ASSERT_EQ(RewindFrames(step), step);
    at -= step;
    EXPECT_TRUE(Image() == state[at]) << "state after " << at << " frames";
    EXPECT_TRUE(Picture() == picture[at]) << "picture after " << at << " frames";
    uint8_t sample[4];
    EXPECT_FALSE(ReadSoundSamples(sample, 4)) << "going back is silent";
  }
  EXPECT_EQ(g_line_ends, 0);
  EXPECT_EQ(g_fm_writes, 0);
  LineEndHook = nullptr;
  FmWriteHook = nullptr;
  EXPECT_EQ(RewindFramesKept(), at - 1);
  for (int frame = at; frame < 120; frame++) {
    RunRecorded(frame);
    ASSERT_TRUE(Image() == state[frame + 1]) << "played on to " << frame + 1;
  }
  EXPECT_EQ(RewindFramesKept(), 119);
}

TEST_F(Rewind, GoingBackLandsOnTheFramesStateAndPictureAndPlaysOnAsBefore) {
  ExpectExactSteps(Demo, OptInitial);
  ExpectExactSteps(Demo, (OptInitial & ~OptNtscRate) | OptPalLines);
  ScratchFolder folder("rewind");
  const std::string gg = folder.Path("demo.gg");
  ASSERT_TRUE(WriteFile(gg, ReadFile(Demo)));
  ExpectExactSteps(gg, OptInitial | OptLink);
  const std::string game = TAVO_SHARED_DIR "/roms/silvervalley.sms";
  if (ReadFile(game).empty()) GTEST_SKIP() << "no shared game " << game;
  ExpectExactSteps(game, OptInitial);
  // A game playing FM music: the unit's state goes back too, and its
  // replayed writes reach no logger.
  // (its picture holds still meanwhile).
  ExpectExactSteps(TAVO_SHARED_DIR "/roms/bocksbirthday2003.sms", OptInitial | OptFmUnit, false);
}

TEST_F(Rewind, KeepsThirtySecondsAndDropsTheOldestFirst) {
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  std::map<int, std::vector<uint8_t>> state;  // after n frames, near where the ring will start
  const int total = 40 * 60;
  for (int frame = 0; frame < total; frame++) {
    RunRecorded(frame);
    if (frame >= 590 && frame < 610) state[frame + 1] = Image();
  }
  const int kept = RewindFramesKept();
  EXPECT_GE(kept, 20 * 60);
  EXPECT_LT(kept, RewindFrameLimit());
  EXPECT_EQ(RewindFrameLimit(), 30 * 60);
  EXPECT_LT(RewindMemoryUsed(), size_t(64) << 20);
  // All the way back: the oldest frame kept is shown, nothing before it.
  const int oldest = total - 1 - kept;
  ASSERT_TRUE(state.count(oldest + 1)) << oldest;
  EXPECT_EQ(RewindFrames(100000), kept);
  EXPECT_TRUE(Image() == state[oldest + 1]);
  EXPECT_EQ(RewindFramesKept(), 0);
  EXPECT_EQ(RewindFrames(1), 0);
}

// Every byte of RAM, cartridge RAM and VRAM new in every frame (no frame
// runs between): the worst a frame can do. Without link play 30 seconds still fit; with it (two
// machines, images twice the size) the memory limit drops frames first.
void FillRandom(uint64_t* seed) {
  for (Machine* m : {&PrimaryMachine, &PartnerMachine}) {
    for (uint8_t* bytes : {m->Ram, m->CartRam, m->Vdp.vram}) {
      const size_t size = bytes == m->Ram ? MachineRamSize : bytes == m->CartRam ? CartRamSize : VdpVramSize;
      if (!bytes) continue;
      for (size_t i = 0; i < size; i += 8) {
        *seed ^= *seed << 13, *seed ^= *seed >> 7, *seed ^= *seed << 17;
        std::memcpy(bytes + i, seed, 8);
      }
    }
  }
}

TEST_F(Rewind, FramesThatChangeEverythingStayUnderTheMemoryLimit) {
  ScratchFolder folder("rewind");
  const std::string gg = folder.Path("demo.gg");
  ASSERT_TRUE(WriteFile(gg, ReadFile(Demo)));
  uint64_t seed = 0x9E3779B97F4A7C15u;
  for (uint32_t options : {OptInitial, OptInitial | OptLink}) {
    ASSERT_TRUE(StartFresh(gg, options));
    ResetRewind();
    for (int frame = 0; frame < RewindFrameLimit() + 100; frame++) {
      FillRandom(&seed);
      RecordRewindFrame(true);
    }
    EXPECT_LE(RewindMemoryUsed(), RewindMemoryLimit);
    const int kept = RewindFramesKept();
    if (options & OptLink)
      EXPECT_LT(kept, RewindFrameLimit() - 1) << "the memory limit came first";
    else
      EXPECT_GE(kept, RewindFrameLimit() - 2) << "30 seconds fit";
    // Every delta applies: all the way back installs the oldest image.
    EXPECT_EQ(RewindFrames(100000), kept);
  }
}

TEST_F(Rewind, OffWithTheDebuggerMoviesAndWithoutACartridge) {
  EXPECT_STREQ(RewindRefusal(), "Can't rewind without a cartridge.");
  ASSERT_TRUE(StartFresh(Demo, OptInitial));
  EXPECT_TRUE(RewindAvailable());
  struct Case {
    bool* flag;
    uint8_t movie;
    const char* refusal;
  };
  for (const Case& c : {Case{&BreakState, MovieIdle, "Can't rewind while the debugger is on."},
                        Case{&DebugRun, MovieIdle, "Can't rewind while the debugger is on."},
                        Case{nullptr, MovieRecording, "Can't rewind while a movie is recorded."},
                        Case{nullptr, MoviePlaying, "Can't rewind while a movie plays."}}) {
    for (int frame = 0; frame < 10; frame++) RunRecorded(frame);
    ASSERT_EQ(RewindFramesKept(), 9);
    if (c.flag) *c.flag = true;
    MovieState = c.movie;
    EXPECT_STREQ(RewindRefusal(), c.refusal);
    const std::vector<uint8_t> before = Image();
    EXPECT_EQ(RewindFrames(5), 0);
    EXPECT_TRUE(Image() == before) << c.refusal;
    RecordRewindFrame(true);
    EXPECT_EQ(RewindFramesKept(), 0) << "nothing recorded, the ring emptied: " << c.refusal;
    if (c.flag) *c.flag = false;
    MovieState = MovieIdle;
    EXPECT_EQ(RewindFrames(1), 0);
  }
}

}  // namespace
