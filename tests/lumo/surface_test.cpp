// Memory and display surfaces: formats, pitches, clipping, locking, the
// registry and the drawing operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lumo/platform_sdl.h"
#include "lumo/surface.h"

namespace {

class SurfaceTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetSurfaces(); }
};

uint32_t PixelAt(Surface* s, int x, int y) {
  uint8_t* p = LockSurface(s, LockReadOnly);
  uint32_t v = ReadPixel(p + y * s->pitch + x * s->format.bytes, s->format.bytes);
  UnlockSurface(s);
  return v;
}

TEST_F(SurfaceTest, FormatsCarryTheirMasksShiftsAndLosses) {
  PixelFormat f;
  ASSERT_TRUE(MakePixelFormat(&f, 16));
  EXPECT_EQ(f.mask[0], 0xF800u);
  EXPECT_EQ(f.mask[1], 0x07E0u);
  EXPECT_EQ(f.mask[2], 0x001Fu);
  EXPECT_EQ(f.max[1], 63);
  EXPECT_EQ(f.step[0], 8);
  EXPECT_EQ(f.step[1], 4);
  ASSERT_TRUE(MakePixelFormat(&f, 32));
  EXPECT_EQ(f.mask[3], 0xFF000000u);
  EXPECT_EQ(f.shift[3], 24);
  EXPECT_EQ(f.kind, 3);
  ASSERT_TRUE(MakePixelFormat(&f, 8));
  EXPECT_NE(f.palette, nullptr);
  FreePixelFormat(&f);
  EXPECT_FALSE(MakePixelFormat(&f, 12));
}

TEST_F(SurfaceTest, PitchesAreRoundedUpToFourBytes) {
  EXPECT_EQ(CreateSurface(100, 10, 24, 0)->pitch, 300);
  EXPECT_EQ(CreateSurface(100, 10, 16, 0)->pitch, 200);
  EXPECT_EQ(CreateSurface(101, 10, 16, 0)->pitch, 204);
  EXPECT_EQ(CreateSurface(3, 1, 8, 0)->pitch, 4);
  Surface* s = CreateSurface(5, 5, 32, 0);
  EXPECT_EQ((uintptr_t)s->pixels % 16, 0u);
  EXPECT_EQ(LiveSurfaceCount(), 4 + 1);
}

TEST_F(SurfaceTest, BadRequestsGiveNone) {
  EXPECT_EQ(CreateSurface(10, 10, 15, 0), nullptr);
  EXPECT_EQ(CreateSurface(0, 10, 16, 0), nullptr);
  EXPECT_EQ(CreateSurface(10, -1, 16, 0), nullptr);
  EXPECT_EQ(CreateSurface(20000, 2, 32, 0), nullptr);  // row too long for the pitch field
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(SurfaceTest, WhiteAndKeyInEachFormat) {
  Surface* s16 = CreateSurface(4, 4, 16, 0);
  EXPECT_EQ(s16->white, 0xFFFFu);
  EXPECT_EQ(s16->color_key, 0xF81Fu);
  Surface* s32 = CreateSurface(4, 4, 32, 0);
  EXPECT_EQ(s32->white, 0xFFFFFFu);
  EXPECT_EQ(s32->color_key, 0xFF00FFu);
  EXPECT_EQ(ColorToPixel(s16->format, 128, 128, 128), (15u << 11) | (31u << 5) | 15u);
  uint8_t rgb[3];
  PixelToColor(s16->format, 0xFFFF, rgb);
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 255);
}

TEST_F(SurfaceTest, ClearFlagZeroesAndClipCoversTheSurface) {
  Surface* s = CreateSurface(7, 3, 16, SurfaceClear);
  EXPECT_EQ(s->clip.right, 6);
  EXPECT_EQ(s->clip.bottom, 2);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 7; x++) EXPECT_EQ(PixelAt(s, x, y), 0u);
}

