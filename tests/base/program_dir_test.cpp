// Where the program keeps its files: beside itself when it can, else in the
// user's data folder with the shipped data read from the install.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "base/program_dir.h"
#include "scratch_folder.h"

namespace {

class ProgramDirs : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeScratchFolder();
    ASSERT_FALSE(root_.empty());
    const char* xdg = std::getenv("XDG_DATA_HOME");
    saved_xdg_ = xdg ? xdg : "";
    had_xdg_ = xdg != nullptr;
    setenv("XDG_DATA_HOME", (root_ + "/xdg").c_str(), 1);
  }
  void TearDown() override {
    if (had_xdg_) setenv("XDG_DATA_HOME", saved_xdg_.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    chmod((root_ + "/bin").c_str(), 0755);
    RemoveFolder(root_);
    ResetProgramDirectory();
  }
  std::string root_, saved_xdg_;
  bool had_xdg_ = false;
};

TEST_F(ProgramDirs, AFolderHoldingTheDataIsTheProgramDirectory) {
  mkdir((root_ + "/bin").c_str(), 0755);
  ASSERT_TRUE(WriteFile(root_ + "/bin/opcodes.dat", std::vector<uint8_t>(4)));
  ASSERT_TRUE(LocateProgramDirectories(root_ + "/bin/tavo"));
  EXPECT_EQ(ProgramDirectory, root_ + "/bin");
  EXPECT_EQ(DataDirectory, root_ + "/bin");
}

TEST_F(ProgramDirs, AnInstalledCopyWritesToTheUserDataFolder) {
  mkdir((root_ + "/bin").c_str(), 0755);
  mkdir((root_ + "/share").c_str(), 0755);
  mkdir((root_ + "/share/tavo").c_str(), 0755);
  ASSERT_TRUE(LocateProgramDirectories(root_ + "/bin/tavo"));
  EXPECT_EQ(ProgramDirectory, root_ + "/xdg/tavo");
  EXPECT_EQ(DataDirectory, root_ + "/share/tavo");
  struct stat info;
  EXPECT_EQ(stat(ProgramDirectory.c_str(), &info), 0);
  EXPECT_EQ(DataFilePath("font.ssp"), root_ + "/share/tavo/font.ssp");
}

TEST_F(ProgramDirs, AReadOnlyFolderWithDataIsTreatedAsInstalled) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  mkdir((root_ + "/bin").c_str(), 0755);
  ASSERT_TRUE(WriteFile(root_ + "/bin/opcodes.dat", std::vector<uint8_t>(4)));
  chmod((root_ + "/bin").c_str(), 0555);
  ASSERT_TRUE(LocateProgramDirectories(root_ + "/bin/tavo"));
  EXPECT_EQ(ProgramDirectory, root_ + "/xdg/tavo");
  EXPECT_EQ(DataDirectory, root_ + "/bin");
}

}  // namespace
