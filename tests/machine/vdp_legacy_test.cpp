// The legacy display modes worked out by hand: which mode the registers
// select, one line of each mode's tables, and the sprites' limit, flag,
// number and collisions. No test here writes the colour RAM, which would
// make the VDP a mode 4 one.
#include "vdp_fixture.h"
#include "vdp_legacy_reference.h"

namespace {

class VdpLegacyTest : public VdpTest {
 protected:
  void SetUp() override {
    VdpTest::SetUp();
    SetRegister(2, 0x0E);  // names at 0x3800
    SetRegister(5, 0x7E);  // sprite table at 0x3F00
    SetRegister(6, 0x03);  // sprite patterns at 0x1800
    SetRegister(7, 0x04);  // dark blue backdrop
    WriteVram(SpriteTable, {0xD0});
  }
  void Sprite(int i, int y, int x, int pattern, int colour) {
    WriteVram(uint16_t(SpriteTable + 4 * i), {uint8_t(y), uint8_t(x), uint8_t(pattern), uint8_t(colour)});
  }
  void SolidSpritePattern(int pattern) { FillVram(uint16_t(0x1800 + 8 * pattern), 8, 0xFF); }
  // Five solid 8 x 8 sprites on lines 10-17, 20 pixels apart, colours 2-6.
  void FiveOnALine() {
    SolidSpritePattern(1);
    for (int i = 0; i < 5; i++) Sprite(i, 9, 20 * i, 1, 2 + i);
    Sprite(5, 0xD0, 0, 0, 0);
  }
  uint8_t StatusAfterFrame() {
    RenderSettledFrame();
    return VdpReadStatus(vdp);
  }
  void ExpectColour(int x, int line, int colour) {
    EXPECT_EQ(Pixel(x, line), LegacyRgb(colour)) << "at (" << x << ", " << line << ")";
  }