TEST_F(SurfaceTest, FillIsClipped) {
  Surface* s = CreateSurface(8, 8, 16, SurfaceClear);
  SetSurfaceClip(s, 2, 2, 5, 5);
  EXPECT_TRUE(FillRect(20, 20, 4, 4, s, 0x1234));  // wholly outside
  EXPECT_TRUE(FillRect(-3, 0, 3, 8, s, 0x1234));
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) ASSERT_EQ(PixelAt(s, x, y), 0u);
  EXPECT_TRUE(FillRect(0, 0, 4, 100, s, 0xABCD));
  EXPECT_EQ(PixelAt(s, 1, 3), 0u);
  EXPECT_EQ(PixelAt(s, 2, 2), 0xABCDu);
  EXPECT_EQ(PixelAt(s, 3, 5), 0xABCDu);
  EXPECT_EQ(PixelAt(s, 3, 6), 0u);
  EXPECT_EQ(PixelAt(s, 4, 3), 0u);
  Surface* s24 = CreateSurface(5, 2, 24, SurfaceClear);
  FillRect(1, 1, 3, 1, s24, 0x123456);
  EXPECT_EQ(PixelAt(s24, 3, 1), 0x123456u);
  EXPECT_EQ(PixelAt(s24, 4, 1), 0u);
}

TEST_F(SurfaceTest, DisplaySurfaceLocksOnceWhenNested) {
  Surface* s = CreateSurface(32, 16, 16, SurfaceDisplayMemory | SurfaceClear);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->display_memory);
  const int locks = s->display->lock_calls, unlocks = s->display->unlock_calls;
  uint8_t* outer = LockSurface(s, LockReadWrite);
  uint8_t* inner = LockSurface(s, LockReadOnly);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(inner, outer);
  EXPECT_GE(s->pitch, 64);
  EXPECT_EQ(s->lock_count, 2);
  UnlockSurface(s);
  EXPECT_EQ(s->display->unlock_calls, unlocks);
  UnlockSurface(s);
  EXPECT_EQ(s->display->lock_calls, locks + 1);
  EXPECT_EQ(s->display->unlock_calls, unlocks + 1);
  EXPECT_EQ(s->lock_count, 0);
  UnlockSurface(s);  // one too many does nothing
  EXPECT_EQ(s->display->unlock_calls, unlocks + 1);
  // Memory surfaces only count.
  Surface* m = CreateSurface(4, 4, 16, 0);
  EXPECT_EQ(LockSurface(m, LockReadWrite), m->pixels);
  EXPECT_EQ(m->lock_count, 1);
}

TEST_F(SurfaceTest, SurfaceListShowsOnlyWideSurfaces) {
  Surface* wide = CreateSurface(21, 5, 16, 0);
  CreateSurface(20, 5, 32, 0);
  testing::internal::CaptureStdout();
  PrintSurfaceList();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("Lumo Surface List:\n", 0), 0u);
  char line[128];
  snprintf(line, sizeof line, "   0: @%d: 21x5x16 0 (allocated=1)\n", (int)(uintptr_t)wide);
  EXPECT_NE(out.find(line), std::string::npos) << out;
  EXPECT_EQ(out.find("20x5"), std::string::npos);
}

