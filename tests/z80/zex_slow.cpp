// ZEXDOC and ZEXALL, the Z80 instruction exercisers, run to the end on the
// core in scanline-sized budgets. Every test line must end in "OK".
#include <gtest/gtest.h>

#include <filesystem>

#include "z80/cpm_harness.h"

namespace {

void RunExerciser(const char* name) {
  std::string path = std::string(TAVO_SHARED_DIR) + "/z80/" + name;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is absent: exerciser not run";
  static CpmMachine machine;
  machine.echo = true;
  ASSERT_TRUE(machine.Load(path));
  int64_t ran = machine.Run(INT64_C(200) * 1000 * 1000 * 1000);
  ASSERT_TRUE(machine.finished) << name << " did not end after " << ran << " T-states";
  std::printf("%s: %lld T-states\n", name, (long long)ran);
  int tests = 0;
  bool complete = false;
  for (const std::string& line : machine.lines) {
    if (line.find("Tests complete") != std::string::npos) complete = true;
    if (line.find("....") == std::string::npos) continue;  // banner lines
    tests++;
    EXPECT_TRUE(line.size() >= 2 && line.compare(line.size() - 2, 2, "OK") == 0) << line;
  }
  EXPECT_TRUE(complete);
  EXPECT_GT(tests, 60);
}

}  // namespace

TEST(Z80Exerciser, zexdoc) { RunExerciser("zexdoc.com"); }
TEST(Z80Exerciser, zexall) { RunExerciser("zexall.com"); }
