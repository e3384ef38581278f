// The demo cartridge run through the console operations: its picture at
// frame 300 against the one its own tiles, name table and recorded scroll
// values predict, its tune and its reaction to controller 1.
#include <gtest/gtest.h>

#include <cstring>

#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"
#include "machine/vdp.h"

namespace {

// The demo's RAM variables (roms/demo/hardware.asm).
constexpr uint16_t DrawnX = 0xC001, DrawnFar = 0xC002, PlayerX = 0xC005, PlayerY = 0xC006,
                   Paused = 0xC009, ScrollDir = 0xC00B, BallY = 0xC010, BallX = 0xC014;
constexpr int NameTable = 0x3800;

class Demo : public ::testing::Test {
 public:
  void SetUp() override {
    MachineOptions = OptInitial;
    ResetControllerInput();
    ASSERT_TRUE(CreateConsoles());
    ASSERT_TRUE(LoadCartridge(TAVO_ROM_DIR "/demo.sms"));
    HardResetConsole();
  }
  void TearDown() override {
    DestroyConsoles();
    ResetConsoleState();
    ResetControllerInput();
    MachineOptions = OptInitial;
  }
  void Run(int frames) {
    for (int i = 0; i < frames; ++i) RunConsoleFrame(true, true);
  }
  uint16_t Pixel(int x, int y) const {
    VdpWindow w = VdpVisibleWindow(&PrimaryMachine.Vdp);
    const uint8_t* row = w.finished->pixels + (w.y + y) * w.finished->pitch;
    uint16_t p;
    std::memcpy(&p, row + (w.x + x) * 2, 2);
    return p;
  }
};

// Background colour index at screen pixel x,y as the name table and tile
// patterns the demo loaded give it, with horizontal scroll `scroll`.
int BackgroundColour(const VdpState& vdp, int x, int y, int scroll) {
  int bx = (x - scroll) & 255;
  int entry = NameTable + ((y >> 3) * 32 + (bx >> 3)) * 2;
  int tile = vdp.vram[entry] | (vdp.vram[entry + 1] & 1) << 8;
  const uint8_t* row = vdp.vram + tile * 32 + (y & 7) * 4;
  int colour = 0;
  for (int plane = 0; plane < 4; ++plane) colour |= (row[plane] >> (7 - (bx & 7)) & 1) << plane;
  return colour;
}

uint32_t PictureHash(const Demo* demo, uint16_t (Demo::*pixel)(int, int) const) {
  uint32_t hash = 2166136261u;  // FNV-1a over the RGB565 pixels, row by row
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 256; ++x) {
      uint16_t p = (demo->*pixel)(x, y);
      hash = (hash ^ (p & 0xFF)) * 16777619u;
      hash = (hash ^ (p >> 8)) * 16777619u;
    }
  return hash;
}

