// Screenshots: names, sizes (Game Gear, enlarged, link play) and the
// messages, written through the real PNG writer and read back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include <string>

#include "base/app_state.h"
#include "base/program_dir.h"
#include "config/config.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge_files.h"
#include "record/screenshot.h"
#include "record/state_support.h"

namespace {

class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    ResetMessages();
    ApplyConfigDefaults();
    GuiVisible = false;
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
  }
  void TearDown() override {
    DestroyConsoles();
    ResetProgramDirectory();
    ApplyConfigDefaults();
    ResetAppState();
    MachineOptions = OptInitial;
    RemoveFolder(folder_);
  }
  // Runs the demo cartridge under `name` for a few frames.
  void Start(const std::string& name, uint32_t options) {
    const std::string rom = folder_ + "/" + name;
    ASSERT_TRUE(WriteFile(rom, ReadFile(TAVO_ROM_DIR "/demo.sms")));
    ASSERT_TRUE(StartFresh(rom, options));
    for (int i = 0; i < 30; ++i) RunConsoleFrame(true, true);
  }
  void ExpectShot(const std::string& file, int width, int height) {
    SCOPED_TRACE(file);
    Surface* shot = LoadPng((folder_ + "/Screenshots/" + file).c_str(), nullptr, 0);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->width, width);
    EXPECT_EQ(shot->height, height);
    DestroySurface(shot);
  }
  std::string folder_;
};

TEST_F(Screenshots, SizesFollowTheSystemTheFilterAndLinkPlay) {
  Start("x.gg", OptInitial);
  ASSERT_TRUE(TakeScreenshot());
  EXPECT_STREQ(StatusText, "Saved screenshot as 'x.gg.0.png'.");
  ExpectShot("x.gg.0.png", 160, 144);
  Config.fullscreen_video_mode = FilterDouble;
  ASSERT_TRUE(TakeScreenshot());
  ExpectShot("x.gg.1.png", 320, 288);
  Config.fullscreen_video_mode = FilterNormal;
  Start("x.gg", OptInitial | OptLink);
  ASSERT_TRUE(TakeScreenshot());
  ExpectShot("x.gg.2.png", 320, 144);
  Start("y.sms", OptInitial);
  ASSERT_TRUE(TakeScreenshot());
  ExpectShot("y.sms.0.png", 256, 192);
  // The picture is the machine's own, pixel for pixel.
  Surface* picture = CopyEmulatedPicture();
  Surface* shot = LoadPng((folder_ + "/Screenshots/y.sms.0.png").c_str(), &picture->format, 0);
  ASSERT_NE(shot, nullptr);
  for (int y = 0; y < 192; ++y)
    EXPECT_EQ(std::memcmp(shot->pixels + y * shot->pitch, picture->pixels + y * picture->pitch, 512), 0);
  DestroySurface(shot);
  DestroySurface(picture);
}

TEST_F(Screenshots, AllNamesTakenAndUnwritableFolders) {
  Start("z.sms", OptInitial);
  for (int n = 0; n < 256; ++n)
    ASSERT_TRUE(WriteFile(folder_ + "/Screenshots/z.sms." + std::to_string(n) + ".png", {1}));
  EXPECT_FALSE(TakeScreenshot());
  EXPECT_STREQ(StatusText, "Couldn't save screenshot.");
  std::remove((folder_ + "/Screenshots/z.sms.7.png").c_str());
  EXPECT_EQ(FreeScreenshotPath(), folder_ + "/Screenshots/z.sms.7.png");
  // A folder standing where the file would go: not writable.
  ASSERT_EQ(mkdir((folder_ + "/Screenshots/z.sms.7.png.tmp").c_str(), 0755), 0);
  ASSERT_TRUE(WriteFile(folder_ + "/Screenshots/z.sms.7.png.tmp/keep", {1}));
  EXPECT_FALSE(TakeScreenshot());
  EXPECT_STREQ(StatusText, "Couldn't save screenshot as 'z.sms.7.png'.");
  // Without a cartridge name nothing happens.
  CartName.clear();
  ResetMessages();
  EXPECT_FALSE(TakeScreenshot());
  EXPECT_STREQ(StatusText, "");
}

}  // namespace
