// Whole-machine pictures: the vdp_scenes cartridge loads a pseudo-random
// scene and one row of register settings; after whole frames through the
// scheduler the finished picture must equal, pixel for pixel, what the
// reference model computes from the same VRAM, CRAM and registers.
#include <gtest/gtest.h>

#include <cstring>

#include "lumo/surface.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine_harness.h"
#include "vdp_reference.h"

namespace {

// The cartridge's shift register, step for step.
struct SceneRandom {
  uint16_t state = 0xACE1;
  uint8_t Next() {
    bool carry = state & 1;
    state >>= 1;
    if (carry) state ^= 0xB400;
    return uint8_t(state);
  }
};

enum SceneCase {
  Plain, FineX, CoarseX, BothScrolls, TopLock, RightLock, FlipsAndPalette, Priority, Crowded,
  Zoom, Tall, Shift, DisplayOff, LeftBlank, Lines224Marker, Lines192Marker, ZoomTallUpper,
};

constexpr uint32_t MasterSystem = OptMasterSystemGroup | OptNtscRate;
constexpr uint32_t MasterSystemNoStrip = (OptMasterSystemGroup & ~OptSmsScreen) | OptNtscRate;
constexpr uint32_t GameGear = OptGameGearGroup | OptNtscRate;

class VdpCartridgeTest : public ::testing::Test {
 protected:
  // Runs the cartridge until the scene is loaded, then two drawn frames.
  void RunScene(SceneCase scene, uint32_t options) {
    harness_.StartRom("vdp_scenes", options);
    PrimaryMachine.Ram[0] = uint8_t(scene);
    for (int i = 0; i < 60 && !harness_.Ram(0xC001); i++) harness_.Frames(1);
    ASSERT_EQ(harness_.Ram(0xC001), 1) << "the scene never finished loading";
    harness_.Frames(2, true);
  }

  // The tiles really are the cartridge's random bytes, so the picture
  // below is computed from the data the program meant to load.
  void ExpectSceneLoaded() {
    SceneRandom random;
    const uint8_t* vram = PrimaryMachine.Vdp.vram;
    for (int a = 0; a < 0x3800; a++) ASSERT_EQ(vram[a], random.Next()) << a;
    ASSERT_EQ(vram[0x3800], random.Next());
  }

  void ExpectFinishedPictureMatches() {
    const VdpState& vdp = PrimaryMachine.Vdp;
    ReferenceVdp ref = ReferenceOf(vdp);
    VdpWindow window = VdpVisibleWindow(&vdp);
    const PixelBuffer* surface = window.finished;
    int mismatches = 0;
    for (int line = window.y; line < window.y + window.height; line++) {
      const uint16_t* row = reinterpret_cast<const uint16_t*>(surface->pixels + size_t(line) * surface->pitch);
      for (int sx = window.x; sx < window.x + window.width; sx++) {
        int x = sx - VdpSurfaceMargin;
        int expected = ReferencePixel(ref, x, line);
        if (expected == ReferenceDontCare) continue;
        if (row[sx] != expected && ++mismatches <= 5)
          ADD_FAILURE() << "pixel (" << x << ", " << line << "): got 0x" << std::hex << row[sx]
                        << ", expected 0x" << expected;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }

  MachineHarness harness_;
};

TEST_F(VdpCartridgeTest, PlainSceneAsLoaded) {
  RunScene(Plain, MasterSystem);
  ExpectSceneLoaded();
  ExpectFinishedPictureMatches();
}

TEST_F(VdpCartridgeTest, Scrolling) {
  for (SceneCase scene : {FineX, CoarseX, BothScrolls}) {
    SCOPED_TRACE(scene);
    RunScene(scene, MasterSystem);
    ExpectFinishedPictureMatches();
  }
  // Without the screen strip the columns left of the first tile keep older
  // pixels; the rest must still match.
  RunScene(FineX, MasterSystemNoStrip);
  ExpectFinishedPictureMatches();
}

TEST_F(VdpCartridgeTest, ScrollLocks) {
  for (SceneCase scene : {TopLock, RightLock}) {
    SCOPED_TRACE(scene);
    RunScene(scene, MasterSystem);
    ExpectFinishedPictureMatches();
  }
}

TEST_F(VdpCartridgeTest, FlipsPaletteSelectAndPriority) {
  for (SceneCase scene : {FlipsAndPalette, Priority}) {
    SCOPED_TRACE(scene);
    RunScene(scene, MasterSystem);
    ExpectFinishedPictureMatches();
  }
}

TEST_F(VdpCartridgeTest, CrowdedLinesWithAndWithoutTheEightSpriteLimit) {
  RunScene(Crowded, MasterSystem);
  ExpectFinishedPictureMatches();
  RunScene(Crowded, MasterSystem | OptSpriteFlickering);
  ExpectFinishedPictureMatches();
  EXPECT_TRUE(PrimaryMachine.Vdp.status & VdpStatusOverflow);
}

TEST_F(VdpCartridgeTest, SpriteSizesZoomAndShift) {
  for (SceneCase scene : {Zoom, Tall, Shift, ZoomTallUpper}) {
    SCOPED_TRACE(scene);
    RunScene(scene, MasterSystem);
    ExpectFinishedPictureMatches();
  }
}

TEST_F(VdpCartridgeTest, DisplayOffAndLeftBlank) {
  RunScene(DisplayOff, MasterSystem);
  ExpectFinishedPictureMatches();
  RunScene(LeftBlank, MasterSystem);
  ExpectFinishedPictureMatches();
}

TEST_F(VdpCartridgeTest, EndMarkerAndTallerPicture) {
  RunScene(Lines192Marker, MasterSystem);
  ExpectFinishedPictureMatches();
  RunScene(Lines224Marker, MasterSystem);
  EXPECT_EQ(PrimaryMachine.Vdp.active_lines, 224);
  EXPECT_EQ(VdpVisibleWindow(&PrimaryMachine.Vdp).height, 224);
  ExpectFinishedPictureMatches();
}

TEST_F(VdpCartridgeTest, GameGearWindowAndPalette) {
  for (SceneCase scene : {Plain, BothScrolls}) {
    SCOPED_TRACE(scene);
    RunScene(scene, GameGear);
    VdpWindow window = VdpVisibleWindow(&PrimaryMachine.Vdp);
    EXPECT_EQ(window.x, 56);
    EXPECT_EQ(window.y, 24);
    EXPECT_EQ(window.width, 160);
    EXPECT_EQ(window.height, 144);
    ExpectFinishedPictureMatches();
  }
}

}  // namespace
