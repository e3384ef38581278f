// The picture: every drawn frame is compared pixel by pixel with the plain
// reference model, plus hand-computed cases for the rules that matter most.
#include "vdp_fixture.h"

namespace {

constexpr uint16_t NameTable = 0x3800;  // R2 = 0xFF with 192 lines
constexpr uint16_t SpriteTable = 0x3F00;  // R5 = 0xFF

class VdpRenderTest : public VdpTest {
 protected:
  uint32_t seed_ = 12345;
  uint8_t Random() {
    seed_ = seed_ * 1103515245u + 12345u;
    return uint8_t(seed_ >> 16);
  }

  // Display on; sprite tiles from the lower 256 unless a test says otherwise.
  void EnableDisplay(uint8_t r1_extra = 0) {
    SetRegister(1, uint8_t(0x40 | r1_extra));
    SetRegister(6, 0xFB);
  }

  // Distinct 6-bit colours for all 32 entries.
  void LoadPalette() {
    std::vector<uint8_t> colours(32);
    for (int i = 0; i < 32; i++) colours[i] = uint8_t((i * 13 + 5) & 0x3F);
    colours[0] = 0x01;
    colours[16] = 0x30;
    WriteCram(0, colours);
  }

  // Random tiles below the name table, a random name table with every flag
  // and some sprites spread over the picture.
  void LoadBusyScene(int sprites, uint8_t sprite_tile_limit = 192) {
    std::vector<uint8_t> tiles(NameTable);
    for (uint8_t& b : tiles) b = Random();
    WriteVram(0, tiles);
    std::vector<uint8_t> names(0x700);
    for (size_t i = 0; i < names.size(); i += 2) {
      int tile = (Random() | Random() << 8) % 448;
      names[i] = uint8_t(tile);
      names[i + 1] = uint8_t((tile >> 8) | (Random() & 0x1E));
    }
    WriteVram(NameTable, names);
    std::vector<uint8_t> sat(256, 0);
    for (int i = 0; i < 64; i++) {
      sat[i] = i < sprites ? uint8_t(Random() % 200) : 0xE0;
      sat[128 + 2 * i] = Random();
      sat[128 + 2 * i + 1] = uint8_t(Random() % sprite_tile_limit);
    }
    WriteVram(SpriteTable, sat);
    LoadPalette();
  }

  // Tile `tile` filled with colour index `index` in every pixel.
  void SolidTile(int tile, int index) {
    std::vector<uint8_t> bytes(32);
    for (int row = 0; row < 8; row++)
      for (int plane = 0; plane < 4; plane++) bytes[row * 4 + plane] = (index >> plane) & 1 ? 0xFF : 0x00;
    WriteVram(uint16_t(tile * 32), bytes);
  }
  void SetSprite(int i, int y, int x, int tile) {
    WriteVram(uint16_t(SpriteTable + i), {uint8_t(y)});
    WriteVram(uint16_t(SpriteTable + 128 + 2 * i), {uint8_t(x), uint8_t(tile)});
  }
  void SetName(int row, int column, uint16_t entry) {
    WriteVram(uint16_t(NameTable + 64 * row + 2 * column), {uint8_t(entry), uint8_t(entry >> 8)});
  }
  uint16_t Colour(int index) const { return vdp->palette[index]; }
};

TEST_F(VdpRenderTest, BusyScreenMatchesReferenceAcrossScrolls) {
  SetOptions(OptMasterSystemGroup | OptNtscRate);
  LoadBusyScene(64);
  EnableDisplay();
  const uint8_t scrolls[][2] = {{0, 0}, {0x03, 0}, {0x08, 0x10}, {0x85, 0x37}, {0xFF, 0xDF}};
  for (auto [x, y] : scrolls) {
    SCOPED_TRACE(testing::Message() << "scroll " << int(x) << ", " << int(y));
    SetRegister(8, x);
    SetRegister(9, y);
    RenderSettledFrame();
    ExpectPictureMatchesReference();
  }
}

TEST_F(VdpRenderTest, FineScrollLeavesStripOrFillsItWithColourZero) {
  SetOptions(OptMasterSystemIo | OptSmsPalette | OptNtscRate);
  LoadBusyScene(0);
  EnableDisplay();
  SetRegister(8, 0x03);
  RenderSettledFrame();
  // Without the Master System screen option x 0..2 keep the cleared surface.
  EXPECT_EQ(Pixel(0, 10), 0);
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptSmsScreen);
  RenderSettledFrame();
  for (int x = 0; x < 3; x++) EXPECT_EQ(Pixel(x, 10), Colour(0));
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, CoarseScrollOfEightStartsWithColumn31) {
  SolidTile(1, 7);
  SetName(0, 31, 1);
  LoadPalette();
  EnableDisplay();
  SetRegister(8, 0x08);
  RenderSettledFrame();
  for (int x = 0; x < 8; x++) EXPECT_EQ(Pixel(x, 0), Colour(7)) << x;
  EXPECT_EQ(Pixel(8, 0), Colour(0));
}

