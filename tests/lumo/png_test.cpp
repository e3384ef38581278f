// PNG files written and read back, checked by an independent tool, and the
// published screenshots read at probed points.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lumo/png.h"
#include "lumo/surface.h"
#include "lumo/png_builder.h"

namespace {

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TempDir() + "lumo_png_" + std::to_string(getpid());
    mkdir_result_ = system(("mkdir -p " + dir_).c_str());
  }
  void TearDown() override {
    ResetSurfaces();
    if (system(("rm -rf " + dir_).c_str()) != 0) ADD_FAILURE() << "cleanup";
  }
  std::string Path(const char* name) { return dir_ + "/" + name; }
  // The independent checker accepts the file. The build's setup installs it,
  // so its absence is a failure rather than a silent pass.
  void ExpectCheckerAccepts(const std::string& path) {
    if (system("command -v pngcheck >/dev/null 2>&1") != 0) {
      ADD_FAILURE() << "pngcheck is not installed (make deps installs it)";
      return;
    }
    EXPECT_EQ(system(("pngcheck -q " + path + " >/dev/null").c_str()), 0) << path;
  }
  std::string dir_;
  int mkdir_result_ = 0;
};

uint32_t PixelAt(Surface* s, int x, int y) {
  uint8_t* p = LockSurface(s, LockReadOnly);
  uint32_t v = ReadPixel(p + y * s->pitch + x * s->format.bytes, s->format.bytes);
  UnlockSurface(s);
  return v;
}

void Paint(Surface* s) {  // a picture where every pixel differs from its neighbours
  uint8_t* p = LockSurface(s, LockWriteOnly);
  for (int y = 0; y < s->height; y++)
    for (int x = 0; x < s->width; x++)
      WritePixel(p + y * s->pitch + x * s->format.bytes, s->format.bytes,
                 (x * 2654435761u) ^ (y * 40503u) ^ (x << 8));
  UnlockSurface(s);
}

Bytes ReadFile(const std::string& path) {
  Bytes out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  int c;
  while ((c = fgetc(f)) != EOF) out.push_back(c);
  fclose(f);
  return out;
}

void ExpectSamePixels(Surface* a, Surface* b, uint32_t mask) {
  ASSERT_EQ(a->width, b->width);
  ASSERT_EQ(a->height, b->height);
  for (int y = 0; y < a->height; y++)
    for (int x = 0; x < a->width; x++)
      ASSERT_EQ(PixelAt(a, x, y) & mask, PixelAt(b, x, y) & mask) << x << "," << y;
}

TEST_F(PngTest, DirectColourSurfacesRoundTrip) {
  for (int bits : {16, 24, 32}) {
    SCOPED_TRACE(bits);
    Surface* s = CreateSurface(37, 11, bits, 0);
    Paint(s);
    std::string path = Path(("rt" + std::to_string(bits) + ".png").c_str());
    ASSERT_TRUE(SavePng(path.c_str(), s));
    ExpectCheckerAccepts(path);
    Surface* back = LoadPng(path.c_str(), &s->format, 0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->format.bits, bits);
    ExpectSamePixels(s, back, bits == 16 ? 0xFFFF : 0xFFFFFF);
  }
}

TEST_F(PngTest, PaletteSurfaceIsWrittenAsTypeThreeWithAFullPalette) {
  Surface* s = CreateSurface(16, 9, 8, 0);
  for (int i = 0; i < 256; i++) {
    s->format.palette[i * 3] = i;
    s->format.palette[i * 3 + 1] = 255 - i;
    s->format.palette[i * 3 + 2] = i * 7;
  }
  Paint(s);
  std::string path = Path("pal.png");
  ASSERT_TRUE(SavePng(path.c_str(), s));
  ExpectCheckerAccepts(path);
  Bytes file = ReadFile(path);
  ASSERT_GT(file.size(), 45u);
  EXPECT_EQ(file[24], 8);   // bit depth
  EXPECT_EQ(file[25], 3);   // colour type
  EXPECT_EQ(std::string(file.begin() + 37, file.begin() + 41), "PLTE");
  EXPECT_EQ(file[35] << 8 | file[36], 768);
  Surface* back = LoadPng(path.c_str(), nullptr, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->format.bits, 8);
  EXPECT_EQ(memcmp(back->format.palette, s->format.palette, 768), 0);
  ExpectSamePixels(s, back, 0xFF);
}

