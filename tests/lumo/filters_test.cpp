// The 2x filters, motion blur and the stretch rectangle. Expected pixels are
// worked out here from the filters' rules with colours unpacked into their
// fields, not through the filters' own mask arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "lumo/filters.h"
#include "lumo/surface.h"

namespace {

// Per-field mean rounded down, computed on unpacked fields.
uint16_t Mean(uint16_t a, uint16_t b) {
  const int r = ((a >> 11) + (b >> 11)) / 2;
  const int g = (((a >> 5) & 63) + ((b >> 5) & 63)) / 2;
  const int bl = ((a & 31) + (b & 31)) / 2;
  return uint16_t(r << 11 | g << 5 | bl);
}
uint16_t Quarter(uint16_t a, uint16_t b) { return Mean(a, Mean(a, b)); }

// A picture as rows of pixels.
using Image = std::vector<std::vector<uint16_t>>;

Image Filled(int w, int h, uint16_t colour) { return Image(size_t(h), std::vector<uint16_t>(size_t(w), colour)); }

Image Doubled(const Image& p) {
  Image out = Filled(int(p[0].size()) * 2, int(p.size()) * 2, 0);
  for (size_t y = 0; y < p.size(); y++)
    for (size_t x = 0; x < p[0].size(); x++)
      for (int j = 0; j < 2; j++)
        for (int i = 0; i < 2; i++) out[2 * y + j][2 * x + i] = p[y][x];
  return out;
}

// Runs a filter through the surface interface.
Image RunFilter(const Image& picture, int filter) {
  const int w = int(picture[0].size()), h = int(picture.size());
  Surface* source = CreateSurface(w + 3, h + 2, 16, SurfaceClear);  // picture at (2, 1)
  Surface* target = CreateSurface(2 * w + 5, 2 * h + 1, 16, SurfaceClear);
  uint8_t* in = LockSurface(source, LockWriteOnly);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) WritePixel(in + (y + 1) * source->pitch + (x + 2) * 2, 2, picture[y][x]);
  UnlockSurface(source);
  SurfaceRect out{-1, -1, -1, -1};
  EXPECT_TRUE(FilterPicture(&out, target, source, filter, SurfaceRect{2, 1, w, h}));
  EXPECT_EQ(out.x, 0);
  EXPECT_EQ(out.y, 0);
  EXPECT_EQ(out.width, 2 * w);
  EXPECT_EQ(out.height, 2 * h);
  Image result = Filled(2 * w, 2 * h, 0);
  const uint8_t* px = LockSurface(target, LockReadOnly);
  for (int y = 0; y < 2 * h; y++)
    for (int x = 0; x < 2 * w; x++) result[y][x] = uint16_t(ReadPixel(px + y * target->pitch + x * 2, 2));
  UnlockSurface(target);
  DestroySurface(source);
  DestroySurface(target);
  return result;
}

TEST(Filters, UniformPictureStaysUniform) {
  for (uint16_t colour : {0xFFFF, 0x0821, 0x8410, 0x1234, 0x0000}) {
    for (int filter = 1; filter <= 3; filter++) {
      SCOPED_TRACE(testing::Message() << std::hex << colour << " filter " << filter);
      EXPECT_EQ(RunFilter(Filled(12, 9, colour), filter), Filled(24, 18, colour));
    }
  }
}

TEST(Filters, DoubleRepeatsEachPixelTwiceEachWay) {
  Image picture = {{0x0001, 0x0002, 0x0003, 0x0004}, {0xF800, 0x07E0, 0x001F, 0xFFFF}};
  EXPECT_EQ(RunFilter(picture, 1), Doubled(picture));
}

