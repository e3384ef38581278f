// Whole-machine pictures in the legacy modes: each vdp_<mode> cartridge
// loads random tables and a designed sprite table (roms/include/
// legacy_scene.inc) without touching the colour RAM; the finished picture
// must equal, pixel for pixel, the plain model's, and the status its frame
// interrupt read must report the fifth sprite and the collision. Then the
// two shared games that use these modes, played a little.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/ports.h"
#include "machine_harness.h"
#include "vdp_legacy_reference.h"

namespace {

constexpr uint32_t MasterSystem = OptMasterSystemGroup | OptNtscRate;
constexpr uint16_t SceneReady = 0xC001, LastStatus = 0xC010;

// The picture the primary machine finished last, 256 x 192.
std::vector<uint16_t> FinishedPicture() {
  VdpWindow window = VdpVisibleWindow(&PrimaryMachine.Vdp);
  std::vector<uint16_t> picture;
  for (int y = 0; y < 192; y++) {
    const uint8_t* row = window.finished->pixels + size_t(window.y + y) * window.finished->pitch;
    for (int x = 0; x < 256; x++) {
      uint16_t p;
      std::memcpy(&p, row + 2 * (window.x + x), 2);
      picture.push_back(p);
    }
  }
  return picture;
}

size_t ColourCount(const std::vector<uint16_t>& picture) {
  return std::set<uint16_t>(picture.begin(), picture.end()).size();
}

class VdpLegacyCartridgeTest : public ::testing::Test {
 protected:
  void RunScene(const char* rom, uint32_t options) {
    harness_.StartRom(rom, options);
    for (int i = 0; i < 60 && !harness_.Ram(SceneReady); i++) harness_.Frames(1);
    ASSERT_EQ(harness_.Ram(SceneReady), 1) << "the scene never finished loading";
    harness_.Frames(2, true);
    picture_ = FinishedPicture();
  }
  uint16_t At(int x, int line) const { return picture_[size_t(line) * 256 + size_t(x)]; }

  // `colours`: how many the picture has at least (random tables show many).
  void ExpectPictureMatchesModel(size_t colours = 9) {
    LegacyModel model = LegacyModelOf(PrimaryMachine.Vdp);
    int mismatches = 0;
    for (int line = 0; line < 192; line++)
      for (int x = 0; x < 256; x++)
        if (At(x, line) != LegacyPixel(model, x, line) && ++mismatches <= 5)
          ADD_FAILURE() << "pixel (" << x << ", " << line << "): got 0x" << std::hex << At(x, line)
                        << ", expected 0x" << LegacyPixel(model, x, line);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(ColourCount(picture_), colours) << "the random tables did not arrive";
  }

  // The designed sprites (see legacy_scene.inc) of a sprite `width` wide.
  void ExpectDesignedSprites(int width, bool fifth_shown) {
    EXPECT_EQ(harness_.Ram(LastStatus), 0xE4) << "frame, fifth sprite 4, collision";
    EXPECT_EQ(At(0x40, 80), LegacyRgb(7)) << "sprite 5 in front of sprite 6";
    EXPECT_EQ(At(0x40 + width, 80), LegacyRgb(8));
    EXPECT_EQ(At(0x90, 40) == LegacyRgb(6), fifth_shown);
    EXPECT_EQ(At(width - 5, 120), LegacyRgb(9)) << "early clock: x = -4";
    EXPECT_EQ(At(0x80, 0), LegacyRgb(11)) << "a sprite from above line 0";
  }

  MachineHarness harness_;
  std::vector<uint16_t> picture_;
};

TEST_F(VdpLegacyCartridgeTest, GraphicsOneWithAndWithoutTheFourSpriteLimit) {
  RunScene("vdp_graphics1", MasterSystem | OptSpriteFlickering);
  EXPECT_EQ(VdpCurrentMode(&PrimaryMachine.Vdp), VdpGraphics1);
  ExpectPictureMatchesModel();
  ExpectDesignedSprites(8, false);
  RunScene("vdp_graphics1", MasterSystem);
  ExpectPictureMatchesModel();
  ExpectDesignedSprites(8, true);
}

TEST_F(VdpLegacyCartridgeTest, GraphicsTwoWithMaskedTablesAndLargeMagnifiedSprites) {
  RunScene("vdp_graphics2", MasterSystem | OptSpriteFlickering);
  EXPECT_EQ(VdpCurrentMode(&PrimaryMachine.Vdp), VdpGraphics2);
  ExpectPictureMatchesModel();
  ExpectDesignedSprites(32, false);
}

TEST_F(VdpLegacyCartridgeTest, MulticolourWithMagnifiedSprites) {
  RunScene("vdp_multicolour", MasterSystem | OptSpriteFlickering);
  EXPECT_EQ(VdpCurrentMode(&PrimaryMachine.Vdp), VdpMulticolour);
  ExpectPictureMatchesModel();
  ExpectDesignedSprites(16, false);
}

TEST_F(VdpLegacyCartridgeTest, TextWithoutSprites) {
  RunScene("vdp_text", MasterSystem | OptSpriteFlickering);
  EXPECT_EQ(VdpCurrentMode(&PrimaryMachine.Vdp), VdpText);
  ExpectPictureMatchesModel(2);
  EXPECT_EQ(harness_.Ram(LastStatus) & 0xE0, 0x80) << "no fifth sprite, no collision";
  for (int line = 0; line < 192; line++) ASSERT_EQ(At(3, line), LegacyRgb(12)) << "the border";
}

// The shared games written for the older machines: after 600 frames they
// show more than one colour, and the pad changes where they are.
class LegacyGames : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetControllerInput();
    MachineOptions = OptInitial;
  }
  // 600 frames with button 1 pressed on frames `presses` (each for 6 frames).
  std::vector<uint16_t> Play(const std::string& rom, std::vector<int> presses) {
    MachineOptions = OptInitial;
    ResetControllerInput();
    EXPECT_TRUE(CreateConsoles());
    EXPECT_TRUE(LoadCartridge(rom.c_str()));
    HardResetConsole();
    for (int frame = 0; frame < 600; frame++) {
      ControllerInput[0] = 0;
      for (int start : presses)
        if (frame >= start && frame < start + 6) ControllerInput[0] = 0x0010;
      RunConsoleFrame(frame >= 598, false);
    }
    EXPECT_NE(VdpCurrentMode(&PrimaryMachine.Vdp), VdpMode4);
    std::vector<uint16_t> picture = FinishedPicture();
    DestroyConsoles();
    ResetConsoleState();
    return picture;
  }
};

TEST_F(LegacyGames, ShowTheirPicturesAndAnswerThePad) {
  std::filesystem::path roms = TAVO_SHARED_DIR "/roms";
  if (!std::filesystem::is_directory(roms)) GTEST_SKIP() << "no shared games at " << roms;
  for (const char* game : {"bacachase", "cix"}) {
    SCOPED_TRACE(game);
    std::string rom = (roms / (std::string(game) + ".sms")).string();
    std::vector<uint16_t> idle = Play(rom, {});
    EXPECT_GT(ColourCount(idle), 1u);
    // Bacachase starts on any key; Cix takes a difficulty, then "fire".
    std::vector<uint16_t> played = Play(rom, {100, 300, 400});
    EXPECT_GT(ColourCount(played), 1u);
    EXPECT_NE(idle, played);
  }
}

}  // namespace
