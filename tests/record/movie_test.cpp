// Movies: the file layout written and read back, playback of the recorded
// input and messages, the Send rules, the slot's file, and hostile movie
// files refused with the machine and the player as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/program_dir.h"
#include "lumo/messages.h"
#include "machine/cartridge_files.h"
#include "machine/ports.h"
#include "record/movie.h"
#include "record/save_state.h"
#include "record/state_support.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";

uint32_t Word(const std::vector<uint8_t>& file, size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t(file[at + 3]) << 24;
}

class Movies : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
    ResetMessages();
    ResetMovies();
    ASSERT_TRUE(StartFresh(Demo, OptInitial));
  }
  void TearDown() override {
    ResetMovies();
    DestroyConsoles();
    ResetProgramDirectory();
    ResetControllerInput();
    ResetConsole();
    ResetAppState();
    BreakState = false;
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }
  std::string SlotPath(int slot) const { return folder_ + "/Movies/demo.sms." + std::to_string(slot) + ".movie"; }
  std::string folder_;
};

TEST_F(Movies, HundredFramesMakeTheFileLayoutAndPlayBack) {
  MovieSlot = 3;
  ASSERT_TRUE(StartMovieRecording());
  EXPECT_STREQ(StatusText, "Started movie recording.");
  MovieSlot = 4;  // the recording keeps the file it started with
  for (int frame = 0; frame < 100; ++frame) {
    // A live word never brings the message flag in by itself.
    ControllerInput[0] = uint16_t(frame | (frame == 50 ? MovieMessageFlag : 0));
    ControllerInput[1] = uint16_t(0x8000 | frame);
    RecordMovieFrame(nullptr);
  }
  StopMovieRecording();
  EXPECT_STREQ(StatusText, "Successfully saved movie as 'demo.sms.3.movie'.");

  const std::vector<uint8_t> file = ReadFile(SlotPath(3));
  ASSERT_EQ(file.size(), 18 + 1600 + StateFileSize);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 14), "Tavo movie[1]\n");
  EXPECT_EQ(Word(file, 14), 200u);
  EXPECT_EQ(Word(file, 18 + 4 * 100), 50u);
  EXPECT_EQ(Word(file, 18 + 4 * 51), 0x8000u | 25);
  for (size_t at = 18 + 800; at < 18 + 1600; ++at) ASSERT_EQ(file[at], 0) << "filler at " << at;
  EXPECT_EQ(std::string(file.begin() + 1618, file.begin() + 1629), "Tavo State\n");
  ParsedMovie parsed;
  ASSERT_TRUE(ParseMovie(file.data(), file.size(), &parsed));
  EXPECT_EQ(parsed.frames, 100);
  EXPECT_EQ(parsed.state_at, 1618u);

  MovieSlot = 3;
  ASSERT_TRUE(StartMoviePlayback());
  EXPECT_STREQ(StatusText, "Playing movie 'demo.sms.3.movie'.");
  EXPECT_EQ(MovieFrameCount(), 100);
  for (int frame = 0; frame < 100; ++frame) {
    ControllerInput[0] = ControllerInput[1] = 0xFFFF;  // live input is overridden
    EXPECT_EQ(PlayMovieFrame(), nullptr);
    ASSERT_EQ(ControllerInput[0], frame) << frame;
    ASSERT_EQ(ControllerInput[1], 0x8000 | frame);
    ASSERT_EQ(MovieState, frame < 99 ? MoviePlaying : MovieIdle) << frame;
  }
  EXPECT_STREQ(StatusText, "The movie has reached its end.");
}

TEST_F(Movies, MessagesGoWithTheirFramesAndTheSendRulesHold) {
  EXPECT_FALSE(SendMovieMessage("too early"));
  EXPECT_STREQ(StatusText, "Can't send movie message while no movie is recorded.");
  ASSERT_TRUE(StartMovieRecording());
  Paused = true;
  EXPECT_FALSE(SendMovieMessage("paused"));
  EXPECT_STREQ(StatusText, "Can't send movie message while emulation is paused.");
  Paused = false;

  RecordMovieFrame(nullptr);
  ASSERT_TRUE(SendMovieMessage("Boss"));
  EXPECT_STREQ(MovieMessageText, "Boss");
  RecordMovieFrame(nullptr);  // every frame of the pass carries it
  RecordMovieFrame(nullptr);
  EndMoviePass();
  RecordMovieFrame(nullptr);
  RecordMovieFrame(std::string(300, 'a').c_str());
  RecordMovieFrame("");
  // Starting playback saves the recording and plays the file just saved.
  ASSERT_TRUE(StartMoviePlayback());
  EXPECT_EQ(MovieFrameCount(), 6);

  const std::vector<uint8_t> file = ReadFile(SlotPath(0));
  // Frame 2: the flag, controller 2, "Boss" and its zero byte in two words.
  EXPECT_EQ(Word(file, 18 + 8), MovieMessageFlag);
  EXPECT_EQ(std::string(file.begin() + 18 + 16, file.begin() + 18 + 21), std::string("Boss\0", 5));
  EXPECT_EQ(Word(file, 14), 2u + 4 + 4 + 2 + (2 + 64) + (2 + 1));

  std::vector<std::string> messages;
  while (MovieState == MoviePlaying) {
    const char* message = PlayMovieFrame();
    messages.push_back(message ? message : "(none)");
  }
  EXPECT_EQ(messages, (std::vector<std::string>{"(none)", "Boss", "Boss", "(none)", std::string(255, 'a'), ""}));
  EXPECT_STREQ(StatusText, "The movie has reached its end.");
}