TEST(Filters, BilinearBlendsTowardsTheRightAndDownAndRepeatsTheEdges) {
  const Image p = {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x8410, 0x0841}};
  const int w = 3, h = 2;
  Image want = Filled(2 * w, 2 * h, 0);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      // Neighbours beyond the picture are the pixel itself.
      const uint16_t e = p[y][x];
      const uint16_t r = x + 1 < w ? p[y][x + 1] : e;
      const uint16_t d = y + 1 < h ? p[y + 1][x] : e;
      const uint16_t rd = x + 1 < w && y + 1 < h ? p[y + 1][x + 1] : e;
      want[2 * y][2 * x] = e;
      want[2 * y][2 * x + 1] = Mean(r, e);
      want[2 * y + 1][2 * x] = Mean(e, d);
      want[2 * y + 1][2 * x + 1] = Mean(Mean(rd, d), Mean(r, e));
    }
  }
  const Image got = RunFilter(p, 2);
  EXPECT_EQ(got, want);
  // The last column and row: blends of each edge pixel with itself.
  EXPECT_EQ(got[0][5], 0x001F);
  EXPECT_EQ(got[2][5], 0x0841);
  EXPECT_EQ(got[3][0], 0xFFFF);
  EXPECT_EQ(got[3][2], 0x8410);
  EXPECT_EQ(got[3][5], 0x0841);
  EXPECT_EQ(got[3][3], Quarter(0x8410, 0x0841));
}

TEST(Filters, MEagleTurnsALonePixelIntoASoftSpot) {
  const uint16_t light = 0xEF7D, dark = 0x2104;
  Image p = Filled(5, 5, light);
  p[2][2] = dark;
  // The 3 x 3 window at (1, 1) centres the spot on output (4, 4).
  Image want = Filled(10, 10, light);
  for (int y = 3; y <= 5; y++)
    for (int x = 3; x <= 5; x++) want[y][x] = Quarter(light, dark);
  want[3][4] = want[4][3] = want[4][5] = want[5][4] = Mean(light, dark);
  want[4][4] = dark;
  EXPECT_EQ(RunFilter(p, 3), want);
}

TEST(Filters, MEagleBlendsTheInnerCornersOfADiagonal) {
  const uint16_t light = 0xFFFF, dark = 0x001F;
  const int n = 6;
  Image p = Filled(n, n, light);
  for (int i = 0; i < n; i++) p[i][i] = dark;
  // Each dark step whose 2 x 2 windows above-right and below-left fit in the
  // picture has those two corners of its doubled block blended (three equal
  // pixels and one different in the window).
  Image want = Doubled(p);
  for (int i = 1; i + 1 < n; i++) {
    want[2 * i][2 * i + 1] = Mean(light, dark);
    want[2 * i + 1][2 * i] = Mean(light, dark);
  }
  EXPECT_EQ(RunFilter(p, 3), want);
}

