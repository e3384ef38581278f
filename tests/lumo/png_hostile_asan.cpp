// Broken and hostile PNG files: every one gives none, never a crash, under
// AddressSanitizer and UndefinedBehaviorSanitizer. Also replays the fuzzing
// corpus.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lumo/png.h"
#include "lumo/png_builder.h"
#include "lumo/surface.h"

namespace {

class HostilePng : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(LiveSurfaceCount(), 0) << "a failed load left a surface behind";
    ResetSurfaces();
  }
};

Surface* Decode(const Bytes& png, const PixelFormat* format = nullptr) {
  return DecodePng(png.data(), png.size(), format, 0);
}

// Offsets where each chunk starts, and the end of the file.
std::vector<size_t> ChunkStarts(const Bytes& png) {
  std::vector<size_t> starts;
  for (size_t at = 8; at + 8 <= png.size();) {
    starts.push_back(at);
    at += 12 + ((size_t)png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
  }
  starts.push_back(png.size());
  return starts;
}

Bytes PaletteRows(int w, int h) {
  Bytes raw;
  for (int y = 0; y < h; y++) {
    raw.push_back(0);
    for (int x = 0; x < w; x++) raw.push_back(x % 3);
  }
  return raw;
}

Bytes GoodPng() {
  return Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("PLTE", {0, 0, 0, 255, 0, 0, 0, 255, 0}),
              Chunk("tEXt", {'k', 0, 'v'}), Chunk("IDAT", Deflate(PaletteRows(6, 4))),
              Chunk("IEND", {})});
}

TEST_F(HostilePng, TheGoodFileLoads) {
  Surface* s = Decode(GoodPng());
  ASSERT_NE(s, nullptr);
  DestroySurface(s);
}

TEST_F(HostilePng, AWrongCrcInAnyChunkIsRejected) {
  const Bytes good = GoodPng();
  std::vector<size_t> starts = ChunkStarts(good);
  ASSERT_EQ(starts.size(), 6u);
  for (size_t i = 0; i + 1 < starts.size(); i++) {
    Bytes bad = good;
    bad[starts[i + 1] - 1] ^= 0x01;  // last byte of the chunk's CRC
    EXPECT_EQ(Decode(bad), nullptr) << "chunk " << i;
    Bytes body = good;
    body[starts[i] + 4] ^= 0x20;  // the type itself, still covered by the CRC
    EXPECT_EQ(Decode(body), nullptr) << "chunk " << i;
  }
}

TEST_F(HostilePng, EveryTruncationIsRejected) {
  const Bytes good = GoodPng();
  for (size_t size = 0; size < good.size(); size++) {
    Bytes cut(good.begin(), good.begin() + size);
    ASSERT_EQ(Decode(cut), nullptr) << "cut at " << size;
  }
}

TEST_F(HostilePng, BrokenPixelDataIsRejected) {
  Bytes stream = Deflate(PaletteRows(6, 4));
  Bytes garbled = stream;
  garbled[2] ^= 0xFF;
  garbled[3] ^= 0xFF;
  Bytes short_stream = Deflate(PaletteRows(6, 3));  // a row too few
  Bytes long_stream = Deflate(PaletteRows(6, 5));   // a row too many
  Bytes bad_filter = PaletteRows(6, 4);
  bad_filter[7] = 5;
  for (const Bytes& idat : {garbled, short_stream, long_stream, Deflate(bad_filter), Bytes{}}) {
    Bytes png = Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("PLTE", {1, 2, 3}),
                     Chunk("IDAT", idat), Chunk("IEND", {})});
    EXPECT_EQ(Decode(png), nullptr);
  }
  EXPECT_EQ(Decode(Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("PLTE", {1, 2, 3}),
                        Chunk("IEND", {})})),
            nullptr);  // no IDAT at all
}

