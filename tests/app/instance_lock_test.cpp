#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/instance_lock.h"
#include "machine/cartridge_files.h"

namespace {

// The lock is per process: a child process stands in for a second start.
bool SecondStartGetsLock(const std::string& folder) {
  pid_t child = fork();
  if (child == 0) _exit(AcquireInstanceLock(folder) ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(InstanceLock, HeldForTheProgramsLifeAndFreedAfter) {
  std::string folder = MakeScratchFolder();
  ASSERT_TRUE(AcquireInstanceLock(folder));
  EXPECT_FALSE(SecondStartGetsLock(folder));
  ReleaseInstanceLock();
  // The stale lock file left behind does not block a new start.
  EXPECT_TRUE(SecondStartGetsLock(folder));
  RemoveFolder(folder);
}

}  // namespace