// M-Eagle written out from its rules a second time, window by window, for
// pictures of few colours where every rule fires somewhere.
Image ReferenceEagle(const Image& p) {
  const int w = int(p[0].size()), h = int(p.size());
  Image o = Doubled(p);
  auto P = [&](int x, int y) { return p[y][x]; };
  for (int y = 0; y <= h - 2; y++) {
    for (int x = 0; x <= w - 2; x++) {
      uint16_t a = P(x, y), b = P(x + 1, y), c = P(x, y + 1), d = P(x + 1, y + 1);
      if (a == b && a == c && a != d) o[2 * y + 2][2 * x + 2] = Mean(a, d);
      else if (b == c && b == d && b != a) o[2 * y + 1][2 * x + 1] = Mean(a, d);
      else if (a == c && a == d && a != b) o[2 * y + 1][2 * x + 2] = Mean(a, b);
      else if (a == b && a == d && a != c) o[2 * y + 2][2 * x + 1] = Mean(a, c);
    }
  }
  for (int y = 0; y <= h - 3; y++) {
    for (int x = 0; x <= w - 2; x++) {
      uint16_t a = P(x, y), b = P(x + 1, y), c = P(x, y + 1), d = P(x + 1, y + 1), e = P(x, y + 2),
               f = P(x + 1, y + 2);
      if (b == c && b == e && d != b && f != b) {
        o[2 * y + 2][2 * x + 2] = Quarter(b, d);
        o[2 * y + 3][2 * x + 2] = Mean(b, d);
      } else if (b == d && b == e && a != b && c != b) {
        o[2 * y + 2][2 * x + 1] = Mean(c, e);
        o[2 * y + 3][2 * x + 1] = Quarter(e, c);
      } else if (a == d && a == f && c != a && e != a) {
        o[2 * y + 2][2 * x + 1] = Quarter(a, c);
        o[2 * y + 3][2 * x + 1] = Mean(a, c);
      } else if (a == c && a == f && b != a && d != a) {
        o[2 * y + 2][2 * x + 2] = Mean(d, f);
        o[2 * y + 3][2 * x + 2] = Quarter(f, d);
      }
    }
  }
  for (int y = 0; y <= h - 2; y++) {
    for (int x = 0; x <= w - 3; x++) {
      uint16_t a = P(x, y), b = P(x + 1, y), c = P(x + 2, y), d = P(x, y + 1), e = P(x + 1, y + 1),
               f = P(x + 2, y + 1);
      if (b == c && b == d && e != b && f != b) {
        o[2 * y + 2][2 * x + 2] = Quarter(d, e);
        o[2 * y + 2][2 * x + 3] = Mean(d, e);
      } else if (a == e && a == f && b != a && c != a) {
        o[2 * y + 1][2 * x + 2] = Quarter(a, b);
        o[2 * y + 1][2 * x + 3] = Mean(a, b);
      } else if (a == b && a == f && d != a && e != a) {
        o[2 * y + 2][2 * x + 2] = Mean(e, f);
        o[2 * y + 2][2 * x + 3] = Quarter(f, e);
      } else if (d == e && d == c && a != d && b != d) {
        o[2 * y + 1][2 * x + 2] = Mean(b, c);
        o[2 * y + 1][2 * x + 3] = Quarter(c, b);
      }
    }
  }
  for (int y = 0; y <= h - 3; y++) {
    for (int x = 0; x <= w - 3; x++) {
      const uint16_t a = P(x, y), v = P(x + 1, y + 1);
      bool ring = v != a;
      for (int j = 0; j < 3; j++)
        for (int i = 0; i < 3; i++)
          if ((i != 1 || j != 1) && P(x + i, y + j) != a) ring = false;
      if (!ring) continue;
      o[2 * y + 2][2 * x + 2] = v;
      o[2 * y + 1][2 * x + 2] = o[2 * y + 2][2 * x + 1] = Mean(a, v);
      o[2 * y + 2][2 * x + 3] = o[2 * y + 3][2 * x + 2] = Mean(a, v);
      o[2 * y + 1][2 * x + 1] = o[2 * y + 1][2 * x + 3] = Quarter(a, v);
      o[2 * y + 3][2 * x + 1] = o[2 * y + 3][2 * x + 3] = Quarter(a, v);
    }
  }
  return o;
}

TEST(Filters, MEagleFollowsEveryRuleOnFewColourPictures) {
  std::mt19937 random(7);
  const uint16_t palette[4] = {0xFFFF, 0x001F, 0x8410, 0x07E0};
  for (int round = 0; round < 1000; round++) {
    const int w = 3 + int(random() % 10), h = 3 + int(random() % 8);
    const int colours = 2 + int(random() % 3);
    Image p = Filled(w, h, 0);
    for (auto& row : p)
      for (auto& px : row) px = palette[random() % colours];
    ASSERT_EQ(RunFilter(p, 3), ReferenceEagle(p)) << "round " << round;
  }
}

TEST(Filters, RefusesWhatItCannotFilter) {
  Surface* source = CreateSurface(16, 16, 16, SurfaceClear);
  Surface* small = CreateSurface(31, 32, 16, SurfaceClear);
  Surface* wide = CreateSurface(32, 32, 32, SurfaceClear);
  Surface* target = CreateSurface(32, 32, 16, SurfaceClear);
  SurfaceRect out{};
  EXPECT_FALSE(FilterPicture(&out, small, source, 1, {0, 0, 16, 16}));
  EXPECT_FALSE(FilterPicture(&out, wide, source, 1, {0, 0, 16, 16}));
  EXPECT_FALSE(FilterPicture(&out, target, source, 0, {0, 0, 16, 16}));
  EXPECT_FALSE(FilterPicture(&out, target, source, 4, {0, 0, 16, 16}));
  EXPECT_FALSE(FilterPicture(&out, target, source, 2, {1, 0, 16, 16}));
  EXPECT_FALSE(FilterPicture(&out, target, source, 2, {0, -1, 8, 8}));
  EXPECT_TRUE(FilterPicture(&out, target, source, 2, {8, 8, 8, 8}));
  for (Surface* s : {source, small, wide, target}) DestroySurface(s);
}

