// Broken and hostile SSP files: each gives 0 pictures and leaves nothing
// allocated, never a crash, under AddressSanitizer and
// UndefinedBehaviorSanitizer. Also replays the fuzzing corpus.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "lumo/font.h"
#include "lumo/ssp.h"
#include "lumo/ssp_builder.h"
#include "lumo/surface.h"

namespace {

class HostileSsp : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(LiveSurfaceCount(), 0) << "a failed load left a surface behind";
    ResetSurfaces();
  }
  static int Decode(const std::vector<uint8_t>& data, int max = 256) {
    Surface* table[256];
    int n = DecodeSsp(data.data(), data.size(), table, max, 0);
    for (int i = 0; n == 0 && i < max; i++) EXPECT_EQ(table[i], nullptr);
    FreeSspPictures(table, max);
    return n;
  }
};

std::vector<uint8_t> Good() { return SspFile(16, {{4, 3, 1, 0xF81F}, {2, 2, 0, 0x1111}, {5, 1, 0, 2}}); }

TEST_F(HostileSsp, EveryTruncationFailsWhole) {
  const auto good = Good();
  ASSERT_EQ(Decode(good), 3);
  for (size_t n = 0; n < good.size(); n++) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + n);
    EXPECT_EQ(Decode(cut), 0) << "cut at " << n;
  }
}

TEST_F(HostileSsp, BadHeadersAndSizes) {
  auto data = Good();
  data[8] = 24;  // 24 bits per pixel is not a picture-set depth
  EXPECT_EQ(Decode(data), 0);
  data = Good();
  data[0] = 's';
  EXPECT_EQ(Decode(data), 0);
  // A count far past the pictures present.
  EXPECT_EQ(Decode(SspFile(16, {{2, 2, 0, 0}}, 0xFFFFFFFF - 1)), 0);
  // Sizes whose product overflows 32 and 64 bits, and sizes past the end.
  for (uint32_t w : {0xFFFFFFFFu, 0x80000000u, 0x40000001u, 5000u, 4097u})
    for (uint32_t h : {0xFFFFFFFFu, 0x10000u, 2u}) {
      auto bad = SspFile(32, {{1, 1, 0, 0}});
      bad[28] = (uint8_t)w, bad[29] = (uint8_t)(w >> 8), bad[30] = (uint8_t)(w >> 16), bad[31] = (uint8_t)(w >> 24);
      bad[32] = (uint8_t)h, bad[33] = (uint8_t)(h >> 8), bad[34] = (uint8_t)(h >> 16), bad[35] = (uint8_t)(h >> 24);
      EXPECT_EQ(Decode(bad), 0) << w << " x " << h;
    }
  // Zero-sized pictures are empty entries, not failures.
  EXPECT_EQ(Decode(SspFile(8, {{0, 100000, 1, 0}, {100000, 0, 1, 0}, {1, 1, 0, 7}})), 3);
  // No pictures at all loads nothing.
  EXPECT_EQ(Decode(SspFile(8, {})), 0);
  EXPECT_EQ(Decode(Good(), 0), 0);
}

TEST_F(HostileSsp, FontsRejectWhatTheStripCannotHold) {
  // 256 glyphs 255 wide at 32 bits: the strip's pitch would pass 64 KB.
  std::vector<SspPictureSpec> wide(256, {255, 1, 1, 0});
  const std::string path = "/tmp/tavo_hostile_font_" + std::to_string(getpid()) + ".ssp";
  ASSERT_TRUE(WriteFile(path, SspFile(32, wide)));
  Font font;
  EXPECT_FALSE(LoadFont(&font, path.c_str(), 0));
  EXPECT_EQ(font.strip, nullptr);
  ASSERT_TRUE(WriteFile(path, SspFile(16, {{300, 1, 1, 0}})));
  EXPECT_FALSE(LoadFont(&font, path.c_str(), 0)) << "glyph widths are one byte";
  ASSERT_TRUE(WriteFile(path, SspFile(16, {{0, 0, 1, 0}})));
  EXPECT_FALSE(LoadFont(&font, path.c_str(), 0)) << "a font without any glyph";
  remove(path.c_str());
}

TEST_F(HostileSsp, CorpusReplays) {
  const std::string dir = std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/corpus/ssp";
  DIR* d = opendir(dir.c_str());
  ASSERT_NE(d, nullptr);
  int files = 0;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    Surface* table[256];
    int n = LoadSsp((dir + "/" + e->d_name).c_str(), table, 256, 0);
    FreeSspPictures(table, n > 0 ? 256 : 0);
    files++;
  }
  closedir(d);
  EXPECT_GT(files, 0);
}

}  // namespace