TEST_F(Movies, CommandsWithoutAFileOrAFolderSayWhy) {
  MovieSlot = 7;
  EXPECT_FALSE(StartMoviePlayback());
  EXPECT_STREQ(StatusText, "Can't load movie 'demo.sms.7.movie'.");
  ResetProgramDirectory();
  EXPECT_FALSE(StartMovieRecording());
  EXPECT_STREQ(StatusText, "Can't start movie recording.");
  EXPECT_EQ(MovieState, MovieIdle);
  // A recording whose file went away meanwhile keeps its frames.
  SetProgramDirectory(folder_);
  ASSERT_TRUE(StartMovieRecording());
  RecordMovieFrame(nullptr);
  RemoveFolder(folder_ + "/Movies");
  StopMovieRecording();
  EXPECT_STREQ(StatusText, "Can't save movie as 'demo.sms.7.movie'.");
  EXPECT_EQ(MovieFrameCount(), 1);
  EXPECT_EQ(MovieState, MovieIdle);
}

TEST_F(Movies, HostileFilesAreRefusedAndChangeNothing) {
  ControllerInput[0] = PadRight;
  ASSERT_TRUE(StartMovieRecording());
  for (int frame = 0; frame < 10; ++frame) RecordMovieFrame(frame == 4 ? "hi" : nullptr);
  StopMovieRecording();
  const std::vector<uint8_t> good = ReadFile(SlotPath(0));
  ASSERT_GT(good.size(), 18u + 8 * 21);
  for (int frame = 0; frame < 30; ++frame) RunConsoleFrame(true, true);  // away from the start state

  // Frame 4's message "hi" is word 10; from there on no zero byte is left.
  const size_t state_at = 18 + 8 * 21;
  std::vector<uint8_t> no_terminator = good;
  std::memset(no_terminator.data() + 18 + 4 * 10, 'A', 4 * 11);
  // One word more: the frame area grows by 8 bytes into the state.
  std::vector<uint8_t> n_beyond = good;
  n_beyond[14] = uint8_t(good[14] + 1);
  std::vector<uint8_t> huge_n = good;
  huge_n[14] = huge_n[15] = huge_n[16] = huge_n[17] = 0xFF;
  std::vector<uint8_t> bad_state = good;
  bad_state[state_at] = 'X';
  std::vector<uint8_t> cut_state(good.begin(), good.end() - 1);
  std::vector<uint8_t> wrong_magic = good;
  wrong_magic[11] = '2';
  const std::vector<std::vector<uint8_t>> hostile = {
      {},        std::vector<uint8_t>(good.begin(), good.begin() + 13), wrong_magic, huge_n,
      bad_state, cut_state, no_terminator, std::vector<uint8_t>(good.begin(), good.begin() + state_at),
      n_beyond,
  };
  ASSERT_EQ(Word(good, 14), 21u);
  MovieSlot = 0;
  ASSERT_TRUE(StartMoviePlayback());
  PlayMovieFrame();
  const std::vector<uint8_t> playing = SnapshotSystem();
  MovieSlot = 1;
  for (size_t i = 0; i < hostile.size(); ++i) {
    ASSERT_TRUE(WriteFile(SlotPath(1), hostile[i]));
    ResetMessages();
    EXPECT_FALSE(StartMoviePlayback()) << i;
    EXPECT_STREQ(StatusText, "The movie 'demo.sms.1.movie' has an invalid format.") << i;
    EXPECT_EQ(SnapshotSystem(), playing) << i;
    // The movie under way plays on where it was.
    EXPECT_EQ(MovieState, MoviePlaying);
    EXPECT_EQ(MovieFramesPlayed(), 1);
  }
}

}  // namespace