TEST_F(SurfaceTest, CheckedFreeRefusesUnknownSurfaces) {
  Surface stranger{};
  testing::internal::CaptureStdout();
  DestroySurface(&stranger);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "free error: " + std::to_string((int)(uintptr_t)&stranger) + " (0)\n");
  Surface* a = CreateSurface(4, 4, 16, 0);
  Surface* b = CreateSurface(4, 4, 16, 0);
  DestroySurface(a);
  EXPECT_EQ(LiveSurfaceCount(), 1);
  Surface* c = CreateSurface(4, 4, 16, 0);  // reuses the freed entry
  DestroySurface(b);
  DestroySurface(c);
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(SurfaceTest, RegistryGrowsPastItsFirstBlock) {
  for (int i = 0; i < 600; i++) ASSERT_NE(CreateSurface(2, 2, 8, 0), nullptr);
  EXPECT_EQ(LiveSurfaceCount(), 600);
  ResetSurfaces();
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(SurfaceTest, CopyConvertsRgb565AndHonoursTheKey) {
  Surface* src = CreateSurface(4, 2, 16, SurfaceClear);
  FillRect(0, 0, 4, 2, src, 0xF800);               // red
  FillRect(1, 0, 1, 1, src, src->color_key);        // a see-through pixel
  FillRect(3, 1, 1, 1, src, 0xFFFF);
  Surface* dst = CreateSurface(6, 4, 32, SurfaceClear);
  FillRect(0, 0, 6, 4, dst, 0x123456);
  src->color_key_enabled = true;
  ASSERT_TRUE(CopySurface(dst, 1, 1, src, {0, 0, 4, 2}));
  EXPECT_EQ(PixelAt(dst, 0, 0), 0x123456u);
  EXPECT_EQ(PixelAt(dst, 1, 1), 0xFF0000u);
  EXPECT_EQ(PixelAt(dst, 2, 1), 0x123456u);  // key skipped
  EXPECT_EQ(PixelAt(dst, 4, 2), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(dst, 5, 1), 0x123456u);
  // Clipped at the target's edge and converted back to 16 bits exactly.
  Surface* back = CreateSurface(3, 3, 16, SurfaceClear);
  ASSERT_TRUE(CopySurface(back, -1, 0, dst, {1, 1, 4, 2}));
  EXPECT_EQ(PixelAt(back, 0, 0), (2u << 11) | (13u << 5) | 10u);  // 0x123456 narrowed
  EXPECT_EQ(PixelAt(back, 1, 0), 0xF800u);
  EXPECT_EQ(PixelAt(back, 2, 1), 0xFFFFu);
}

TEST_F(SurfaceTest, CopyWithinOneSurfaceHandlesOverlap) {
  Surface* s = CreateSurface(6, 1, 16, SurfaceClear);
  for (int x = 0; x < 6; x++) FillRect(x, 0, 1, 1, s, x + 1);
  ASSERT_TRUE(CopySurface(s, 1, 0, s, {0, 0, 5, 1}));
  for (int x = 1; x < 6; x++) EXPECT_EQ(PixelAt(s, x, 0), (uint32_t)x);
}

TEST_F(SurfaceTest, BlendHalvesEachField) {
  Surface* a = CreateSurface(2, 2, 16, 0);
  Surface* b = CreateSurface(2, 2, 16, 0);
  FillRect(0, 0, 2, 2, a, 0xFFFF);
  FillRect(0, 0, 2, 2, b, 0xFFFF);
  ASSERT_TRUE(BlendSurfaces(a, a, b));
  EXPECT_EQ(PixelAt(a, 1, 1), 0xF7DEu);  // low bit of each field lost
  Surface* c = CreateSurface(3, 2, 16, 0);
  EXPECT_FALSE(BlendSurfaces(a, a, c));
}

TEST_F(SurfaceTest, StretchCutsTheSourceInProportionToTheClip) {
  Surface* src = CreateSurface(4, 1, 16, 0);
  for (int x = 0; x < 4; x++) FillRect(x, 0, 1, 1, src, 0x100 + x);
  Surface* dst = CreateSurface(8, 2, 32, SurfaceDisplayMemory | SurfaceClear);
  SetSurfaceClip(dst, 4, 0, 7, 1);
  ASSERT_TRUE(StretchSurface(dst, {0, 0, 8, 2}, src, {0, 0, 4, 1}));
  // The right half of the target shows the right half of the source, doubled.
  EXPECT_EQ(PixelAt(dst, 3, 0), 0u);
  auto widened = [&](uint32_t pixel) {
    uint8_t rgb[3];
    PixelToColor(src->format, pixel, rgb);
    return (uint32_t)rgb[0] << 16 | rgb[1] << 8 | rgb[2];
  };
  EXPECT_EQ(PixelAt(dst, 4, 1), widened(0x102));
  EXPECT_EQ(PixelAt(dst, 5, 0), widened(0x102));
  EXPECT_EQ(PixelAt(dst, 7, 0), widened(0x103));
}

}  // namespace
