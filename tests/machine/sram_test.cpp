// Cartridge RAM files: written only when a program enabled the RAM, read
// back whole, partner files of their own, and no harm on bad folders.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "machine/cart_ram.h"
#include "machine/cartridge.h"
#include "machine/cartridge_files.h"
#include "machine/options.h"
#include "machine_harness.h"

namespace {

constexpr uint32_t Sms = OptMasterSystemIo | OptNtscRate | OptSmsPalette | OptSmsScreen;

class SramFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = MakeScratchFolder();
    ASSERT_FALSE(home_.empty());
    SetProgramDirectory(home_);
    ASSERT_TRUE(CreateWorkingFolders());
    old_name_ = CartName;
    CartName = "game.sms";
  }
  void TearDown() override {
    CartName = old_name_;
    ResetProgramDirectory();
    RemoveFolder(home_);
  }
  std::string Sram(const std::string& name) { return home_ + "/SRAM/" + name; }
  static void Spit(const std::string& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFile(path, bytes));
  }
  static bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }

  MachineHarness h_;
  std::string home_;
  std::string old_name_;
};

TEST_F(SramFiles, WrittenOnlyWhenDirtyAndReadBack) {
  h_.Start(MarkedBanks(2), Sms);
  h_.cart_ram[0][0] = 0x11;
  h_.cart_ram[0][0x7FFF] = 0x22;
  SaveCartRam();
  EXPECT_FALSE(Exists(Sram("game.sms.sram"))) << "RAM never enabled: nothing written";

  PrimaryMachine.SramDirty = 1;
  SaveCartRam();
  std::vector<uint8_t> file = ReadFile(Sram("game.sms.sram"));
  ASSERT_EQ(file.size(), 0x8000u);
  EXPECT_EQ(file[0], 0x11);
  EXPECT_EQ(file[0x7FFF], 0x22);
  EXPECT_FALSE(Exists(Sram("game.sms.sram2"))) << "the partner was not dirty";
  EXPECT_FALSE(Exists(Sram("game.sms.sram.tmp")));

  std::memset(h_.cart_ram[0], 0x55, 0x8000);
  LoadCartRam();
  EXPECT_EQ(h_.cart_ram[0][0], 0x11);
  EXPECT_EQ(h_.cart_ram[0][0x7FFF], 0x22);
  EXPECT_EQ(h_.cart_ram[0][1], 0x00);
}

TEST_F(SramFiles, ThePartnerHasItsOwnFile) {
  h_.Start(MarkedBanks(2), Sms);
  h_.cart_ram[1][5] = 0x77;
  PartnerMachine.SramDirty = 1;
  SaveCartRam();
  EXPECT_FALSE(Exists(Sram("game.sms.sram")));
  std::vector<uint8_t> file = ReadFile(Sram("game.sms.sram2"));
  ASSERT_EQ(file.size(), 0x8000u);
  EXPECT_EQ(file[5], 0x77);
  h_.cart_ram[1][5] = 0;
  h_.cart_ram[0][5] = 0x99;
  LoadCartRam();
  EXPECT_EQ(h_.cart_ram[1][5], 0x77);
  EXPECT_EQ(h_.cart_ram[0][5], 0x00) << "no primary file: zeroed";
}

TEST_F(SramFiles, ShortAndLongFiles) {
  h_.Start(MarkedBanks(2), Sms);
  std::vector<uint8_t> longer(0x9000, 0xAB);
  longer[0x7FFF] = 0xCD;
  Spit(Sram("game.sms.sram"), longer);
  Spit(Sram("game.sms.sram2"), {1, 2, 3});
  std::memset(h_.cart_ram[1], 0xEE, 0x8000);
  LoadCartRam();
  EXPECT_EQ(h_.cart_ram[0][0], 0xAB);
  EXPECT_EQ(h_.cart_ram[0][0x7FFF], 0xCD);
  EXPECT_EQ(h_.cart_ram[1][2], 3);
  EXPECT_EQ(h_.cart_ram[1][3], 0) << "the rest of a short file's buffer is cleared";
  EXPECT_EQ(h_.cart_ram[1][0x7FFF], 0);
}

