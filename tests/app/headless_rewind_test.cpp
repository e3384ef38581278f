// tavo-headless --rewind FRAME:SECONDS: going back 5 seconds after 600
// frames ends on the picture of a 300-frame run; the run plays on from there
// with the script going by the frames run, to the very state and sound of a
// plain run given the same pads; a rewind beyond what is kept goes back as
// far as it can and says so; bad values are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/headless_options.h"
#include "headless_fixture.h"
#include "machine/cartridge_files.h"

namespace {

const std::string Demo = TAVO_ROM_DIR "/demo.sms";
const std::string SharedGame = TAVO_SHARED_DIR "/roms/silvervalley.sms";

class HeadlessRewind : public HeadlessFixture {
 protected:
  void Script(const std::string& name, const std::string& text) {
    ASSERT_TRUE(WriteFile(Path(name), std::vector<uint8_t>(text.begin(), text.end())));
  }
  // The picture CRC of a run's report.
  std::string PictureCrc(const std::string& args) {
    EXPECT_EQ(Run(args + " --report " + Path("r.json")), 0) << err_;
    const std::string json = Text("r.json");
    const size_t at = json.find("\"picture_crc32\": ");
    return at == std::string::npos ? "" : json.substr(at + 17, 10);
  }

  void ExpectPictureOfFrame300(const std::string& rom) {
    SCOPED_TRACE(rom);
    Script("pad.txt", "0-5 a\n10-40 right\n100-110 a\n150-260 right a\n270-299 left\n300-500 right\n520-599 a\n");
    const std::string input = "--input " + Path("pad.txt") + " ";
    const std::string rewound = PictureCrc(input + "--frames 600 --rewind 600:5 " + rom);
    EXPECT_NE(Text("r.json").find("\"frames\": 600,"), std::string::npos) << "the frames run";
    EXPECT_EQ(rewound, PictureCrc(input + "--frames 300 " + rom));
    EXPECT_NE(rewound, PictureCrc(input + "--frames 600 " + rom)) << "frame 600 looks different";
  }
};

TEST_F(HeadlessRewind, FiveSecondsBackAfterSixHundredFramesIsThePictureOfFrameThreeHundred) {
  ExpectPictureOfFrame300(Demo);
  // PAL: five seconds are 250 frames.
  EXPECT_EQ(PictureCrc("--pal --frames 500 --rewind 500:5 " + Demo), PictureCrc("--pal --frames 250 " + Demo));
  if (ReadFile(SharedGame).empty()) GTEST_SKIP() << "no shared game " << SharedGame;
  ExpectPictureOfFrame300(SharedGame);
}

// After the rewind at 600 the frames 600-899 of the script drive frames
// 300-599 of the play: a plain run with those presses moved 300 frames
// earlier ends in the same state, and its last 300 frames sound the same.
TEST_F(HeadlessRewind, TheRunPlaysOnFromThereWithTheScriptByFramesRun) {
  Script("rewound.txt", "0-5 a\n100-110 a\n200-260 right a\n270-299 left\n600-700 left a\n750-899 right\n");
  Script("plain.txt", "0-5 a\n100-110 a\n200-260 right a\n270-299 left\n300-400 left a\n450-599 right\n");
  ASSERT_EQ(Run("--input " + Path("rewound.txt") + " --frames 900 --rewind 600:5 --save-state " + Path("a.st0") +
                " --wav " + Path("a.wav") + " " + Demo),
            0)
      << err_;
  ASSERT_EQ(Run("--input " + Path("plain.txt") + " --frames 600 --save-state " + Path("b.st0") + " --wav " +
                Path("b.wav") + " " + Demo),
            0);
  EXPECT_TRUE(ReadFile(Path("a.st0")) == ReadFile(Path("b.st0")));
  const std::vector<uint8_t> a = ReadFile(Path("a.wav")), b = ReadFile(Path("b.wav"));
  const size_t tail = 300 * 735 * 4;
  ASSERT_EQ(a.size(), 44 + 900 * 735 * 4);
  ASSERT_EQ(b.size(), 44 + 600 * 735 * 4);
  EXPECT_TRUE(std::equal(a.end() - tail, a.end(), b.end() - tail));
}

TEST_F(HeadlessRewind, BackAsFarAsKeptAndSaysSo) {
  // After 100 frames the ring goes back 99: the picture of the first frame.
  EXPECT_EQ(PictureCrc("--frames 100 --rewind 100:5 " + Demo), PictureCrc("--frames 1 " + Demo));
  EXPECT_EQ(Run("--frames 100 --rewind 100:5 " + Demo), 0);
  EXPECT_EQ(err_, "tavo-headless: --rewind 100:5 went back 99 of 300 frames, all that were kept.\n");
  // Two at one frame and one later: each goes on from where the last left.
  EXPECT_EQ(PictureCrc("--frames 400 --rewind 400:1 --rewind 400:1.5 --rewind 200:0.5 " + Demo),
            PictureCrc("--frames 220 " + Demo));
}

TEST(HeadlessRewindOptions, FrameAndSecondsOrExitTwo) {
  auto parse = [](std::vector<const char*> args, HeadlessOptions* o, std::string* error) {
    args.insert(args.begin(), "tavo-headless");
    args.push_back("game.sms");
    return ParseHeadlessOptions(int(args.size()), args.data(), o, error);
  };
  HeadlessOptions o;
  std::string error;
  ASSERT_EQ(parse({"--rewind", "600:5", "--rewind", "100:0.25"}, &o, &error), ParseResult::Run);
  ASSERT_EQ(o.rewinds.size(), 2u);
  EXPECT_EQ(o.rewinds[0].after_frame, 100);  // in the order they act
  EXPECT_DOUBLE_EQ(o.rewinds[0].seconds, 0.25);
  EXPECT_EQ(o.rewinds[1].after_frame, 600);
  EXPECT_DOUBLE_EQ(o.rewinds[1].seconds, 5);
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"--rewind"}, {"--rewind", "600"}, {"--rewind", "600:"}, {"--rewind", ":5"}, {"--rewind", "0:5"},
           {"--rewind", "600:0"}, {"--rewind", "600:31"}, {"--rewind", "600:1.5.2"}, {"--rewind", "600:-1"},
           {"--rewind", "600:.5"}, {"--rewind", "600:5s"}, {"--rewind", "x:5"},
           {"--rewind", "600:5", "--movie", "m.movie"}, {"--rewind", "600:5", "--record-movie", "m.movie"}}) {
    HeadlessOptions bad;
    EXPECT_EQ(parse(args, &bad, &error), ParseResult::Bad) << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(error.empty());
  }
}

TEST_F(HeadlessRewind, ABadRewindExitsTwoWithItsReason) {
  EXPECT_EQ(Run("--rewind 600 " + Demo), 2);
  EXPECT_NE(err_.find("bad rewind '600'"), std::string::npos) << err_;
}

}  // namespace
