// tavo-headless started as a program from a scratch folder: its exit code,
// and what it printed in out_ and err_.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "scratch_folder.h"

class HeadlessFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { RemoveFolder(folder_); }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::string Text(const std::string& name) const { return ReadWholeFile(Path(name)); }

  // Runs the program; its output lands in out_ and err_.
  int Run(const std::string& args) {
    std::string command = std::string("'") + TAVO_HEADLESS + "' " + args + " >'" + Path("out.txt") + "' 2>'" +
                          Path("err.txt") + "'";
    int status = std::system(command.c_str());
    out_ = Text("out.txt");
    err_ = Text("err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string folder_, out_, err_;
};