TEST_F(PngTest, Rgb565WhiteIsStoredWithLowBitsClear) {
  Surface* s = CreateSurface(2, 1, 16, 0);
  FillRect(0, 0, 2, 1, s, 0xFFFF);
  std::string path = Path("white.png");
  ASSERT_TRUE(SavePng(path.c_str(), s));
  ExpectCheckerAccepts(path);
  Surface* back = LoadPng(path.c_str(), nullptr, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->format.bits, 24);
  EXPECT_EQ(PixelAt(back, 1, 0), 0xF8FCF8u);
}

// Rows of odd length, one-pixel pictures, a screen-sized shot and display
// surfaces (whose pitch comes from the lock) all give valid files that read
// back the same; a damaged copy shows that the checker really looks.
TEST_F(PngTest, EveryShapeAndKindWritesAValidFile) {
  struct Case {
    int bits, w, h;
    unsigned flags;
  } cases[] = {{8, 1, 1, 0},   {8, 13, 5, 0}, {16, 1, 1, 0}, {16, 256, 192, 0}, {24, 7, 3, 0},
               {16, 9, 4, SurfaceDisplayMemory}, {24, 5, 2, SurfaceDisplayMemory},
               {32, 7, 3, SurfaceDisplayMemory}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.w << "x" << c.h << " flags "
                                    << c.flags);
    Surface* s = CreateSurface(c.w, c.h, c.bits, c.flags);
    ASSERT_NE(s, nullptr);
    Paint(s);
    std::string path = Path(("shape" + std::to_string(n++) + ".png").c_str());
    ASSERT_TRUE(SavePng(path.c_str(), s));
    ExpectCheckerAccepts(path);
    Surface* back = LoadPng(path.c_str(), &s->format, 0);
    ASSERT_NE(back, nullptr);
    if (c.bits == 8) memcpy(back->format.palette, s->format.palette, 768);
    ExpectSamePixels(s, back, c.bits == 8 ? 0xFF : c.bits == 16 ? 0xFFFF : 0xFFFFFF);
  }
  if (system("command -v pngcheck >/dev/null 2>&1") != 0) return;
  std::string good = Path("shape0.png"), bad = Path("damaged.png");
  Bytes file = ReadFile(good);
  ASSERT_GT(file.size(), 40u);
  file[30] ^= 1;  // inside IHDR, so its CRC no longer matches
  FILE* f = fopen(bad.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(file.data(), 1, file.size(), f);
  fclose(f);
  EXPECT_NE(system(("pngcheck -q " + bad + " >/dev/null 2>&1").c_str()), 0);
}

