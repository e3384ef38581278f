// The VGM reader and player facing broken and hostile files, under the
// sanitizers: every file is refused whole or plays and stops cleanly, and
// a refused file leaves the loaded one as it was.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "machine/options.h"
#include "record/vgm_player.h"
#include "record/vgm_test_files.h"

namespace {

class VgmHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder("vgm");
    ASSERT_FALSE(folder_.empty());
    FreeVgm();
    MachineOptions = OptInitial;
  }
  void TearDown() override {
    FreeVgm();
    RemoveFolder(folder_);
  }
  std::string Save(const std::vector<uint8_t>& bytes) {
    std::string path = folder_ + "/f" + std::to_string(saved_++) + ".vgm";
    EXPECT_TRUE(WriteFile(path, bytes));
    return path;
  }
  void PlayFrames(int count) {
    for (int i = 0; i < count; i++) VgmPlayFrame();
  }
  std::string folder_;
  int saved_ = 0;
};

std::vector<uint8_t> Good() { return MakeVgm({0x50, 0x90, 0x62, 0x66}, -1, {u"Good"}); }

TEST_F(VgmHostile, BrokenFilesAreRefused) {
  ASSERT_TRUE(LoadVgm(Save(Good()).c_str()));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  std::vector<uint8_t> f = Good();
  f.resize(63);
  cases.push_back({"short header", f});
  f = Good();
  f[0] = 'v';
  cases.push_back({"wrong magic", f});
  f = Good();
  SetLe32(&f, 0x14, 20);
  cases.push_back({"tag before the data", f});
  f = MakeVgm({0x62, 0x66}, -1, {}, false);
  SetLe32(&f, 0x04, 0);
  cases.push_back({"end before the data", f});
  f = MakeVgm({0x62, 0x66}, -1, {}, false);
  SetLe32(&f, 0x04, 0xFFFFFFF0u);
  cases.push_back({"data beyond any size taken", f});
  f = MakeVgm({0x62, 0x66}, -1, {}, false);
  SetLe32(&f, 0x04, 100u << 20);
  cases.push_back({"data past the end of the file", f});
  f = Good();
  SetLe32(&f, 0x14, 0xFFFFFF00u);
  cases.push_back({"tag offset past the end", f});
  f = Good();
  SetLe32(&f, 0x1C, 0x1000);
  cases.push_back({"loop past the end", f});
  f = Good();
  SetLe32(&f, 0x1C, 4);
  cases.push_back({"loop inside the header", f});
  f = Good();
  SetLe32(&f, 0x08, 0x150);
  SetLe32(&f, 0x34, 4);
  cases.push_back({"data offset inside the header", f});
  f = Good();
  SetLe32(&f, 0x08, 0x171);
  SetLe32(&f, 0x34, 0x400);
  cases.push_back({"data offset past the tag", f});
  for (const Case& c : cases) {
    EXPECT_FALSE(LoadVgm(Save(c.bytes).c_str())) << c.what;
    EXPECT_TRUE(VgmLoaded);
    EXPECT_EQ(VgmTitle, "Good") << c.what;
  }
  // A gzip stream cut in the middle of the data.
  std::vector<uint8_t> big = {0x50, 0x90};
  for (int i = 0; i < 20000; i++) big.insert(big.end(), {0x50, uint8_t(i & 0x7F), 0x61, uint8_t(i), 1});
  big.push_back(0x66);
  std::string vgz = folder_ + "/cut.vgz";
  ASSERT_TRUE(WriteGzip(vgz, MakeVgm(big)));
  std::vector<uint8_t> packed = ReadFile(vgz);
  ASSERT_TRUE(WriteFile(vgz, std::vector<uint8_t>(packed.begin(), packed.begin() + long(packed.size() / 2))));
  EXPECT_FALSE(LoadVgm(vgz.c_str()));
  // Not regular files: neither blocks nor loads.
  std::string fifo = folder_ + "/pipe.vgm";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(LoadVgm(fifo.c_str()));
  EXPECT_FALSE(LoadVgm(folder_.c_str()));
  EXPECT_EQ(VgmTitle, "Good");
}

TEST_F(VgmHostile, FilesThatCannotGoOnStopCleanly) {
  // Nothing but waits of zero: the end comes with no time passed.
  ASSERT_TRUE(LoadVgm(Save(MakeVgm({0x61, 0, 0, 0x50, 0x90, 0x61, 0, 0, 0x66})).c_str()));
  PlayVgm();
  PlayFrames(1);
  EXPECT_FALSE(VgmPlaying);
  // A loop whose part takes no time plays its intro, then stops.
  ASSERT_TRUE(LoadVgm(Save(MakeVgm({0x62, 0x62, 0x50, 0x90, 0x61, 0, 0, 0x66}, 2)).c_str()));
  PlayVgm();
  PlayFrames(2);
  EXPECT_TRUE(VgmPlaying);
  PlayFrames(1);
  EXPECT_FALSE(VgmPlaying);
  // A data block claiming more than the data holds ends the data there.
  ASSERT_TRUE(LoadVgm(Save(MakeVgm({0x62, 0x67, 0x66, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x50})).c_str()));
  PlayVgm();
  PlayFrames(4);
  EXPECT_TRUE(VgmPlaying);
  EXPECT_LE(GetVgmPlayerPosition().position, 1u);
  // The longest wait, again and again, and a wait cut off by the end.
  ASSERT_TRUE(LoadVgm(Save(MakeVgm({0x61, 0xFF, 0xFF, 0x61, 0xFF, 0xFF, 0x61, 0x10})).c_str()));
  PlayVgm();
  PlayFrames(100);
  EXPECT_TRUE(VgmPlaying);
  EXPECT_EQ(GetVgmPlayerPosition().samples, 65535u * 2);
  // Half a million writes without a wait: each line runs a bounded number.
  std::vector<uint8_t> busy;
  for (int i = 0; i < 500000; i++) busy.insert(busy.end(), {0x50, 0x9F});
  busy.push_back(0x62);
  ASSERT_TRUE(LoadVgm(Save(MakeVgm(busy)).c_str()));
  PlayVgm();
  PlayFrames(1);
  EXPECT_TRUE(VgmPlaying);
  EXPECT_GT(GetVgmPlayerPosition().position, 0u);
}

// Whatever the fuzzer found worth keeping loads (or not) and plays cleanly.
TEST_F(VgmHostile, FuzzCorpusPlays) {
  std::string corpus = TAVO_SOURCE_DIR "/tests/fuzz/corpus/vgm";
  DIR* dir = opendir(corpus.c_str());
  ASSERT_NE(dir, nullptr);
  int files = 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    files++;
    if (LoadVgm((corpus + "/" + entry->d_name).c_str())) {
      PlayVgm();
      PlayFrames(3);
    }
  }
  closedir(dir);
  EXPECT_GT(files, 3);
}

}  // namespace