TEST(Filters, MotionBlurAveragesTheLastTwoFrames) {
  Surface* shown = CreateSurface(20, 4, 16, SurfaceClear);
  Surface* other = CreateSurface(20, 4, 16, SurfaceClear);
  Surface* blur = CreateSurface(20, 4, 16, SurfaceClear);
  std::mt19937 random(3);
  std::vector<uint16_t> a(80), b(80);
  uint8_t* ps = LockSurface(shown, LockWriteOnly);
  uint8_t* po = LockSurface(other, LockWriteOnly);
  for (int i = 0; i < 80; i++) {
    a[i] = uint16_t(random());
    b[i] = i < 40 ? a[i] : uint16_t(random());  // the first half identical
    WritePixel(ps + (i / 20) * shown->pitch + (i % 20) * 2, 2, a[i]);
    WritePixel(po + (i / 20) * other->pitch + (i % 20) * 2, 2, b[i]);
  }
  UnlockSurface(other);
  UnlockSurface(shown);
  ASSERT_TRUE(BlurPicture(blur, shown, other));
  const uint8_t* pb = LockSurface(blur, LockReadOnly);
  for (int i = 0; i < 80; i++) {
    const uint16_t got = uint16_t(ReadPixel(pb + (i / 20) * blur->pitch + (i % 20) * 2, 2));
    if (i < 40) {
      EXPECT_EQ(got, a[i] & 0xF7DE) << i;  // the low bit of each field goes
    } else {
      const int r = (a[i] >> 11) / 2 + (b[i] >> 11) / 2;
      const int g = ((a[i] >> 5) & 63) / 2 + ((b[i] >> 5) & 63) / 2;
      const int bl = (a[i] & 31) / 2 + (b[i] & 31) / 2;
      EXPECT_EQ(got, r << 11 | g << 5 | bl) << i;
    }
  }
  UnlockSurface(blur);
  // Another format: the shown frame is only copied.
  Surface* deep = CreateSurface(20, 4, 32, SurfaceClear);
  ASSERT_TRUE(BlurPicture(blur, shown, deep));
  pb = LockSurface(blur, LockReadOnly);
  EXPECT_EQ(ReadPixel(pb + 2 * blur->pitch + 6, 2), a[43]);
  UnlockSurface(blur);
  for (Surface* s : {shown, other, blur, deep}) DestroySurface(s);
}

TEST(Filters, StretchTargets) {
  auto expect = [](int mode, int sw, int sh, int w, int h, SurfaceRect want) {
    const SurfaceRect r = StretchTarget(mode, sw, sh, w, h);
    EXPECT_EQ(r.x, want.x) << mode << " " << sw << "x" << sh << " " << w << "x" << h;
    EXPECT_EQ(r.y, want.y) << mode;
    EXPECT_EQ(r.width, want.width) << mode;
    EXPECT_EQ(r.height, want.height) << mode;
  };
  expect(3, 1024, 768, 256, 192, {128, 96, 768, 576});
  expect(0, 640, 480, 256, 192, {192, 144, 256, 192});
  expect(1, 640, 480, 256, 192, {64, 48, 512, 384});
  expect(2, 640, 480, 256, 192, {0, 0, 640, 480});
  expect(3, 640, 480, 256, 192, {80, 60, 480, 360});
  // The Game Gear's 160 x 144 on a wide screen: the height decides.
  expect(2, 1920, 1080, 160, 144, {360, 0, 1200, 1080});
  expect(3, 1920, 1080, 160, 144, {510, 135, 900, 810});
  // Filtered 512 x 384 on 800 x 600: 800 x 600 exactly; doubled it overhangs.
  expect(2, 800, 600, 512, 384, {0, 0, 800, 600});
  expect(1, 800, 600, 512, 384, {-112, -84, 1024, 768});
  // Scales that do not divide evenly are truncated.
  expect(2, 1366, 768, 256, 192, {171, 0, 1024, 768});
  expect(2, 1366, 768, 256, 224, {244, 0, 877, 768});
}

}  // namespace