TEST_F(SramFiles, UnwritableFolderIsSkippedAndOldFilesSurvive) {
  h_.Start(MarkedBanks(2), Sms);
  Spit(Sram("game.sms.sram"), std::vector<uint8_t>(0x8000, 0x42));
  // A folder in the way of the temporary file: the write fails, and the
  // previous file must still be whole.
  ASSERT_EQ(mkdir(Sram("game.sms.sram.tmp").c_str(), 0777), 0);
  PrimaryMachine.SramDirty = 1;
  SaveCartRam();
  std::vector<uint8_t> file = ReadFile(Sram("game.sms.sram"));
  ASSERT_EQ(file.size(), 0x8000u);
  EXPECT_EQ(file[100], 0x42);
  rmdir(Sram("game.sms.sram.tmp").c_str());

  // No SRAM folder at all: skipped silently.
  SetProgramDirectory(home_ + "/missing");
  SaveCartRam();
  EXPECT_FALSE(Exists(home_ + "/missing"));
  // No program directory: nothing is read or written.
  ResetProgramDirectory();
  SaveCartRam();
  h_.cart_ram[0][0] = 9;
  LoadCartRam();
  EXPECT_EQ(h_.cart_ram[0][0], 0);
}

TEST_F(SramFiles, PipesAndLinksInTheFolderAreNeverOpened) {
  h_.Start(MarkedBanks(2), Sms);
  // Opening a pipe would wait for a writer forever: a hang ends the test.
  alarm(10);
  ASSERT_EQ(mkfifo(Sram("game.sms.sram").c_str(), 0666), 0);
  h_.cart_ram[0][0] = 9;
  LoadCartRam();
  EXPECT_EQ(h_.cart_ram[0][0], 0) << "read as a missing file";
  unlink(Sram("game.sms.sram").c_str());

  // A pipe or a link where the temporary goes is replaced, not written
  // through.
  ASSERT_EQ(mkfifo(Sram("game.sms.sram.tmp").c_str(), 0666), 0);
  h_.cart_ram[0][0] = 0x5A;
  PrimaryMachine.SramDirty = 1;
  SaveCartRam();
  EXPECT_EQ(ReadFile(Sram("game.sms.sram")).size(), 0x8000u);
  const std::string victim = home_ + "/victim";
  Spit(victim, {1, 2, 3});
  ASSERT_EQ(symlink(victim.c_str(), Sram("game.sms.sram.tmp").c_str()), 0);
  SaveCartRam();
  EXPECT_EQ(ReadFile(victim).size(), 3u);
  EXPECT_EQ(ReadFile(Sram("game.sms.sram"))[0], 0x5A);
  alarm(0);
}

TEST_F(SramFiles, NamesKeepTheExtensionAndDropFolders) {
  CartName = "dir/../Game.GG";
  EXPECT_EQ(CartRamPath(0), home_ + "/SRAM/Game.GG.sram");
  EXPECT_EQ(CartRamPath(1), home_ + "/SRAM/Game.GG.sram2");
  CartName = "";
  EXPECT_EQ(CartRamPath(0), "");
}

TEST_F(SramFiles, AProgramThatEnablesCartridgeRamGetsItSaved) {
  h_.StartRom("machine_banks", Sms);
  h_.Frames(1);
  SaveCartRam();
  std::vector<uint8_t> file = ReadFile(Sram("game.sms.sram"));
  ASSERT_EQ(file.size(), 0x8000u);
  EXPECT_EQ(file[0x0000], 0x11);
  EXPECT_EQ(file[0x0123], 0x22);
  EXPECT_EQ(file[0x4000], 0x33);
  EXPECT_EQ(file[0x0200], 0x3E);
  // A reset keeps the flag: what the game saved before it is written on
  // unload even if the game never enables the RAM again.
  std::remove(Sram("game.sms.sram").c_str());
  HardReset(&PrimaryMachine);
  SoftReset(&PrimaryMachine);
  EXPECT_EQ(PrimaryMachine.SramDirty, 1);
  SaveCartRam();
  EXPECT_EQ(ReadFile(Sram("game.sms.sram")).size(), 0x8000u);
  // Loading the next image's RAM starts it clean.
  LoadCartRam();
  EXPECT_EQ(PrimaryMachine.SramDirty, 0);
  EXPECT_EQ(PartnerMachine.SramDirty, 0);
}

}  // namespace
