// The VGM player on small files made for each case: compressed and plain
// files alike, the end of the data with and without a loop, commands of
// other chips, the buttons and the load command's messages.
#include <gtest/gtest.h>

#include "lumo/messages.h"
#include "machine/options.h"
#include "record/vgm_player.h"
#include "record/vgm_test_files.h"

namespace {

class VgmPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder("vgm");
    ASSERT_FALSE(folder_.empty());
    FreeVgm();
    ResetMessages();
    PsgResetSettings();
    MachineOptions = OptInitial;
  }
  void TearDown() override {
    FreeVgm();
    RemoveFolder(folder_);
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::string Save(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(WriteFile(Path(name), bytes));
    return Path(name);
  }
  std::vector<int16_t> Frames(int count) {
    std::vector<int16_t> all, frame(735 * 2);
    for (int i = 0; i < count; i++) {
      EXPECT_EQ(VgmPlayFrame(), 262);
      EXPECT_TRUE(VgmReadSamples(frame.data(), 735 * 4));
      all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
  }
  std::string folder_;
};

// A few notes on every channel, one per frame.
std::vector<uint8_t> Tune() {
  std::vector<uint8_t> d = {0x4F, 0xFF, 0x50, 0x90, 0x50, 0xB2, 0x50, 0xD4, 0x50, 0xE4, 0x50, 0xF6};
  for (int note = 0; note < 30; note++) {
    d.insert(d.end(), {0x50, uint8_t(0x80 | (note & 15)), 0x50, uint8_t(8 + note), 0x50,
                       uint8_t(0xA0 | (note * 3 & 15)), 0x50, uint8_t(20 + note), 0x62});
  }
  d.push_back(0x66);
  return d;
}

TEST_F(VgmPlayer, CompressedFilePlaysLikeThePlainOne) {
  std::vector<uint8_t> file = MakeVgm(Tune(), -1, {u"Title \u263A", u"", u"Game"});
  ASSERT_TRUE(LoadVgm(Save("tune.vgm", file).c_str()));
  EXPECT_EQ(VgmTitle, "Title  ");  // characters above 255 show as blanks
  EXPECT_EQ(VgmGameName, "Game");
  PlayVgm();
  std::vector<int16_t> plain = Frames(40);
  ASSERT_TRUE(WriteGzip(Path("tune.vgz"), file));
  ASSERT_TRUE(LoadVgm(Path("tune.vgz").c_str()));
  EXPECT_EQ(VgmTitle, "Title  ");
  EXPECT_EQ(Frames(40), plain);
  int loud = 0;
  for (int16_t s : plain) loud += s != 0;
  EXPECT_GT(loud, int(plain.size()) / 2);
}

// Without a loop the chip is reset at the end and the data starts over;
// with one the data continues at the loop point and the chip keeps its
// registers.
TEST_F(VgmPlayer, EndRestartsOrLoops) {
  // Frame 0: tone 0 at volume 0; frame 1: tone 1 set; then the end.
  std::vector<uint8_t> data = {0x50, 0x90, 0x50, 0x85, 0x62, 0x50, 0xA3, 0x50, 0x12, 0x62, 0x66};
  ASSERT_TRUE(LoadVgm(Save("once.vgm", MakeVgm(data, -1, {}, false)).c_str()));
  EXPECT_EQ(VgmTitle, "");
  PlayVgm();
  Frames(2);
  EXPECT_EQ(VgmPsg.Chip.Tone[1], 0x123);
  Frames(1);  // the end, a reset, then frame 0's commands again
  EXPECT_EQ(VgmPsg.Chip.Tone[1], 0);
  EXPECT_EQ(VgmPsg.Chip.Tone[0], 5);
  EXPECT_EQ(GetVgmPlayerPosition().samples, 735u);

  ASSERT_TRUE(LoadVgm(Save("loop.vgm", MakeVgm(data, 5)).c_str()));
  EXPECT_EQ(GetVgmPlayerPosition().loop, 5);
  Frames(2);
  // Back at the loop point: only the second frame's commands again.
  VgmPsg.Chip.Tone[0] = 7;
  Frames(1);
  EXPECT_EQ(VgmPsg.Chip.Tone[1], 0x123);
  EXPECT_EQ(VgmPsg.Chip.Tone[0], 7);
  EXPECT_TRUE(VgmPlaying);
}

TEST_F(VgmPlayer, OtherChipsAndLaterCommandsAreSkippedWhole) {
  std::vector<uint8_t> data = {
      0x50, 0x90,                    // volume 0 on tone 0
      0x52, 0x50, 0x9F,              // YM2612: its operands are no PSG write
      0x5A, 0x50, 0x9F,              // YM3812
      0xB4, 0x50, 0x9F,              // a chip of a later version, two operands
      0x67, 0x66, 0x00, 3, 0, 0, 0, 0x50, 0x9F, 0x50,  // a data block
      0x30, 0x9F,                    // a second SN76489
      0x70,                          // wait 1 sample
      0x62, 0x66};
  ASSERT_TRUE(LoadVgm(Save("chips.vgm", MakeVgm(data)).c_str()));
  PlayVgm();
  Frames(1);
  EXPECT_EQ(VgmPsg.Chip.Volume[0], 0);
  EXPECT_EQ(GetVgmPlayerPosition().samples, 736u);
}

TEST_F(VgmPlayer, ButtonsAndTheLoadCommand) {
  EXPECT_FALSE(PlayVgmFile(Path("missing.vgm").c_str()));
  EXPECT_STREQ(StatusText, "Couldn't load VGM 'missing.vgm'.");
  PlayVgm();
  EXPECT_FALSE(VgmPlaying);  // nothing loaded
  EXPECT_EQ(VgmPlayFrame(), 262);
  MachineOptions = (OptInitial & ~OptNtscRate) | OptPalLines;
  EXPECT_EQ(VgmPlayFrame(), 313);
  MachineOptions = OptInitial;

  ASSERT_TRUE(PlayVgmFile(Save("tune.vgm", MakeVgm(Tune(), -1, {u"One"})).c_str()));
  EXPECT_STREQ(StatusText, "Successfully loaded VGM 'tune.vgm'.");
  EXPECT_TRUE(VgmPlaying);
  Frames(5);
  VgmPlayerPosition at = GetVgmPlayerPosition();
  EXPECT_EQ(at.samples, 5u * 735);
  StopVgm();
  EXPECT_FALSE(VgmPlaying);
  VgmPlayFrame();  // stopped: nothing moves
  EXPECT_EQ(GetVgmPlayerPosition().position, at.position);
  PlayVgm();
  Frames(1);
  EXPECT_EQ(GetVgmPlayerPosition().samples, 6u * 735);
  RewindVgm();
  EXPECT_FALSE(VgmPlaying);
  EXPECT_EQ(GetVgmPlayerPosition().position, 0u);

  // A failed load keeps the file that was loaded, where it was.
  PlayVgm();
  Frames(3);
  at = GetVgmPlayerPosition();
  EXPECT_FALSE(PlayVgmFile(Save("bad.vgm", {'V', 'g', 'm', ' ', 0}).c_str()));
  EXPECT_STREQ(StatusText, "Couldn't load VGM 'bad.vgm'.");
  EXPECT_TRUE(VgmLoaded);
  EXPECT_EQ(VgmTitle, "One");
  EXPECT_EQ(GetVgmPlayerPosition().position, at.position);
}

}  // namespace