  static constexpr uint16_t SpriteTable = 0x3F00;
};

TEST_F(VdpLegacyTest, ModeFromTheBitsUnlessTheProgramLoadsColours) {
  struct Case { uint8_t r0, r1; VdpMode mode; };
  const Case cases[] = {
      {0x00, 0x40, VdpGraphics1}, {0x02, 0x40, VdpGraphics2}, {0x00, 0x48, VdpMulticolour},
      {0x00, 0x50, VdpText},      {0x02, 0x58, VdpText},      {0x02, 0x48, VdpMulticolour},
      {0x04, 0x50, VdpMode4},     {0x06, 0x40, VdpMode4},
  };
  for (const Case& c : cases) {
    SetRegister(0, c.r0);
    SetRegister(1, c.r1);
    EXPECT_EQ(VdpCurrentMode(vdp), c.mode) << std::hex << int(c.r0) << " " << int(c.r1);
  }
  SetRegister(0, 0x00);
  SetOptions(OptGameGearGroup | OptNtscRate);
  EXPECT_EQ(VdpCurrentMode(vdp), VdpMode4);
  SetOptions(OptMasterSystemGroup | OptNtscRate);
  EXPECT_EQ(VdpCurrentMode(vdp), VdpGraphics1);

  // A state block remembers a program that loaded colours by its colour RAM.
  uint8_t block[VdpStateBlockSize];
  WriteCram(3, {0x00});
  EXPECT_EQ(VdpCurrentMode(vdp), VdpMode4);
  VdpWriteStateBlock(vdp, block);
  VdpPowerOn(vdp);
  EXPECT_EQ(VdpCurrentMode(vdp), VdpGraphics1);
  block[VdpVramSize + 3] = 0x15;
  ASSERT_TRUE(VdpReadStateBlock(vdp, block));
  EXPECT_EQ(VdpCurrentMode(vdp), VdpMode4);
  block[VdpVramSize + 3] = 0;
  ASSERT_TRUE(VdpReadStateBlock(vdp, block));
  EXPECT_EQ(VdpCurrentMode(vdp), VdpGraphics1);
}

TEST_F(VdpLegacyTest, GraphicsOneColourGroupsAndBackdrop) {
  SetRegister(3, 0x80);  // colours at 0x2000
  SetRegister(4, 0x00);  // patterns at 0x0000
  WriteVram(0x0008, {0xA5});  // pattern 1, row 0
  WriteVram(0x0040, {0xF0});  // pattern 8, row 0
  WriteVram(0x2000, {0x6A, 0x30});  // patterns 0-7: dark red on dark yellow; 8-15: light green on clear
  WriteVram(0x3800, {1, 8});
  SetRegister(1, 0x40);
  RenderSettledFrame();
  const int first[8] = {6, 10, 6, 10, 10, 6, 10, 6};
  for (int x = 0; x < 8; x++) ExpectColour(x, 0, first[x]);
  for (int x = 8; x < 12; x++) ExpectColour(x, 0, 3);
  for (int x = 12; x < 16; x++) ExpectColour(x, 0, 4);  // transparent: the backdrop
  SetRegister(1, 0x00);
  RenderSettledFrame();
  for (int x = 0; x < 256; x += 17) ExpectColour(x, 100, 4);
}

TEST_F(VdpLegacyTest, GraphicsTwoThirdsAndTableMasks) {
  // Line 64 is row 8, the middle third: name 5 there is pattern 256 + 5.
  WriteVram(0x3800 + 8 * 32, {5});
  WriteVram(0x0828, {0xF0});
  WriteVram(0x2828, {0x9C});
  WriteVram(0x0028, {0x0F});  // the same name in the top third
  WriteVram(0x2028, {0xE1});
  SetRegister(0, 0x02);
  SetRegister(1, 0x40);
  SetRegister(3, 0xFF);  // colours at 0x2000, all three thirds
  SetRegister(4, 0x03);  // patterns at 0x0000, all three thirds
  RenderSettledFrame();
  ExpectColour(0, 64, 9);
  ExpectColour(4, 64, 12);
  // Cleared mask bits fold the middle third onto the top third's tables.
  SetRegister(3, 0x80);
  SetRegister(4, 0x00);
  RenderSettledFrame();
  ExpectColour(0, 64, 1);
  ExpectColour(4, 64, 14);
  SetRegister(4, 0x03);  // own patterns again, folded colours
  RenderSettledFrame();
  ExpectColour(0, 64, 14);
  ExpectColour(4, 64, 1);
}

TEST_F(VdpLegacyTest, TextColumnsOfSixWithABorder) {
  SetRegister(4, 0x01);  // patterns at 0x0800
  SetRegister(7, 0xF4);  // white on dark blue
  WriteVram(0x0810, {0xFC});  // pattern 2, row 0: six lit pixels
  WriteVram(0x0818, {0x84});  // pattern 3, row 0: first and last lit
  WriteVram(0x3800, {2, 3});
  WriteVram(0x3800 + 40, {2});  // row 1 begins 40 names on
  SetRegister(1, 0x50);
  RenderSettledFrame();
  for (int x = 0; x < 8; x++) ExpectColour(x, 0, 4);
  for (int x = 8; x < 14; x++) ExpectColour(x, 0, 15);
  const int second[6] = {15, 4, 4, 4, 4, 15};
  for (int i = 0; i < 6; i++) ExpectColour(14 + i, 0, second[i]);
  ExpectColour(8, 8, 15);
  for (int x = 248; x < 256; x++) ExpectColour(x, 0, 4);
}

TEST_F(VdpLegacyTest, MulticolourBlocks) {
  SetRegister(4, 0x00);
  WriteVram(0x3800, {3});
  WriteVram(0x3800 + 32, {3});
  WriteVram(0x0018, {0x2B, 0x0D, 0x65});  // pattern 3: rows 0 and 1 of a name row group
  SetRegister(1, 0x48);
  RenderSettledFrame();
  ExpectColour(0, 0, 2);
  ExpectColour(4, 3, 11);
  ExpectColour(3, 4, 4);  // transparent: the backdrop
  ExpectColour(7, 7, 13);
  ExpectColour(0, 8, 6);  // name row 1 uses the next byte pair
  ExpectColour(4, 11, 5);
}

TEST_F(VdpLegacyTest, FourSpritesPerLineFifthFlagAndNumber) {
  FiveOnALine();
  SetRegister(1, 0x40);
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptSpriteFlickering);
  EXPECT_EQ(StatusAfterFrame(), 0xC4);  // frame, fifth sprite, number 4
  ExpectColour(60, 10, 5);
  EXPECT_NE(Pixel(80, 10), LegacyRgb(6));
  SetOptions(OptMasterSystemGroup | OptNtscRate);  // the limit option off: all are shown
  EXPECT_EQ(StatusAfterFrame(), 0xC4);
  ExpectColour(80, 10, 6);