// RGBA pictures keep every byte, alpha included: the samples read back from
// the one IDAT chunk; the colours load as a plain colour picture too.
TEST_F(PngTest, RgbaPicturesKeepTheirAlpha) {
  const int w = 5, h = 3;
  Bytes rgba(w * h * 4);
  for (size_t i = 0; i < rgba.size(); i++) rgba[i] = uint8_t(i * 37 + 11);
  const std::string path = Path("rgba.png");
  ASSERT_TRUE(SavePngRgba(path.c_str(), rgba.data(), w, h));
  ExpectCheckerAccepts(path);
  const Bytes file = ReadFile(path);
  ASSERT_GT(file.size(), 45u);
  EXPECT_EQ(file[24], 8);
  EXPECT_EQ(file[25], 6);
  ASSERT_EQ(std::string(file.begin() + 37, file.begin() + 41), "IDAT");
  const uLong packed = uLong(file[33]) << 24 | file[34] << 16 | file[35] << 8 | file[36];
  ASSERT_LE(41 + packed, file.size());
  Bytes rows((w * 4 + 1) * h);
  uLongf size = rows.size();
  ASSERT_EQ(uncompress(rows.data(), &size, file.data() + 41, packed), Z_OK);
  ASSERT_EQ(size, rows.size());
  for (int y = 0; y < h; y++) {
    EXPECT_EQ(rows[y * (w * 4 + 1)], 0);
    EXPECT_EQ(memcmp(&rows[y * (w * 4 + 1) + 1], &rgba[y * w * 4], w * 4), 0) << "row " << y;
  }
  Surface* back = LoadPng(path.c_str(), nullptr, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(PixelAt(back, 1, 2), uint32_t(rgba[44] << 16 | rgba[45] << 8 | rgba[46]));
  DestroySurface(back);
  // Read back whole, alpha and all (the window icon); an RGB picture gets
  // an opaque alpha, a palette picture is refused.
  std::vector<uint8_t> read;
  int read_w = 0, read_h = 0;
  ASSERT_TRUE(LoadPngRgba(path.c_str(), &read, &read_w, &read_h));
  EXPECT_EQ(read_w, w);
  EXPECT_EQ(read_h, h);
  EXPECT_EQ(read, std::vector<uint8_t>(rgba.begin(), rgba.end()));
  Surface* rgb = CreateSurface(2, 1, 24, SurfaceClear);
  ASSERT_NE(rgb, nullptr);
  WritePixel(rgb->pixels + 3, 3, 0x123456);
  ASSERT_TRUE(SavePng(Path("rgb.png").c_str(), rgb));
  DestroySurface(rgb);
  ASSERT_TRUE(LoadPngRgba(Path("rgb.png").c_str(), &read, &read_w, &read_h));
  EXPECT_EQ(read, (std::vector<uint8_t>{0, 0, 0, 255, 0x12, 0x34, 0x56, 255}));
  Surface* indexed = CreateSurface(2, 1, 8, SurfaceClear);
  ASSERT_NE(indexed, nullptr);
  ASSERT_TRUE(SavePng(Path("indexed.png").c_str(), indexed));
  DestroySurface(indexed);
  EXPECT_FALSE(LoadPngRgba(Path("indexed.png").c_str(), &read, &read_w, &read_h));
  EXPECT_FALSE(LoadPngRgba(Path("missing.png").c_str(), &read, &read_w, &read_h));
  EXPECT_FALSE(SavePngRgba(Path("none/x.png").c_str(), rgba.data(), w, h));
  EXPECT_FALSE(SavePngRgba(path.c_str(), rgba.data(), 0, h));
}

TEST_F(PngTest, FailedWriteReportsFalse) {
  Surface* s = CreateSurface(2, 2, 16, SurfaceClear);
  EXPECT_FALSE(SavePng(Path("missing/dir/x.png").c_str(), s));
  EXPECT_FALSE(SavePng(dir_.c_str(), s));  // a directory
}

// A device that refuses the data: the failure shows in the result (the
// buffered bytes only fail at the close), and the existing file is kept.
TEST_F(PngTest, FullDeviceReportsFalseAndIsNotRemoved) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  Surface* s = CreateSurface(4, 4, 16, SurfaceClear);
  EXPECT_FALSE(SavePng("/dev/full", s));
  EXPECT_EQ(access("/dev/full", F_OK), 0);
}

