#include "record/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReplaceFileWith(const std::string& path, const void* data, size_t size) {
  if (path.empty()) return false;
  // Always a new file: whatever sat under the temporary name (a link
  // pointing elsewhere, a pipe that would block) is never opened.
  const std::string temporary = path + ".tmp";
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  ok = std::fclose(file) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

FILE* OpenRegularFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  FILE* file = nullptr;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}