  // Without a fifth sprite the number is where the scan stopped: the end
  // marker, or the last sprite. Reading keeps it.
  Sprite(3, 0xD0, 0, 0, 0);
  EXPECT_EQ(StatusAfterFrame(), 0x83);
  EXPECT_EQ(VdpReadStatus(vdp), 0x03);
  for (int i = 0; i < 32; i++) Sprite(i, 0xC0, 0, 0, 0);
  EXPECT_EQ(StatusAfterFrame(), 0x9F);
  // The state block keeps the number in the status byte.
  uint8_t block[VdpStateBlockSize];
  FiveOnALine();
  RenderSettledFrame();
  VdpWriteStateBlock(vdp, block);
  EXPECT_EQ(block[VdpVramSize + 64 + 16 + 9], 0xC4);
  VdpPowerOn(vdp);
  ASSERT_TRUE(VdpReadStateBlock(vdp, block));
  EXPECT_EQ(VdpReadStatus(vdp), 0xC4);
}

TEST_F(VdpLegacyTest, SpriteSizesEarlyClockAndCollisions) {
  SolidSpritePattern(1);
  Sprite(0, 49, 100, 1, 7);
  Sprite(1, 49, 104, 1, 0);  // transparent, yet it collides
  Sprite(2, 0xD0, 0, 0, 0);
  SetRegister(1, 0x40);
  EXPECT_EQ(StatusAfterFrame() & VdpStatusCollision, VdpStatusCollision);
  ExpectColour(108, 50, 4);
  Sprite(1, 49, 108, 1, 8);  // side by side
  EXPECT_EQ(StatusAfterFrame() & VdpStatusCollision, 0);
  // Early clock: 32 pixels to the left; overlapping only left of the
  // picture is no collision.
  Sprite(0, 49, 4, 1, 0x87);
  Sprite(1, 49, 2, 1, 0x88);
  EXPECT_EQ(StatusAfterFrame() & VdpStatusCollision, 0);
  ExpectColour(0, 50, 4);
  Sprite(0, 49, 30, 1, 0x87);  // x -2: two pixels left of the picture
  EXPECT_EQ(StatusAfterFrame() & VdpStatusCollision, 0);
  ExpectColour(5, 50, 7);
  ExpectColour(6, 50, 4);

  // 16 x 16 magnified: the first pixel of the top-right pattern is 2 x 2
  // at x + 16, lines top and top + 1.
  FillVram(0x1800 + 8 * 4, 32, 0x00);
  WriteVram(0x1800 + 8 * 6, {0x80});
  Sprite(0, 49, 100, 5, 9);  // pattern number rounded down to 4
  Sprite(1, 0xD0, 0, 0, 0);
  SetRegister(1, 0x43);
  RenderSettledFrame();
  ExpectColour(116, 50, 9);
  ExpectColour(117, 51, 9);
  ExpectColour(115, 50, 4);
  ExpectColour(118, 50, 4);
  ExpectColour(116, 52, 4);
}

}  // namespace