// Lines 0-95 (sky and title) never scroll, 96-127 (far hills) scroll
// with the far value and 128-191 (near hills, field) with the near one:
// line interrupts every 16 lines change the scroll register.
TEST_F(Demo, Frame300ShowsTheSceneWithItsScrollBands) {
  Run(300);
  const VdpState& vdp = PrimaryMachine.Vdp;
  int near_x = Read8(DrawnX), far_x = Read8(DrawnFar);
  EXPECT_NE(near_x, 0);  // it has been scrolling
  EXPECT_NE(far_x, 0);
  EXPECT_NE(near_x, far_x);
  // The scene's colours differ from each other.
  for (int a = 0; a < 15; ++a)
    for (int b = a + 1; b < 15; ++b) ASSERT_NE(vdp.palette[a], vdp.palette[b]) << a << " " << b;
  // Every name table entry shown uses the background palette, unflipped.
  for (int entry = 0; entry < 32 * 24; ++entry) ASSERT_EQ(vdp.vram[NameTable + entry * 2 + 1], 0) << entry;
  // The sprites' boxes (8 x 8, one line below their Y), from the demo's RAM,
  // widened by the balls' moves since the picture's sprite table was
  // written (two frames' worth: up to 8 pixels across, 4 lines down or up).
  int sprite_x[5] = {Read8(PlayerX)}, sprite_y[5] = {Read8(PlayerY)};
  for (int i = 0; i < 4; ++i) sprite_x[i + 1] = Read8(BallX + i), sprite_y[i + 1] = Read8(BallY + i);
  auto in_sprite = [&](int x, int y) {
    for (int i = 0; i < 5; ++i)
      if (x >= sprite_x[i] - 8 && x < sprite_x[i] + 16 && y > sprite_y[i] - 5 && y <= sprite_y[i] + 12) return true;
    return false;
  };
  // Everywhere else, the background; the leftmost column is blanked with
  // the border colour (sprite colour 0). On a band's first line the new
  // scroll may take effect one line late.
  int mismatches = 0, checked = 0;
  for (int y = 0; y < 192; ++y) {
    int scroll = y < 96 ? 0 : y < 128 ? far_x : near_x;
    int before = y == 96 ? 0 : y == 128 ? far_x : scroll;
    for (int x = 0; x < 256; ++x) {
      if (in_sprite(x, y)) continue;
      ++checked;
      uint16_t p = Pixel(x, y);
      if (x < 8) {
        if (p != vdp.palette[16] && ++mismatches < 5) ADD_FAILURE() << "pixel " << x << "," << y << " not border";
        continue;
      }
      int colour = BackgroundColour(vdp, x, y, scroll);
      if (p != vdp.palette[colour] && p != vdp.palette[BackgroundColour(vdp, x, y, before)] && ++mismatches < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " is not colour " << colour;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GE(checked, 256 * 192 - 5 * 24 * 17);
  // The title: the T's bar (top six lines, x 72-95) in cream over the
  // night sky, the O's right edge in orange at the bottom.
  for (int x = 72; x < 96; ++x) EXPECT_EQ(Pixel(x, 18), vdp.palette[9]) << x;
  EXPECT_EQ(Pixel(71, 18), vdp.palette[0]);
  EXPECT_EQ(Pixel(177, 44), vdp.palette[14]);
  // The player (sprite 0, in front of the balls) at 120,96: its fourth row,
  // on line 100, is gold, yellow, cream, cream, yellow, orange, orange.
  const int player_row[7] = {23, 22, 21, 21, 22, 24, 24};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Pixel(120 + i, 100), vdp.palette[player_row[i]]) << i;
  EXPECT_EQ(Pixel(127, 100), vdp.palette[BackgroundColour(vdp, 127, 100, far_x)]);
  // The whole picture, recorded from a run checked by the probes above.
  EXPECT_EQ(PictureHash(this, &Demo::Pixel), 0x4AE10659u);
}

// One frame later the sky and title are where they were, the field has
// moved one pixel to the right.
TEST_F(Demo, OnlyTheLowerBandsMove) {
  Run(300);
  uint16_t sky[96][256], field[50][256];
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 256; ++x) sky[y][x] = Pixel(x, y);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 256; ++x) field[y][x] = Pixel(x, 142 + y);
  Run(1);
  int balls_top = 255;
  for (int i = 0; i < 4; ++i) balls_top = Read8(BallY + i) < balls_top ? Read8(BallY + i) : balls_top;
  for (int y = 0; y < balls_top - 4 && y < 96; ++y)  // above the balls, wherever drawn
    for (int x = 0; x < 256; ++x) ASSERT_EQ(Pixel(x, y), sky[y][x]) << x << "," << y;
  for (int y = 0; y < 50; ++y)
    for (int x = 9; x < 256; ++x) ASSERT_EQ(Pixel(x, 142 + y), field[y][x - 1]) << x << "," << 142 + y;
}

TEST_F(Demo, PlaysItsTuneFromTheStart) {
  int loud_frames = 0;
  int16_t samples[735 * 2];
  for (int frame = 0; frame < 120; ++frame) {
    RunConsoleFrame(true, true);
    ASSERT_TRUE(ReadSoundSamples(samples, sizeof samples));
    int16_t low = samples[0], high = samples[0];
    for (int16_t s : samples) {
      low = s < low ? s : low;
      high = s > high ? s : high;
    }
    if (high - low > 1000) ++loud_frames;
  }
  EXPECT_GT(loud_frames, 60);
}

TEST_F(Demo, ReactsToControllerOne) {
  Run(60);
  ASSERT_EQ(Read8(PlayerX), 120);
  ControllerInput[0] = PadRight | PadDown;
  Run(10);
  EXPECT_EQ(Read8(PlayerX), 130);
  EXPECT_EQ(Read8(PlayerY), 106);
  EXPECT_EQ(Read8(ScrollDir), 1);
  ControllerInput[0] = PadButton2;
  Run(5);  // held: reverses once
  EXPECT_EQ(Read8(ScrollDir), 0xFF);
  ControllerInput[0] = 0;
  int x = Read8(DrawnX), far = Read8(DrawnFar);
  Run(4);
  EXPECT_EQ(Read8(DrawnX), (x - 4) & 0xFF);
  EXPECT_EQ(Read8(DrawnFar), (far - 2) & 0xFF);  // the far hills at half speed
  // The pause button freezes the scrolling.
  RaiseNmi(&PrimaryMachine);
  Run(2);
  EXPECT_EQ(Read8(Paused), 1);
  x = Read8(DrawnX);
  Run(5);
  EXPECT_EQ(Read8(DrawnX), x);
}

}  // namespace