TEST_F(VdpRenderTest, ScrollLocksForTopRowsAndRightColumns) {
  LoadBusyScene(20);
  EnableDisplay();
  SetRegister(8, 0x2D);
  SetRegister(9, 0x10);
  SetRegister(0, 0x40);  // top 16 lines unscrolled
  RenderSettledFrame();
  ExpectPictureMatchesReference();
  SetRegister(0, 0x80);  // right 8 columns not scrolled vertically
  RenderSettledFrame();
  ExpectPictureMatchesReference();
  SetRegister(0, 0xC0);
  RenderSettledFrame();
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, RightColumnLockShowsUnscrolledRows) {
  SolidTile(1, 3);
  SolidTile(2, 9);
  SetName(0, 28, 1);  // row 0: in the locked area
  SetName(2, 28, 2);  // row 2: shown at the top once scrolled up by 16
  SetName(2, 5, 2);
  LoadPalette();
  EnableDisplay();
  SetRegister(0, 0x80);
  SetRegister(9, 0x10);
  RenderSettledFrame();
  EXPECT_EQ(Pixel(28 * 8, 0), Colour(3));  // locked column: row 0 of the table
  EXPECT_EQ(Pixel(5 * 8, 0), Colour(9));   // scrolled column: row 2
}

TEST_F(VdpRenderTest, FlipsAndPaletteSelect) {
  // Tile 1: row 0 is indices 1..8 left to right; row 7 is all 15.
  std::vector<uint8_t> tile(32, 0);
  for (int i = 0; i < 8; i++)
    for (int plane = 0; plane < 4; plane++)
      if (((i + 1) >> plane) & 1) tile[plane] |= uint8_t(0x80 >> i);
  for (int plane = 0; plane < 4; plane++) tile[28 + plane] = 0xFF;
  WriteVram(32, tile);
  SetName(0, 0, 0x0001);
  SetName(0, 1, 0x0201);  // horizontal flip
  SetName(0, 2, 0x0401);  // vertical flip
  SetName(0, 3, 0x0801);  // sprite palette
  LoadPalette();
  EnableDisplay();
  RenderSettledFrame();
  for (int i = 0; i < 8; i++) {
    EXPECT_EQ(Pixel(i, 0), Colour(i + 1));
    EXPECT_EQ(Pixel(8 + i, 0), Colour(8 - i));
    EXPECT_EQ(Pixel(16 + i, 0), Colour(15));
    EXPECT_EQ(Pixel(24 + i, 0), Colour(16 + i + 1));
  }
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, PriorityTileCoversSpriteExceptItsColourZero) {
  // Tile 1: left half index 3, right half index 0; priority set.
  std::vector<uint8_t> tile(32, 0);
  for (int row = 0; row < 8; row++) tile[row * 4] = tile[row * 4 + 1] = 0xF0;
  WriteVram(32, tile);
  SolidTile(2, 5);
  SetName(1, 2, 0x1001);
  SetSprite(0, 7, 16, 2);  // lines 8..15, x 16..23: exactly under the tile
  SetSprite(1, 0xD0, 0, 0);
  LoadPalette();
  EnableDisplay();
  RenderSettledFrame();
  for (int line = 8; line < 16; line++) {
    for (int x = 16; x < 20; x++) EXPECT_EQ(Pixel(x, line), Colour(3));
    for (int x = 20; x < 24; x++) EXPECT_EQ(Pixel(x, line), Colour(16 + 5));
  }
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, NineSpritesOnALineWithAndWithoutTheLimit) {
  SolidTile(1, 6);
  for (int i = 0; i < 9; i++) SetSprite(i, 49, 10 + 20 * i, 1);
  SetSprite(9, 0xD0, 0, 0);
  LoadPalette();
  EnableDisplay();
  SetOptions(OptMasterSystemGroup | OptNtscRate);
  RenderSettledFrame();
  EXPECT_EQ(Pixel(10 + 20 * 8, 50), Colour(22));
  EXPECT_TRUE(VdpReadStatus(vdp) & VdpStatusOverflow);
  ExpectPictureMatchesReference();

  SetOptions(OptMasterSystemGroup | OptNtscRate | OptSpriteFlickering);
  RenderSettledFrame();
  EXPECT_EQ(Pixel(10 + 20 * 7, 50), Colour(22));
  EXPECT_EQ(Pixel(10 + 20 * 8, 50), Colour(0));
  EXPECT_TRUE(VdpReadStatus(vdp) & VdpStatusOverflow);
  ExpectPictureMatchesReference();

  // With the frame flag pending the overflow bit stays clear.
  VdpSetFrameFlag(vdp);
  RunFrameHooks(false);
  uint8_t status = VdpReadStatus(vdp);
  EXPECT_TRUE(status & VdpStatusFrame);
  EXPECT_FALSE(status & VdpStatusOverflow);
}

