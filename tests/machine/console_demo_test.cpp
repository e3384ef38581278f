// The demo cartridge run through the console operations: its picture at
// frame 300 against the one its own data predicts, its tune and its
// reaction to controller 1.
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
constexpr uint16_t DrawnX = 0xC001, DrawnY = 0xC002, PlayerX = 0xC005, PlayerY = 0xC006,
                   Paused = 0xC009, ScrollDir = 0xC00B;

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

// The background as the demo lays it out: name table entry (column, row)
// holds tile (column + row) AND 3; tile t has colour 1 on its top row and
// left column and colour t + 2 elsewhere. The name table is 224 lines high.
int BackgroundColour(int x, int y, int scroll_x, int scroll_y) {
  int bx = (x - scroll_x) & 255, by = (y + scroll_y) % 224;
  int tile = ((bx >> 3) + (by >> 3)) & 3;
  return (bx & 7) == 0 || (by & 7) == 0 ? 1 : tile + 2;
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

TEST_F(Demo, Frame300ShowsTheScrolledBackgroundAndThePlayer) {
  Run(300);
  const VdpState& vdp = PrimaryMachine.Vdp;
  int scroll_x = Read8(DrawnX), scroll_y = Read8(DrawnY);
  EXPECT_NE(scroll_x, 0);  // it has been scrolling
  EXPECT_NE(scroll_y, 0);
  // The colours the demo chose differ from each other.
  for (int a = 0; a < 6; ++a)
    for (int b = a + 1; b < 6; ++b) ASSERT_NE(vdp.palette[a], vdp.palette[b]);
  // Bands above and below the sprites' lines hold background only; the
  // leftmost column is blanked with the border colour (sprite colour 0).
  int mismatches = 0;
  for (int y = 0; y < 192; ++y) {
    if (y >= 60 && y < 140) continue;
    for (int x = 0; x < 256; ++x) {
      int colour = x < 8 ? 16 : BackgroundColour(x, y, scroll_x, scroll_y);
      if (Pixel(x, y) != vdp.palette[colour] && ++mismatches < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " is not colour " << colour;
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The player (sprite 0, in front of the balls) at 120,96 shows on lines
  // 97-104 in sprite colour 2: its fourth row is a full 8-pixel line.
  for (int x = 120; x < 128; ++x) EXPECT_EQ(Pixel(x, 100), vdp.palette[18]) << x;
  EXPECT_EQ(Pixel(123, 97), vdp.palette[18]);
  EXPECT_NE(Pixel(120, 97), vdp.palette[18]);
  // The whole picture, recorded from a run checked by the probes above.
  EXPECT_EQ(PictureHash(this, &Demo::Pixel), 0xB878F0ADu);
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
  int x = Read8(DrawnX);
  Run(3);
  EXPECT_EQ(Read8(DrawnX), (x - 3) & 0xFF);
  // The pause button freezes the scrolling.
  RaiseNmi(&PrimaryMachine);
  Run(2);
  EXPECT_EQ(Read8(Paused), 1);
  x = Read8(DrawnX);
  Run(5);
  EXPECT_EQ(Read8(DrawnX), x);
}

}  // namespace
