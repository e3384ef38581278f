// The processor's scaling of the display picture: crisp edges, exact whole
// numbers, and rescaling only what changed giving the same pixels as
// scaling everything again.
#include "lumo/software_scaler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::vector<uint16_t> RandomPicture(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint16_t> picture(size_t(width) * height);
  for (uint16_t& p : picture) p = uint16_t(random());
  return picture;
}

const uint8_t* Bytes(const std::vector<uint16_t>& picture) {
  return reinterpret_cast<const uint8_t*>(picture.data());
}

TEST(SoftwareScaler, TapsMixAtMostTwoNeighboursAndKeepEdgesHard) {
  for (auto [source, target] : {std::pair{640, 1024}, {480, 768}, {480, 1080}, {640, 1440}, {640, 500}}) {
    const std::vector<ScaleTap> taps = ScaleTaps(source, target);
    ASSERT_EQ(int(taps.size()), target);
    EXPECT_EQ(taps.front().first, 0);
    EXPECT_EQ(taps.back().second, source - 1);
    int blended = 0;
    for (int j = 0; j < target; ++j) {
      const ScaleTap& t = taps[j];
      EXPECT_TRUE(t.second == t.first || t.second == t.first + 1) << source << "->" << target << " at " << j;
      EXPECT_LT(t.weight, 256);
      if (j) {
        EXPECT_GE(t.first, taps[j - 1].first);
      }
      blended += t.weight != 0;
    }
    // Enlarging: each edge between two source pixels gets at most one
    // blended output pixel.
    if (target > source) {
      EXPECT_LE(blended, source - 1) << source << "->" << target;
    }
  }
  for (const ScaleTap& t : ScaleTaps(640, 1280)) EXPECT_EQ(t.weight, 0);
  EXPECT_EQ(ScaleTaps(640, 1280)[3].first, 1);
}

TEST(SoftwareScaler, ColoursWidenToFullRange) {
  SoftwareScaler s;
  ASSERT_TRUE(PlanSoftwareScale(&s, 2, 1, 2, 2, 1));
  const std::vector<uint16_t> picture = {0xFFFF, 0xF800};
  const ScaleArea area = SoftwareScale(&s, Bytes(picture), 4);
  EXPECT_EQ(area.width, 2);
  EXPECT_EQ(s.output[0], 0xFFFFFFu);
  EXPECT_EQ(s.output[1], 0xFF0000u);
  EXPECT_FALSE(PlanSoftwareScale(&s, 0, 1, 2, 2, 1));
  EXPECT_FALSE(PlanSoftwareScale(&s, 2, 1, 3, 2, 1));
}

TEST(SoftwareScaler, RescalingWhatChangedGivesTheWholePicturesPixels) {
  const int w = 64, h = 48, ow = 102, oh = 77;
  std::vector<uint16_t> picture = RandomPicture(w, h, 1);
  SoftwareScaler kept;
  ASSERT_TRUE(PlanSoftwareScale(&kept, w, h, 2, ow, oh));
  ScaleArea area = SoftwareScale(&kept, Bytes(picture), w * 2);
  EXPECT_EQ(area.width, ow);
  EXPECT_EQ(area.height, oh);
  EXPECT_EQ(SoftwareScale(&kept, Bytes(picture), w * 2).width, 0) << "nothing changed";

  // A small block changes: only its neighbourhood is redone, and the result
  // is what a scaler starting afresh makes of the new picture.
  for (int y = 20; y < 26; ++y)
    for (int x = 30; x < 33; ++x) picture[size_t(y) * w + x] ^= 0x5A5A;
  area = SoftwareScale(&kept, Bytes(picture), w * 2);
  EXPECT_GT(area.width, 0);
  EXPECT_LT(area.width, ow / 4);
  EXPECT_LT(area.height, oh / 4);
  SoftwareScaler fresh;
  ASSERT_TRUE(PlanSoftwareScale(&fresh, w, h, 2, ow, oh));
  SoftwareScale(&fresh, Bytes(picture), w * 2);
  EXPECT_EQ(kept.output, fresh.output);
}

}  // namespace