TEST_F(VdpRenderTest, ZoomedTallAndShiftedSpritesMatchReference) {
  LoadBusyScene(40);
  const uint8_t modes[][3] = {{0x01, 0, 0}, {0x02, 0, 0}, {0x03, 0, 0}, {0x00, 0x08, 0}, {0x03, 0x08, 0x04}};
  for (auto [r1, r0, r6] : modes) {
    SCOPED_TRACE(testing::Message() << "R1 " << int(r1) << " R0 " << int(r0) << " R6 " << int(r6));
    EnableDisplay(r1);
    SetRegister(0, r0);
    SetRegister(6, uint8_t(0xFB | r6));  // bit 2: sprite tiles from 256 on
    RenderSettledFrame();
    ExpectPictureMatchesReference();
  }
}

TEST_F(VdpRenderTest, ShiftedSpriteNearLeftEdgeWrapsToTheRight) {
  SolidTile(1, 4);
  SetSprite(0, 19, 3, 1);
  SetSprite(1, 0xD0, 0, 0);
  LoadPalette();
  EnableDisplay();
  SetRegister(0, 0x08);
  RenderSettledFrame();
  EXPECT_EQ(Pixel(251, 20), Colour(20));  // x 3 - 8 wraps to 251
  EXPECT_EQ(Pixel(0, 20), Colour(0));
}

TEST_F(VdpRenderTest, DisplayOffShowsOnlyTheBackdrop) {
  LoadBusyScene(64);
  SetRegister(7, 0x05);
  SetRegister(1, 0x00);
  RenderSettledFrame();
  for (int line = 0; line < 192; line += 7)
    for (int x = 0; x < 256; x++) ASSERT_EQ(Pixel(x, line), Colour(21));
  EXPECT_TRUE(vdp->display_off);
}

TEST_F(VdpRenderTest, LeftColumnBlankIsBlackNotBackdrop) {
  LoadBusyScene(64);
  SetRegister(7, 0x05);
  SetRegister(0, 0x20);
  EnableDisplay();
  SetRegister(8, 0x04);
  RenderSettledFrame();
  for (int line = 0; line < 192; line++)
    for (int x = 0; x < 8; x++) ASSERT_EQ(Pixel(x, line), 0);
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, EndMarkerOnlyIn192LineMode) {
  SolidTile(1, 2);
  SetSprite(0, 0xD0, 0, 0);
  SetSprite(1, 99, 40, 1);
  LoadPalette();
  EnableDisplay();
  RenderSettledFrame();
  EXPECT_EQ(Pixel(40, 100), Colour(0));
  // 224 lines: name table moves, the marker no longer ends the table.
  SetRegister(0, 0x02);
  EnableDisplay(0x10);
  RenderSettledFrame();
  ASSERT_EQ(vdp->active_lines, 224);
  EXPECT_EQ(Pixel(40, 100), Colour(18));
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, ExtendedHeightsMatchReference) {
  LoadBusyScene(64);
  SetRegister(0, 0x02);
  SetRegister(9, 0xF0);
  SetRegister(8, 0x11);
  EnableDisplay(0x10);
  RenderSettledFrame();
  EXPECT_EQ(vdp->active_lines, 224);
  EXPECT_EQ(vdp->name_table_height, 256);
  ExpectPictureMatchesReference();
  EnableDisplay(0x08);
  RenderSettledFrame();
  EXPECT_EQ(vdp->active_lines, 240);
  ExpectPictureMatchesReference();
}

TEST_F(VdpRenderTest, CollisionFlagEvenUnderAPriorityTile) {
  SolidTile(1, 6);
  SolidTile(2, 1);
  SetName(4, 4, 0x1002);  // priority tile over the sprites
  SetSprite(0, 31, 30, 1);
  SetSprite(1, 31, 34, 1);
  SetSprite(2, 0xD0, 0, 0);
  LoadPalette();
  EnableDisplay();
  RenderSettledFrame();
  EXPECT_TRUE(VdpReadStatus(vdp) & VdpStatusCollision);
  EXPECT_EQ(Pixel(34, 32), Colour(1));

  SetSprite(1, 31, 38, 1);  // side by side: no shared opaque pixel
  RenderSettledFrame();
  EXPECT_FALSE(VdpReadStatus(vdp) & VdpStatusCollision);
  SetRegister(1, 0x41);  // zoomed, the two now overlap
  RenderSettledFrame();
  EXPECT_TRUE(VdpReadStatus(vdp) & VdpStatusCollision);
}

