// SSP picture sets and fonts: the reader's layout rules, the shipped font
// and picture files, and text drawn through the coverage mask.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "lumo/display.h"
#include "lumo/font.h"
#include "lumo/gui_graphics.h"
#include "lumo/ssp.h"
#include "lumo/ssp_builder.h"
#include "lumo/surface.h"

namespace {

class Ssp : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeGuiGraphics();
    ResetSurfaces();
  }
  std::string Temp(const std::vector<uint8_t>& data) {
    std::string path = "/tmp/tavo_ssp_test_" + std::to_string(getpid()) + ".ssp";
    EXPECT_TRUE(WriteFile(path, data));
    paths_.push_back(path);
    return path;
  }
  ~Ssp() override {
    for (const std::string& p : paths_) unlink(p.c_str());
  }
  std::vector<std::string> paths_;
};

uint16_t Pixel16(Surface* s, int x, int y) {
  LockSurface(s, LockReadOnly);
  uint16_t v = *reinterpret_cast<uint16_t*>(s->pixels + y * s->pitch + x * 2);
  UnlockSurface(s);
  return v;
}

TEST_F(Ssp, RowsArePaddedToFourBytesAndReadInOrder) {
  // 3 pixels at 16 bits: 6 bytes of pixels in rows of 8. A second picture
  // after it only reads right when the padding was skipped.
  auto data = SspFile(16, {{3, 2, 0, 0x1234}, {1, 1, 1, 0xABCD}});
  ASSERT_EQ(data.size(), 28u + 12 + 2 * 8 + 12 + 4);
  Surface* table[2];
  ASSERT_EQ(DecodeSsp(data.data(), data.size(), table, 2, 0), 2);
  EXPECT_EQ(table[0]->width, 3);
  EXPECT_EQ(Pixel16(table[0], 2, 1), 0x1234);
  EXPECT_EQ(Pixel16(table[1], 0, 0), 0xABCD);
  EXPECT_FALSE(table[0]->color_key_enabled);
  EXPECT_TRUE(table[1]->color_key_enabled);
  FreeSspPictures(table, 2);
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(Ssp, MagicCountAndMaximum) {
  auto data = SspFile(32, std::vector<SspPictureSpec>(40, {2, 2, 0, 0xFF0000}));
  Surface* table[40];
  EXPECT_EQ(DecodeSsp(data.data(), data.size(), table, 31, 0), 31);
  FreeSspPictures(table, 31);
  data[3] = 'X';  // "SSPX"
  EXPECT_EQ(DecodeSsp(data.data(), data.size(), table, 31, 0), 0);
  EXPECT_EQ(LoadSsp("/nonexistent/gui.ssp", table, 31, 0), 0);
  EXPECT_EQ(table[0], nullptr);
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(Ssp, FontWithFewerPicturesHasZeroWidthsAndSumsWidths) {
  // Codes 0-65 only; 'A' (65) 5 wide, blank (32) 3 wide, height the tallest.
  std::vector<SspPictureSpec> glyphs(66, {0, 0, 1, 0xF81F});
  glyphs[32] = {3, 7, 1, 0xF81F};
  glyphs[65] = {5, 9, 1, 0xFFFF};
  Font font;
  ASSERT_TRUE(LoadFont(&font, Temp(SspFile(16, glyphs)).c_str(), 0));
  EXPECT_EQ(font.height, 9);
  EXPECT_EQ(font.glyph_width[65], 5);
  EXPECT_EQ(font.glyph_width[66], 0);
  EXPECT_EQ(font.glyph_width[200], 0);
  EXPECT_EQ(font.glyph_x[65], 3);
  EXPECT_EQ(font.strip->width, 8);
  EXPECT_EQ(TextWidth(font, "A A"), 13);
  EXPECT_EQ(TextWidth(font, "AB"), 5);
  EXPECT_EQ(font.coverage[0], 0);            // the blank has no ink
  EXPECT_EQ(font.coverage[3 + 8 * 8], 1);    // 'A' is solid
  FreeFont(&font);
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST_F(Ssp, ShippedFilesLoadWithTheirPromisedMetrics) {
  ASSERT_TRUE(SetDisplayMode(320, 240, 32, false));
  ASSERT_TRUE(LoadGuiGraphics(false, TAVO_BUILD_DIR));
  // The fixed font: 8 rows, one pitch for all printable codes, inside the
  // SDSC console's 7 x 9 cell; the Messages list shows (240 - 2) / 8 rows.
  EXPECT_EQ(GuiFixedFont.height, 8);
  for (int c = 32; c <= 126; c++) EXPECT_EQ(GuiFixedFont.glyph_width[c], 6) << "code " << c;
  EXPECT_EQ((240 - 2) / GuiFixedFont.height, 29);
  // The GUI font: proportional, 12 rows, every printable code drawn.
  EXPECT_EQ(GuiFont.height, 12);
  for (int c = 33; c <= 126; c++) EXPECT_GT(GuiFont.glyph_width[c], 1) << "code " << c;
  EXPECT_LT(GuiFont.glyph_width['i'], GuiFont.glyph_width['W']);
  EXPECT_GT(GuiFont.glyph_width[EllipsisCode], 0);
  for (int i = 0; i < GuiPictureCount; i++) {
    ASSERT_NE(GuiPictures[i], nullptr) << i;
    EXPECT_EQ(GuiPictures[i]->format.bits, 32) << "converted to the screen";
    EXPECT_TRUE(GuiPictures[i]->color_key_enabled);
  }
  EXPECT_EQ(GuiPictures[PicCloseBox]->width, 12);
  for (int i = 0; i < GuiPicture2Count; i++) EXPECT_NE(GuiPictures2[i], nullptr) << i;
  // The glyph mask: 8 bits, as wide as the fixed font's strip, 1 on ink.
  ASSERT_NE(GlyphMask, nullptr);
  EXPECT_EQ(GlyphMask->format.bits, 8);
  EXPECT_EQ(GlyphMask->width, GuiFixedFont.strip->width);
  int ink = 0;
  LockSurface(GlyphMask, LockReadOnly);
  for (int x = 0; x < 6; x++)  // 'A'
    for (int y = 0; y < 8; y++) ink += GlyphMask->pixels[y * GlyphMask->pitch + GuiFixedFont.glyph_x['A'] + x];
  UnlockSurface(GlyphMask);
  EXPECT_GT(ink, 10);
  EXPECT_EQ(GlyphMask->format.palette[3], 255);
  EXPECT_FALSE(LoadGuiGraphics(false, "/nonexistent"));
  CloseDisplay();
}

TEST_F(Ssp, TextIsDrawnInAnyColourClippedAndCutWithAnEllipsis) {
  ASSERT_TRUE(LoadGuiGraphics(false, TAVO_BUILD_DIR));
  Surface* s = CreateSurface(100, 20, 16, SurfaceClear);
  DrawText(s, GuiFixedFont, 0, 0, "HI", 0x07E0);
  int green = 0;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 12; x++) green += Pixel16(s, x, y) == 0x07E0;
  EXPECT_GT(green, 10);
  for (int y = 0; y < 20; y++) EXPECT_EQ(Pixel16(s, 13, y), 0) << "nothing right of the text";
  // Clipped: ink only inside the clip rectangle.
  FillRect(0, 0, 100, 20, s, 0);
  const ClipRect clip{3, 2, 8, 5};
  DrawText(s, GuiFixedFont, 0, 0, "MMMM", 0xFFFF, &clip);
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 100; x++)
      EXPECT_TRUE(!Pixel16(s, x, y) || (x >= 3 && x <= 8 && y >= 2 && y <= 5)) << x << "," << y;
  // Cut: the longest head that fits, then the ellipsis.
  char out[64];
  const int w = FitText(GuiFixedFont, "ABCDEFGHIJ", 40, out, sizeof out);
  EXPECT_STREQ(out, "ABCDE\x85");
  EXPECT_EQ(w, 36);
  EXPECT_EQ(FitText(GuiFixedFont, "ABC", 40, out, sizeof out), 18);
  EXPECT_STREQ(out, "ABC");
  DestroySurface(s);
}

}  // namespace