// A picture that cannot be written whole leaves nothing behind, and a file
// that was there before keeps its contents; a complete one replaces it.
TEST_F(PngTest, HalfWrittenNewFileIsRemoved) {
  Surface* s = CreateSurface(64, 64, 32, 0);
  Paint(s);  // noise, so the picture does not compress below the limit
  std::string fresh = Path("fresh.png"), old = Path("old.png");
  FILE* f = fopen(old.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("keep", f);
  fclose(f);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool fresh_saved = SavePng(fresh.c_str(), s);
  const bool old_saved = SavePng(old.c_str(), s);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(fresh_saved);
  EXPECT_FALSE(old_saved);
  EXPECT_NE(access(fresh.c_str(), F_OK), 0);
  EXPECT_NE(access((fresh + ".tmp").c_str(), F_OK), 0);
  EXPECT_NE(access((old + ".tmp").c_str(), F_OK), 0);
  char kept[8] = {};
  f = fopen(old.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fread(kept, 1, sizeof kept, f), 4u);
  fclose(f);
  EXPECT_STREQ(kept, "keep");

  ASSERT_TRUE(SavePng(old.c_str(), s));
  Surface* back = LoadPng(old.c_str(), nullptr, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->width, 64);
  DestroySurface(back);
}

// Applies one PNG filter to unfiltered rows of `bpp`-byte pixels.
Bytes FilterRows(const Bytes& rows, size_t row_bytes, int bpp, int filter) {
  Bytes out;
  size_t height = rows.size() / row_bytes;
  for (size_t y = 0; y < height; y++) {
    out.push_back(filter);
    for (size_t i = 0; i < row_bytes; i++) {
      int a = i >= (size_t)bpp ? rows[y * row_bytes + i - bpp] : 0;
      int b = y ? rows[(y - 1) * row_bytes + i] : 0;
      int c = y && i >= (size_t)bpp ? rows[(y - 1) * row_bytes + i - bpp] : 0;
      int p = 0;
      if (filter == 1) p = a;
      if (filter == 2) p = b;
      if (filter == 3) p = (a + b) / 2;
      if (filter == 4) {
        int e = a + b - c, pa = abs(e - a), pb = abs(e - b), pc = abs(e - c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out.push_back(rows[y * row_bytes + i] - p);
    }
  }
  return out;
}

TEST_F(PngTest, EveryFilterDecodes) {
  const int w = 9, h = 7;
  for (int color_type : {2, 6}) {
    int bpp = color_type == 2 ? 3 : 4;
    Bytes rows;
    for (int i = 0; i < w * h * bpp; i++) rows.push_back(i * 37 + (i / 5) * 11);
    for (int filter = 0; filter <= 4; filter++) {
      SCOPED_TRACE(testing::Message() << "type " << color_type << " filter " << filter);
      Bytes png = Png({Chunk("IHDR", Header(w, h, 8, color_type)),
                       Chunk("IDAT", Deflate(FilterRows(rows, w * bpp, bpp, filter))),
                       Chunk("IEND", {})});
      Surface* s = DecodePng(png.data(), png.size(), nullptr, 0);
      ASSERT_NE(s, nullptr);
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
          const uint8_t* px = &rows[(y * w + x) * bpp];
          ASSERT_EQ(PixelAt(s, x, y), (uint32_t)px[0] << 16 | px[1] << 8 | px[2]);
        }
    }
  }
}

TEST_F(PngTest, NarrowAndWideDepthsAreWidenedOrReduced) {
  // 2-bit grey: 0, 1, 2, 3 -> 0, 85, 170, 255, then to RGB565.
  Bytes grey = Png({Chunk("IHDR", Header(4, 1, 2, 0)), Chunk("IDAT", Deflate({0, 0x1B})),
                    Chunk("IEND", {})});
  Surface* g = DecodePng(grey.data(), grey.size(), nullptr, 0);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->format.bits, 16);
  EXPECT_EQ(PixelAt(g, 0, 0), 0u);
  EXPECT_EQ(PixelAt(g, 1, 0), (85u >> 3) << 11 | (85u >> 2) << 5 | 85u >> 3);
  EXPECT_EQ(PixelAt(g, 3, 0), 0xFFFFu);
  // 1-bit palette of two colours.
  Bytes pal = Png({Chunk("IHDR", Header(10, 1, 1, 3)), Chunk("PLTE", {1, 2, 3, 200, 100, 50}),
                   Chunk("IDAT", Deflate({0, 0xA0, 0x40})), Chunk("IEND", {})});
  Surface* p = DecodePng(pal.data(), pal.size(), nullptr, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(PixelAt(p, 0, 0), 1u);
  EXPECT_EQ(PixelAt(p, 1, 0), 0u);
  EXPECT_EQ(PixelAt(p, 2, 0), 1u);
  EXPECT_EQ(PixelAt(p, 9, 0), 1u);
  EXPECT_EQ(p->format.palette[3], 200);
  // 16-bit RGB keeps the high byte of each sample.
  Bytes wide = Png({Chunk("IHDR", Header(1, 1, 16, 2)),
                    Chunk("IDAT", Deflate({0, 0x12, 0xFF, 0x34, 0x00, 0x56, 0x80})),
                    Chunk("IEND", {})});
  Surface* w = DecodePng(wide.data(), wide.size(), nullptr, 0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(PixelAt(w, 0, 0), 0x123456u);
}

TEST_F(PngTest, SideChunksFillTheHeaderRecord) {
  Bytes gama, phys;
  AppendBig32(&gama, 45455);
  AppendBig32(&phys, 2835);
  AppendBig32(&phys, 2836);
  phys.push_back(1);
  Bytes png = Png({Chunk("IHDR", Header(1, 1, 8, 2)), Chunk("gAMA", gama), Chunk("pHYs", phys),
                   Chunk("tEXt", {'a', 0, 'b'}), Chunk("IDAT", Deflate({0, 1, 2, 3})),
                   Chunk("IEND", {})});
  PngInfo info;
  Surface* s = DecodePng(png.data(), png.size(), nullptr, 0, &info);
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(info.gamma, 0.45455, 1e-9);
  EXPECT_EQ(info.pixels_per_unit_y, 2836u);
  EXPECT_EQ(info.unit, 1);
}

TEST_F(PngTest, LoadsIntoTheRequestedFormat) {
  Bytes png = RgbPng(3, 2, 0, 0xFF);
  PixelFormat f16;
  MakePixelFormat(&f16, 16);
  Surface* s = DecodePng(png.data(), png.size(), &f16, SurfaceDisplayMemory);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->display_memory);
  EXPECT_EQ(PixelAt(s, 2, 1), 0xFFFFu);
  EXPECT_EQ(LiveSurfaceCount(), 1);  // the file's own surface was released
  // Without a format the flags still hold, in the file's own format.
  Surface* own = DecodePng(png.data(), png.size(), nullptr, SurfaceDisplayMemory);
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(own->display_memory);
  EXPECT_EQ(own->format.bits, 24);
  EXPECT_EQ(PixelAt(own, 2, 1), 0xFFFFFFu);
  EXPECT_EQ(LiveSurfaceCount(), 2);
}

struct Probe {
  int x, y;
  uint8_t r, g, b;
};

void CheckScreenshot(const char* name, int native_bits, std::initializer_list<Probe> probes) {
  std::string path = std::string(TAVO_SHARED_DIR) + "/roms/" + name;
  if (access(path.c_str(), R_OK) != 0) GTEST_SKIP() << "shared screenshots not present: " << path;
  SCOPED_TRACE(name);
  Surface* s = LoadPng(path.c_str(), nullptr, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->width, 256);
  EXPECT_EQ(s->height, 192);
  EXPECT_EQ(s->format.bits, native_bits);
  PixelFormat f32;
  MakePixelFormat(&f32, 32);
  Surface* t = LoadPng(path.c_str(), &f32, 0);
  ASSERT_NE(t, nullptr);
  for (const Probe& p : probes) {
    uint8_t rgb[3];
    PixelToColor(s->format, PixelAt(s, p.x, p.y), rgb);
    EXPECT_EQ(rgb[0], p.r) << p.x << "," << p.y;
    EXPECT_EQ(rgb[1], p.g) << p.x << "," << p.y;
    EXPECT_EQ(rgb[2], p.b) << p.x << "," << p.y;
    EXPECT_EQ(PixelAt(t, p.x, p.y), (uint32_t)p.r << 16 | p.g << 8 | p.b);
  }
}

TEST_F(PngTest, SharedScreenshotsLoadWithTheirPixels) {
  CheckScreenshot("astroswab.png", 8, {{0, 0, 0, 0, 85}, {17, 33, 0, 170, 255}, {128, 96, 85, 85, 85}});
  CheckScreenshot("bocksbirthday2003.png", 8,
                  {{128, 96, 255, 170, 0}, {17, 33, 172, 170, 172}, {200, 150, 82, 85, 82}});
  CheckScreenshot("bacachase.png", 24, {{0, 0, 0, 0, 0}, {128, 96, 33, 200, 66}});
  CheckScreenshot("silvervalley.png", 24,
                  {{128, 96, 255, 255, 170}, {200, 150, 85, 170, 255}, {255, 191, 0, 85, 0}});
  CheckScreenshot("wekainvaders.png", 24, {{128, 96, 172, 0, 255}, {255, 191, 255, 170, 0}});
  // The rest: 8-bit and 4-bit palettes, odd columns for the low nibble.
  CheckScreenshot("burgersofhanoi.png", 8, {{127, 42, 255, 0, 0}, {97, 84, 172, 85, 0},
                                            {109, 91, 255, 170, 0}});
  CheckScreenshot("cix.png", 8, {{1, 0, 65, 194, 230}, {169, 7, 197, 194, 131},
                                 {55, 70, 197, 194, 32}});
  CheckScreenshot("kunkunkokokun.png", 8, {{1, 0, 0, 170, 255}, {19, 14, 255, 255, 255},
                                           {73, 28, 255, 0, 0}});
  CheckScreenshot("lostraider.png", 8, {{19, 0, 82, 0, 0}, {61, 0, 255, 255, 255},
                                        {25, 7, 255, 170, 172}});
  CheckScreenshot("picross.png", 8, {{1, 0, 0, 85, 255}, {7, 0, 0, 85, 172},
                                     {19, 14, 255, 85, 0}});
}

}  // namespace