// The collision marks are kept in 64-position words (position = x + 8):
// overlaps that straddle a word boundary or sit at the right edge count.
TEST_F(VdpRenderTest, CollisionsAcrossMarkWordsAndAtTheRightEdge) {
  SolidTile(1, 6);
  LoadPalette();
  EnableDisplay();
  struct Case { int first_x, second_x; uint8_t r1; bool collide; };
  const Case cases[] = {
      {49, 56, 0x40, true},    // shared position 64: the straddling sprite is checked last
      {56, 49, 0x40, true},    // ... or marked first
      {49, 57, 0x40, false},
      {113, 120, 0x40, true},  // position 128
      {241, 248, 0x40, true},  // position 256, the last word
      {255, 248, 0x40, true},  // both in the last word
      {240, 255, 0x41, true},  // zoomed: 248..263 against 263..278
      {239, 255, 0x41, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first_x << " / " << c.second_x << " R1 " << std::hex << int(c.r1));
    SetSprite(0, 59, c.first_x, 1);
    SetSprite(1, 59, c.second_x, 1);
    SetSprite(2, 0xD0, 0, 0);
    SetRegister(1, c.r1);
    RenderSettledFrame();
    EXPECT_EQ((VdpReadStatus(vdp) & VdpStatusCollision) != 0, c.collide);
  }
}

TEST_F(VdpRenderTest, NothingIsDrawnPastTheSurfaceRow) {
  SolidTile(1, 6);
  SetSprite(0, 9, 255, 1);
  SetSprite(1, 0xD0, 0, 0);
  SetName(1, 31, 1);
  LoadPalette();
  SetRegister(0, 0x80);  // 33 columns drawn
  SetRegister(8, 0x07);
  EnableDisplay(0x01);   // zoomed sprite reaching x 270
  RunFrameHooks(false);
  // Mark the left margin of every row; nothing of this frame may reach it.
  PixelBuffer* s = vdp->draw_surface;
  for (int line = 0; line < VdpSurfaceHeight; line++)
    for (int x = 0; x < VdpSurfaceMargin; x++)
      reinterpret_cast<uint16_t*>(s->pixels + size_t(line) * s->pitch)[x] = 0x1234;
  RunFrameHooks(true);
  for (int line = 0; line < VdpSurfaceHeight; line++)
    for (int x = 0; x < VdpSurfaceMargin; x++) ASSERT_EQ(SurfacePixel(x, line), 0x1234) << line;
  EXPECT_EQ(SurfacePixel(VdpSurfaceWidth - 1, 12), Colour(22));
}

TEST_F(VdpRenderTest, TileRowsAreRedecodedAfterVramWrites) {
  SolidTile(1, 2);
  SetName(0, 0, 1);
  LoadPalette();
  EnableDisplay();
  RenderSettledFrame();
  EXPECT_EQ(Pixel(0, 0), Colour(2));
  SolidTile(1, 9);
  RenderSettledFrame();
  EXPECT_EQ(Pixel(0, 0), Colour(9));
  uint8_t indices[8];
  VdpTileRowIndices(vdp, 8, 0x0A, indices);
  for (uint8_t i : indices) EXPECT_EQ(i, 25);
  uint16_t row[8];
  VdpDrawTileRow(vdp, 8, 0x08, row);
  for (uint16_t c : row) EXPECT_EQ(c, Colour(25));
}

TEST_F(VdpRenderTest, GameGearWindowAndPalette) {
  SetOptions(OptGameGearGroup | OptNtscRate);
  LoadBusyScene(30);
  std::vector<uint8_t> cram(64);
  for (int i = 0; i < 64; i++) cram[i] = uint8_t(i * 37 + 11);
  WriteCram(0, cram);
  EnableDisplay();
  RenderSettledFrame();
  VdpWindow window = VdpVisibleWindow(vdp);
  EXPECT_EQ(window.x, 56);
  EXPECT_EQ(window.y, 24);
  EXPECT_EQ(window.width, 160);
  EXPECT_EQ(window.height, 144);
  EXPECT_EQ(window.drawn, vdp->draw_surface);
  ExpectPictureMatchesReference(24, 144);
  VdpSwapSurfaces(vdp);
  EXPECT_EQ(VdpVisibleWindow(vdp).finished, window.drawn);
}

}  // namespace