TEST_F(HostilePng, ImpossibleHeadersAreRejected) {
  Bytes tiny = Deflate({0, 0, 0, 0});
  struct Case {
    uint32_t w, h;
    int depth, type, interlace;
  } cases[] = {
      {100000, 100000, 8, 2, 0}, {0, 5, 8, 2, 0},   {5, 0, 8, 2, 0},  {0xFFFFFFFF, 1, 8, 6, 0},
      {1, 1, 8, 2, 1},           {1, 1, 8, 4, 0},   {1, 1, 8, 7, 0},  {1, 1, 16, 3, 0},
      {1, 1, 3, 0, 0},           {1, 1, 8, 2, 2},   {20000, 1, 8, 6, 0},
  };
  for (const Case& c : cases) {
    Bytes png = Png({Chunk("IHDR", Header(c.w, c.h, c.depth, c.type, c.interlace)),
                     Chunk("IDAT", tiny), Chunk("IEND", {})});
    EXPECT_EQ(Decode(png), nullptr) << c.w << "x" << c.h << " depth " << c.depth << " type "
                                    << c.type << " interlace " << c.interlace;
  }
  Bytes short_header = Header(1, 1, 8, 2);
  short_header.pop_back();
  EXPECT_EQ(Decode(Png({Chunk("IHDR", short_header), Chunk("IDAT", tiny), Chunk("IEND", {})})),
            nullptr);
}

TEST_F(HostilePng, BadPalettesAreRejected) {
  Bytes idat = Deflate(PaletteRows(6, 4));
  Bytes big(300 * 3, 7), ragged(10, 7);
  for (const Bytes& plte : {big, ragged}) {
    Bytes png = Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("PLTE", plte), Chunk("IDAT", idat),
                     Chunk("IEND", {})});
    EXPECT_EQ(Decode(png), nullptr) << plte.size();
  }
  Bytes missing = Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("IDAT", idat), Chunk("IEND", {})});
  EXPECT_EQ(Decode(missing), nullptr);
  // Indices past the palette's end show black rather than reading beyond it.
  Bytes one_entry = Png({Chunk("IHDR", Header(6, 4, 8, 3)), Chunk("PLTE", {9, 9, 9}),
                         Chunk("IDAT", idat), Chunk("IEND", {})});
  PixelFormat f32;
  MakePixelFormat(&f32, 32);
  Surface* s = Decode(one_entry, &f32);
  ASSERT_NE(s, nullptr);
  DestroySurface(s);
}

TEST_F(HostilePng, NotAPngAtAll) {
  EXPECT_EQ(Decode({}), nullptr);
  EXPECT_EQ(Decode({137, 80, 78, 71}), nullptr);
  Bytes wrong_signature = GoodPng();
  wrong_signature[1] = 'Q';
  EXPECT_EQ(Decode(wrong_signature), nullptr);
  Bytes first_not_header = Png({Chunk("IDAT", Deflate({0, 0})), Chunk("IEND", {})});
  EXPECT_EQ(Decode(first_not_header), nullptr);
  EXPECT_EQ(LoadPng("/nonexistent/picture.png", nullptr, 0), nullptr);
  EXPECT_EQ(LoadPng("/", nullptr, 0), nullptr);
  EXPECT_EQ(LoadPng("/dev/null", nullptr, 0), nullptr);
}

TEST_F(HostilePng, FuzzCorpusReplays) {
  std::string dir = std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/corpus/png";
  DIR* d = opendir(dir.c_str());
  if (!d) GTEST_SKIP() << "no corpus at " << dir;
  PixelFormat f16;
  MakePixelFormat(&f16, 16);
  int files = 0;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::string path = dir + "/" + e->d_name;
    for (const PixelFormat* format : {(const PixelFormat*)nullptr, (const PixelFormat*)&f16}) {
      if (Surface* s = LoadPng(path.c_str(), format, 0)) DestroySurface(s);
    }
    files++;
  }
  closedir(d);
  EXPECT_GT(files, 0);
}

}  // namespace
