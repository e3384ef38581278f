#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
int g_lock_file = -1;
}

bool AcquireInstanceLock(const std::string& folder) {
  ReleaseInstanceLock();
  std::string path = folder + "/.tavo.lock";
  int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  // A folder where no lock can be made cannot host a second instance's files
  // either; the start goes on and fails later where it writes.
  if (file < 0) return true;
  if (flock(file, LOCK_EX | LOCK_NB) != 0) {
    close(file);
    return false;
  }
  g_lock_file = file;
  return true;
}

void ReleaseInstanceLock() {
  if (g_lock_file < 0) return;
  close(g_lock_file);
  g_lock_file = -1;
}
